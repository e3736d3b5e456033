#include "gl/Qor3DOSMesa.h"

#include "gl/Qor3DQuadric.h"

#include <GL/osmesa.h>
#include <QOpenGLContext>
#include <algorithm>
#include <dlfcn.h>
#include <future>

namespace {

class TOSMesaContext : public TGLContext {
public:
    TOSMesaContext(TGLPlatform& Platform, OSMesaContext Handle)
        : TGLContext(Platform), FHandle(Handle) {}
    OSMesaContext Handle() const { return FHandle; }

private:
    OSMesaContext FHandle;
};

// The one pixel format: 32-bit colour into the bitmap, 24-bit depth, single-buffered.
constexpr int OSMesaFormat = 1;
constexpr int OSMesaDepthBits = 24;

class TOSMesaPlatform : public TGLPlatform {
public:
    explicit TOSMesaPlatform(std::string LibraryName) : FLibraryName(std::move(LibraryName)) {}
    ~TOSMesaPlatform() override {
        WaitForPreload();
        for (auto& c : FContexts)
            FDestroyContext(c->Handle());
        // The library stays loaded: Mesa keeps per-thread state that outlives the process's use.
    }

    std::string Name() const override { return "OSMesa"; }

    bool Load() override {
        std::lock_guard guard(FLock);
        return LoadLocked();
    }

    // Load on a thread of its own; the first caller that needs the library waits for it there.
    void Preload() {
        if (!FPreload.valid())
            FPreload = std::async(std::launch::async, [this] { Load(); });
    }

    void WaitForPreload() const {
        if (FPreload.valid())
            FPreload.wait();
    }

    int ChoosePixelFormat(TGLSurface& DC, const TPixelFormatDescriptor&) override {
        if (!Load())
            return 0;
        if (DC.ObjectType() != OBJ_MEMDC) {
            SetLastError("OSMesa draws only into memory bitmaps.");
            return 0;
        }
        return OSMesaFormat;
    }

    bool DescribePixelFormat(TGLSurface&, int Format, TPixelFormatDescriptor& Out) override {
        if (Format != OSMesaFormat)
            return false;
        Out = TPixelFormatDescriptor{};
        Out.nSize = sizeof(TPixelFormatDescriptor);
        Out.nVersion = 1;
        Out.dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL | PFD_SUPPORT_GDI;
        Out.iPixelType = PFD_TYPE_RGBA;
        Out.cColorBits = 32;
        Out.cRedBits = Out.cGreenBits = Out.cBlueBits = Out.cAlphaBits = 8;
        Out.cRedShift = 16;
        Out.cGreenShift = 8;
        Out.cAlphaShift = 24;
        Out.cDepthBits = OSMesaDepthBits;
        return true;
    }

    HGLRC CreateContext(TGLSurface& DC) override {
        std::lock_guard guard(FLock);
        if (!LoadLocked())
            return nullptr;
        if (DC.PixelFormat() != OSMesaFormat) {
            SetLastError("The pixel format is invalid.");
            return nullptr;
        }
        OSMesaContext handle = FCreateContextExt(OSMESA_BGRA, OSMesaDepthBits, 0, 0, nullptr);
        if (handle == nullptr) {
            SetLastError("OSMesaCreateContextExt failed.");
            return nullptr;
        }
        FContexts.push_back(std::make_unique<TOSMesaContext>(*this, handle));
        return FContexts.back().get();
    }

    bool DeleteContext(HGLRC RC) override {
        std::lock_guard guard(FLock);
        auto it = std::find_if(FContexts.begin(), FContexts.end(),
                               [&](const auto& c) { return c.get() == RC; });
        if (it == FContexts.end())
            return false;
        FDestroyContext((*it)->Handle());
        FContexts.erase(it);
        return true;
    }

