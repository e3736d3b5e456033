// A back-end that lends one rendering context of another back-end to every context creation,
// so a batch of pictures is drawn through one context: the renderer keeps what it prepared for
// the first picture (compiled shaders, buffers) for all the others.
#pragma once

#include "gl/Qor3DLib.h"

#include <memory>

class TSharedContextPlatform : public TGLPlatform {
public:
    explicit TSharedContextPlatform(TGLPlatform& Inner);
    ~TSharedContextPlatform() override;

    std::string Name() const override;
    bool Load() override;
    int ChoosePixelFormat(TGLSurface& DC, const TPixelFormatDescriptor& Request) override;
    bool SetPixelFormat(TGLSurface& DC, int Format, const TPixelFormatDescriptor& Request) override;
    bool DescribePixelFormat(TGLSurface& DC, int Format, TPixelFormatDescriptor& Out) override;
    // The first call creates the inner context; later calls return the same one.
    HGLRC CreateContext(TGLSurface& DC) override;
    // The shared context stays alive until this back-end goes.
    bool DeleteContext(HGLRC RC) override;
    bool MakeCurrent(HDC DC, HGLRC RC) override;
    bool SwapBuffers(TGLSurface& DC) override;
    void* GetProcAddress(const char* Name) override;
    void* GetGLUProcAddress(const char* Name) override;
    std::unique_ptr<TGLSurface> CreateBitmapSurface(QImage& Image) override;

    // How many inner contexts were created (one for a whole batch).
    int InnerContextsCreated() const { return FCreated; }

private:
    class TContext;
    TGLPlatform& FInner;
    std::unique_ptr<TContext> FContext;
    int FCreated = 0;
};
