// The recording back-end for tests: contexts that draw nothing and record every GL and GLU call
// with its arguments, answer glGetString/glGetIntegerv with configurable values, and can be
// told to fail at any step. An array draw (glDrawElements) is recorded as the vertices it
// produces: glBegin, then for each element the texture coordinate, normal and position read
// from the enabled arrays ("glTexCoord1fv", "glNormal3sv", "glVertex3fv", ... after the arrays'
// types), and glEnd.
#pragma once

#include "gl/Qor3DLib.h"

#include <QImage>
#include <map>
#include <set>

// One recorded call. Pointer arguments to numbers are recorded as the numbers they point at
// (four for a colour or a light position, one for a shininess, sixteen for a matrix).
struct TGLCall {
    std::string Name;
    std::vector<double> Args;
    // "glFrustum(-0.6, 0.6, -0.3, 0.3, 1, 100)"
    std::string Text() const;
};

// A test surface of the given kind (OBJ_DC for a window, OBJ_MEMDC for a bitmap; 0 is an
// invalid handle). A bitmap surface over an image gets the clear colour on glClear.
class TGLRecordingSurface : public TGLSurface {
public:
    TGLRecordingSurface(TGLPlatform& Platform, int ObjectType, int Width, int Height,
                        QImage* Image = nullptr);
    std::array<int, 2> Size() const override;
    QImage* Image() const { return FImage; }

private:
    int FWidth;
    int FHeight;
    QImage* FImage;
};

class TGLRecordingPlatform : public TGLPlatform {
public:
    TGLRecordingPlatform();
    ~TGLRecordingPlatform() override;

    // ---- Configuration ----
    std::map<GLenum, std::string> Strings;
    std::map<GLenum, std::vector<GLint>> Integers;
    // Pixel format i is Formats[i - 1].
    std::vector<TPixelFormatDescriptor> Formats;
    bool LibraryMissing = false;
    bool FailChoosePixelFormat = false;
    bool FailCreateContext = false;
    bool FailMakeCurrent = false;
    bool FailRelease = false;
    bool FailDeleteContext = false;
    bool FailSwapBuffers = false;
    // A GL call ("glClear") that raises EOpenGLException whenever it is made.
    std::string FailOnCall;
    // Entry points the lookup by name does not find.
    std::set<std::string> MissingEntryPoints;

    // ---- Recording ----
    std::vector<TGLCall> Log() const;
    // The names of the recorded calls, in order.
    std::vector<std::string> Names() const;
    // The recorded calls named Name, in order.
    std::vector<TGLCall> Calls(const std::string& Name) const;
    // The texts of the recorded calls named Name (of all calls when Name is empty), in order.
    std::vector<std::string> Texts(const std::string& Name = {}) const;
    void ClearLog();
    // The last request handed to ChoosePixelFormat.
    TPixelFormatDescriptor LastRequest() const;
    int LiveContexts() const;

    std::unique_ptr<TGLSurface> CreateSurface(int ObjectType, int Width = 100, int Height = 100);

    // ---- TGLPlatform ----
    std::string Name() const override { return "Recording"; }
    bool Load() override;
    int ChoosePixelFormat(TGLSurface& DC, const TPixelFormatDescriptor& Request) override;
    bool SetPixelFormat(TGLSurface& DC, int Format, const TPixelFormatDescriptor& Request) override;
    bool DescribePixelFormat(TGLSurface& DC, int Format, TPixelFormatDescriptor& Out) override;
    HGLRC CreateContext(TGLSurface& DC) override;
    bool DeleteContext(HGLRC RC) override;
    bool MakeCurrent(HDC DC, HGLRC RC) override;
    bool SwapBuffers(TGLSurface& DC) override;
    void* GetProcAddress(const char* Name) override;
    void* GetGLUProcAddress(const char* Name) override;
    std::unique_ptr<TGLSurface> CreateBitmapSurface(QImage& Image) override;

    // Used by the recording entry points.
    void Record(TGLCall Call);
    std::string StringAnswer(GLenum Name);
    std::vector<GLint> IntegerAnswer(GLenum Name);
    void ClearSurface(GLbitfield Mask);
    void SetClearColor(float R, float G, float B, float A);

    // Client-side arrays as glEnableClientState and the pointer calls set them.
    struct TClientArray {
        bool Enabled = false;
        GLint Size = 0;
        GLenum Type = 0;
        GLsizei Stride = 0;
        const void* Pointer = nullptr;
    };
    TClientArray* ClientArray(GLenum Array);
    void DrawElements(GLenum Mode, GLsizei Count, GLenum Type, const void* Indices);

private:
    mutable std::mutex FLock;
    std::vector<TGLCall> FLog;
    TPixelFormatDescriptor FLastRequest;
    std::vector<std::unique_ptr<TGLContext>> FContexts;
    std::array<float, 4> FClearColor{0, 0, 0, 0};
    TClientArray FVertexArray;
    TClientArray FNormalArray;
    TClientArray FTexCoordArray;
};