    bool MakeCurrent(HDC DC, HGLRC RC) override {
        if (!Load())
            return false;
        // GLX and OSMesa share one per-thread current context: let go of any Qt one first.
        if (QOpenGLContext* qt = QOpenGLContext::currentContext())
            qt->doneCurrent();
        if (DC == nullptr || RC == nullptr)
            return FMakeCurrent(nullptr, nullptr, 0, 0, 0) == GL_TRUE;
        auto* surface = dynamic_cast<TOSMesaSurface*>(DC);
        auto* context = dynamic_cast<TOSMesaContext*>(RC);
        if (surface == nullptr || context == nullptr)
            return false;
        QImage& image = surface->Image();
        if (image.isNull() || image.depth() != 32)
            return false;
        if (FMakeCurrent(context->Handle(), image.bits(), GL_UNSIGNED_BYTE, image.width(),
                         image.height()) != GL_TRUE)
            return false;
        // QImage rows run top to bottom.
        FPixelStore(OSMESA_Y_UP, 0);
        return true;
    }

    bool SwapBuffers(TGLSurface&) override { return true; }

    void* GetProcAddress(const char* Name) override {
        if (!Load())
            return nullptr;
        return reinterpret_cast<void*>(FGetProcAddress(Name));
    }

    void* GetGLUProcAddress(const char* Name) override { return BuiltInGLUProcAddress(Name); }

    std::unique_ptr<TGLSurface> CreateBitmapSurface(QImage& Image) override {
        return std::make_unique<TOSMesaSurface>(*this, Image);
    }

private:
    bool LoadLocked() {
        if (FLibrary != nullptr)
            return true;
        void* lib = dlopen(FLibraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (lib == nullptr) {
            const char* error = dlerror();
            SetLastError(error != nullptr ? error : FLibraryName + " cannot be loaded.");
            return false;
        }
        FCreateContextExt =
            reinterpret_cast<decltype(FCreateContextExt)>(dlsym(lib, "OSMesaCreateContextExt"));
        FDestroyContext =
            reinterpret_cast<decltype(FDestroyContext)>(dlsym(lib, "OSMesaDestroyContext"));
        FMakeCurrent = reinterpret_cast<decltype(FMakeCurrent)>(dlsym(lib, "OSMesaMakeCurrent"));
        FPixelStore = reinterpret_cast<decltype(FPixelStore)>(dlsym(lib, "OSMesaPixelStore"));
        FGetProcAddress =
            reinterpret_cast<decltype(FGetProcAddress)>(dlsym(lib, "OSMesaGetProcAddress"));
        if (!FCreateContextExt || !FDestroyContext || !FMakeCurrent || !FPixelStore ||
            !FGetProcAddress) {
            SetLastError(FLibraryName + " lacks an OSMesa entry point.");
            dlclose(lib);
            return false;
        }
        FLibrary = lib;
        return true;
    }

    std::string FLibraryName;
    std::mutex FLock;
    void* FLibrary = nullptr;
    decltype(&::OSMesaCreateContextExt) FCreateContextExt = nullptr;
    decltype(&::OSMesaDestroyContext) FDestroyContext = nullptr;
    decltype(&::OSMesaMakeCurrent) FMakeCurrent = nullptr;
    decltype(&::OSMesaPixelStore) FPixelStore = nullptr;
    decltype(&::OSMesaGetProcAddress) FGetProcAddress = nullptr;
    std::vector<std::unique_ptr<TOSMesaContext>> FContexts;
    std::future<void> FPreload; // last: it ends before the members its thread uses
};

TOSMesaPlatform& TheOSMesaPlatform() {
    static TOSMesaPlatform platform("libOSMesa.so.8");
    return platform;
}

} // namespace

TGLPlatform& OSMesaPlatform() {
    return TheOSMesaPlatform();
}

TOSMesaPreload::TOSMesaPreload() {
    TheOSMesaPlatform().Preload();
}

TOSMesaPreload::~TOSMesaPreload() {
    TheOSMesaPlatform().WaitForPreload();
}

std::unique_ptr<TGLPlatform> CreateOSMesaPlatform(const std::string& LibraryName) {
    return std::make_unique<TOSMesaPlatform>(LibraryName);
}
