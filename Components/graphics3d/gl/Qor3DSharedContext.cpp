#include "gl/Qor3DSharedContext.h"

namespace {

// A surface of this back-end over one of the inner back-end.
class TSharedSurface : public TGLSurface {
public:
    TSharedSurface(TGLPlatform& Platform, std::unique_ptr<TGLSurface> Inner)
        : TGLSurface(Platform, Inner->ObjectType()), FInner(std::move(Inner)) {}
    TGLSurface& Inner() const { return *FInner; }
    std::array<int, 2> Size() const override { return FInner->Size(); }

private:
    std::unique_ptr<TGLSurface> FInner;
};

TGLSurface* InnerSurface(TGLSurface* DC) {
    auto* shared = dynamic_cast<TSharedSurface*>(DC);
    return shared != nullptr ? &shared->Inner() : nullptr;
}

} // namespace

class TSharedContextPlatform::TContext : public TGLContext {
public:
    TContext(TGLPlatform& Platform, HGLRC Inner) : TGLContext(Platform), FInner(Inner) {}
    HGLRC Inner() const { return FInner; }

private:
    HGLRC FInner;
};

TSharedContextPlatform::TSharedContextPlatform(TGLPlatform& Inner) : FInner(Inner) {}

TSharedContextPlatform::~TSharedContextPlatform() {
    if (FContext)
        FInner.DeleteContext(FContext->Inner());
}

std::string TSharedContextPlatform::Name() const {
    return FInner.Name();
}

bool TSharedContextPlatform::Load() {
    return FInner.Load();
}

int TSharedContextPlatform::ChoosePixelFormat(TGLSurface& DC,
                                              const TPixelFormatDescriptor& Request) {
    TGLSurface* inner = InnerSurface(&DC);
    if (inner == nullptr) {
        SetLastError("The handle is invalid.");
        return 0;
    }
    const int format = FInner.ChoosePixelFormat(*inner, Request);
    if (format == 0)
        SetLastError(FInner.LastError());
    return format;
}

bool TSharedContextPlatform::SetPixelFormat(TGLSurface& DC, int Format,
                                            const TPixelFormatDescriptor& Request) {
    TGLSurface* inner = InnerSurface(&DC);
    if (inner == nullptr || !FInner.SetPixelFormat(*inner, Format, Request))
        return false;
    DC.SetPixelFormatIndex(Format);
    return true;
}

bool TSharedContextPlatform::DescribePixelFormat(TGLSurface& DC, int Format,
                                                 TPixelFormatDescriptor& Out) {
    TGLSurface* inner = InnerSurface(&DC);
    return inner != nullptr && FInner.DescribePixelFormat(*inner, Format, Out);
}

HGLRC TSharedContextPlatform::CreateContext(TGLSurface& DC) {
    if (FContext)
        return FContext.get();
    TGLSurface* inner = InnerSurface(&DC);
    HGLRC rc = inner != nullptr ? FInner.CreateContext(*inner) : nullptr;
    if (rc == nullptr) {
        SetLastError(FInner.LastError());
        return nullptr;
    }
    ++FCreated;
    FContext = std::make_unique<TContext>(*this, rc);
    return FContext.get();
}

bool TSharedContextPlatform::DeleteContext(HGLRC RC) {
    return FContext && RC == FContext.get();
}

bool TSharedContextPlatform::MakeCurrent(HDC DC, HGLRC RC) {
    if (DC == nullptr || RC == nullptr)
        return FInner.MakeCurrent(nullptr, nullptr);
    TGLSurface* inner = InnerSurface(DC);
    return inner != nullptr && FContext && RC == FContext.get() &&
           FInner.MakeCurrent(inner, FContext->Inner());
}

bool TSharedContextPlatform::SwapBuffers(TGLSurface& DC) {
    TGLSurface* inner = InnerSurface(&DC);
    return inner != nullptr && FInner.SwapBuffers(*inner);
}

void* TSharedContextPlatform::GetProcAddress(const char* Name) {
    return FInner.GetProcAddress(Name);
}

void* TSharedContextPlatform::GetGLUProcAddress(const char* Name) {
    return FInner.GetGLUProcAddress(Name);
}

std::unique_ptr<TGLSurface> TSharedContextPlatform::CreateBitmapSurface(QImage& Image) {
    std::unique_ptr<TGLSurface> inner = FInner.CreateBitmapSurface(Image);
    if (!inner) {
        SetLastError(FInner.LastError());
        return nullptr;
    }
    return std::make_unique<TSharedSurface>(*this, std::move(inner));
}
