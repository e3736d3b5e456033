#include "gl/Qor3DQtWindow.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QWindow>
#include <algorithm>
#include <dlfcn.h>

namespace {

constexpr int DoubleBufferedFormat = 1;
constexpr int SingleBufferedFormat = 2;

class TQtContext : public TGLContext {
public:
    TQtContext(TGLPlatform& Platform, std::unique_ptr<QOpenGLContext> Context)
        : TGLContext(Platform), FContext(std::move(Context)) {}
    QOpenGLContext& Context() const { return *FContext; }

private:
    std::unique_ptr<QOpenGLContext> FContext;
};

class TQtWindowPlatform : public TGLPlatform {
public:
    // libGLU stays loaded to the end, like the OpenGL driver it calls into.
    std::string Name() const override { return "Qt window"; }

    bool Load() override {
        if (QGuiApplication::instance() == nullptr) {
            SetLastError("Window contexts need a running QGuiApplication.");
            return false;
        }
        return true;
    }

    int ChoosePixelFormat(TGLSurface& DC, const TPixelFormatDescriptor& Request) override {
        if (!Load())
            return 0;
        if (DC.ObjectType() != OBJ_DC || dynamic_cast<TQtWindowSurface*>(&DC) == nullptr) {
            SetLastError("Qt contexts draw only into windows.");
            return 0;
        }
        return (Request.dwFlags & PFD_DOUBLEBUFFER) != 0 ? DoubleBufferedFormat
                                                         : SingleBufferedFormat;
    }

    bool SetPixelFormat(TGLSurface& DC, int Format,
                        const TPixelFormatDescriptor& Request) override {
        auto& surface = static_cast<TQtWindowSurface&>(DC);
        // Only a window not yet created takes a new format; a created one keeps its own.
        if (!surface.Window().handle())
            surface.Window().setFormat(WindowSurfaceFormat(Format == DoubleBufferedFormat));
        return TGLPlatform::SetPixelFormat(DC, Format, Request);
    }

    bool DescribePixelFormat(TGLSurface& DC, int Format, TPixelFormatDescriptor& Out) override {
        if (Format != DoubleBufferedFormat && Format != SingleBufferedFormat)
            return false;
        const auto* surface = dynamic_cast<TQtWindowSurface*>(&DC);
        const bool doubled = surface != nullptr && surface->Created
                                 ? surface->GrantedDoubleBuffer
                                 : Format == DoubleBufferedFormat;
        Out = TPixelFormatDescriptor{};
        Out.nSize = sizeof(TPixelFormatDescriptor);
        Out.nVersion = 1;
        Out.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (doubled ? PFD_DOUBLEBUFFER : 0);
        Out.iPixelType = PFD_TYPE_RGBA;
        Out.cColorBits = 32;
        Out.cAlphaBits = 8;
        Out.cDepthBits = 24;
        return true;
    }

    HGLRC CreateContext(TGLSurface& DC) override {
        auto* surface = dynamic_cast<TQtWindowSurface*>(&DC);
        if (surface == nullptr || !Load())
            return nullptr;
        auto context = std::make_unique<QOpenGLContext>();
        context->setFormat(WindowSurfaceFormat(DC.PixelFormat() == DoubleBufferedFormat));
        if (!context->create()) {
            SetLastError("The OpenGL context could not be created.");
            return nullptr;
        }
        const QSurfaceFormat granted = context->format();
        // A core profile has no immediate mode: nothing would be drawn.
        if (granted.profile() == QSurfaceFormat::CoreProfile) {
            SetLastError("Only a core-profile OpenGL context is available.");
            return nullptr;
        }
        surface->Created = true;
        surface->GrantedDoubleBuffer = granted.swapBehavior() != QSurfaceFormat::SingleBuffer;
        std::lock_guard guard(FLock);
        FContexts.push_back(std::make_unique<TQtContext>(*this, std::move(context)));
        return FContexts.back().get();
    }

    bool DeleteContext(HGLRC RC) override {
        std::lock_guard guard(FLock);
        auto it = std::find_if(FContexts.begin(), FContexts.end(),
                               [&](const auto& c) { return c.get() == RC; });
        if (it == FContexts.end())
            return false;
        FContexts.erase(it);
        return true;
    }

    bool MakeCurrent(HDC DC, HGLRC RC) override {
        if (DC == nullptr || RC == nullptr) {
            if (QOpenGLContext* current = QOpenGLContext::currentContext())
                current->doneCurrent();
            return true;
        }
        auto* surface = dynamic_cast<TQtWindowSurface*>(DC);
        auto* context = dynamic_cast<TQtContext*>(RC);
        if (surface == nullptr || context == nullptr)
            return false;
        if (!context->Context().makeCurrent(&surface->Window()))
            return false;
        surface->Bound = &context->Context();
        return true;
    }

    bool SwapBuffers(TGLSurface& DC) override {
        auto* surface = dynamic_cast<TQtWindowSurface*>(&DC);
        if (surface == nullptr || surface->Bound == nullptr)
            return false;
        surface->Bound->swapBuffers(&surface->Window());
        return true;
    }

    void* GetProcAddress(const char* Name) override {
        QOpenGLContext* current = QOpenGLContext::currentContext();
        return current != nullptr ? reinterpret_cast<void*>(current->getProcAddress(Name))
                                  : nullptr;
    }

    void* GetGLUProcAddress(const char* Name) override {
        std::lock_guard guard(FLock);
        if (FGLU == nullptr && !FGLUTried) {
            FGLUTried = true;
            FGLU = dlopen("libGLU.so.1", RTLD_NOW | RTLD_LOCAL);
        }
        return FGLU != nullptr ? dlsym(FGLU, Name) : nullptr;
    }

private:
    std::mutex FLock;
    void* FGLU = nullptr;
    bool FGLUTried = false;
    std::vector<std::unique_ptr<TQtContext>> FContexts;
};

} // namespace

TQtWindowSurface::TQtWindowSurface(TGLPlatform& Platform, QWindow& Window)
    : TGLSurface(Platform, OBJ_DC), FWindow(Window) {}

std::array<int, 2> TQtWindowSurface::Size() const {
    const qreal ratio = FWindow.devicePixelRatio();
    return {int(FWindow.width() * ratio), int(FWindow.height() * ratio)};
}

QSurfaceFormat WindowSurfaceFormat(bool DoubleBuffered) {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setVersion(2, 1);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setOption(QSurfaceFormat::DeprecatedFunctions);
    f.setRedBufferSize(8);
    f.setGreenBufferSize(8);
    f.setBlueBufferSize(8);
    f.setAlphaBufferSize(8);
    f.setDepthBufferSize(24);
    f.setSwapBehavior(DoubleBuffered ? QSurfaceFormat::DoubleBuffer : QSurfaceFormat::SingleBuffer);
    return f;
}

TGLPlatform& QtWindowPlatform() {
    static TQtWindowPlatform platform;
    return platform;
}
