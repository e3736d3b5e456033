// Sections: entry-point stubs; function table; implementation properties; registry and
// per-thread state; context operations; drawing helpers.
#include "gl/Qor3DLib.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sstream>

// ---- Entry-point stubs -----------------------------------------------------------------------

namespace {

template <size_t L> struct TFixedName {
    char Text[L];
    constexpr TFixedName(const char (&v)[L]) { std::copy_n(v, L, Text); }
};

template <typename F> struct TMissingStub;
template <typename R, typename... A> struct TMissingStub<R (*)(A...)> {
    template <TFixedName N> static R Call(A...) {
        throw EOpenGLException(std::string("OpenGL entry point ") + N.Text + " is not available.");
    }
};

template <typename F> struct TNoContextStub;
template <typename R, typename... A> struct TNoContextStub<R (*)(A...)> {
    template <TFixedName N> static R Call(A...) {
        throw EOpenGLException("No rendering context is active.");
    }
};

template <typename F> F ToFunction(void* p) {
    return reinterpret_cast<F>(p);
}

} // namespace

// ---- Function table --------------------------------------------------------------------------

TGLFunctions::TMissing TGLFunctions::Load(const TResolver& ResolveGL, const TResolver& ResolveGLU) {
    TMissing missing;
#define QOR_LOAD_GL(name)                                                                          \
    if (void* p = ResolveGL("gl" #name))                                                           \
        name = ToFunction<decltype(name)>(p);                                                      \
    else {                                                                                         \
        name = &TMissingStub<decltype(name)>::template Call<"gl" #name>;                           \
        missing.GL.emplace_back("gl" #name);                                                       \
    }
    QOR_GL_FUNCTIONS(QOR_LOAD_GL)
#undef QOR_LOAD_GL
#define QOR_LOAD_GLU(name)                                                                         \
    if (void* p = ResolveGLU(#name))                                                               \
        name = ToFunction<decltype(name)>(p);                                                      \
    else {                                                                                         \
        name = &TMissingStub<decltype(name)>::template Call<#name>;                                \
        missing.GLU.emplace_back(#name);                                                           \
    }
    QOR_GLU_FUNCTIONS(QOR_LOAD_GLU)
#undef QOR_LOAD_GLU
    return missing;
}

TGLFunctions TGLFunctions::Unavailable() {
    TGLFunctions t;
#define QOR_STUB_GL(name) t.name = &TNoContextStub<decltype(t.name)>::template Call<"gl" #name>;
    QOR_GL_FUNCTIONS(QOR_STUB_GL)
#undef QOR_STUB_GL
#define QOR_STUB_GLU(name) t.name = &TNoContextStub<decltype(t.name)>::template Call<#name>;
    QOR_GLU_FUNCTIONS(QOR_STUB_GLU)
#undef QOR_STUB_GLU
    return t;
}

// ---- Implementation properties ---------------------------------------------------------------

bool TGLImplementation::HasExtension(const std::string& Name) const {
    std::istringstream words(Extensions);
    std::string w;
    while (words >> w)
        if (w == Name)
            return true;
    return false;
}

namespace {

std::string TextOf(const GLubyte* s) {
    return s != nullptr ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}

// "4.5 (Compatibility Profile) Mesa 22.3.6" gives 4 and 5; an unreadable text gives 0.0.
void ParseVersion(TGLImplementation& impl) {
    int major = 0;
    int minor = 0;
    if (std::sscanf(impl.Version.c_str(), "%d.%d", &major, &minor) != 2)
        major = minor = 0;
    impl.Major = major;
    impl.Minor = minor;
    const int v = major * 10 + std::min(minor, 9);
    for (size_t i = 0; i < impl.KnownVersions.size(); ++i)
        impl.VersionFlags[i] = v >= impl.KnownVersions[i];
}

TGLImplementation ReadImplementation(const TGLFunctions& gl) {
    TGLImplementation impl;
    impl.Vendor = TextOf(gl.GetString(GL_VENDOR));
    impl.Renderer = TextOf(gl.GetString(GL_RENDERER));
    impl.Version = TextOf(gl.GetString(GL_VERSION));
    impl.Extensions = TextOf(gl.GetString(GL_EXTENSIONS));
    try {
        impl.GLUVersion = TextOf(gl.gluGetString(GLU_VERSION));
    } catch (const EOpenGLException&) {
        // GLU serves only the sample sphere; without it the rest still works.
    }
    ParseVersion(impl);
    return impl;
}

} // namespace

struct TGLLoadedState {
    TGLFunctions Table;
    TGLImplementation Implementation;
};

// ---- Registry and per-thread state -----------------------------------------------------------

namespace {

struct TActiveContextRegistry {
    std::mutex Lock;
    std::vector<HGLRC> Contexts;

    bool Contains(HGLRC rc) const {
        return std::find(Contexts.begin(), Contexts.end(), rc) != Contexts.end();
    }
    void Remove(HGLRC rc) { std::erase(Contexts, rc); }
};

TActiveContextRegistry& Registry() {
    static TActiveContextRegistry registry;
    return registry;
}

std::atomic<int> gLastPixelFormat{0};
std::atomic<const TGLPlatform*> gLastPlatform{nullptr};

thread_local int tActivationCount = 0;
thread_local HDC tCurrentDC = nullptr;
thread_local HGLRC tCurrentRC = nullptr;
thread_local std::shared_ptr<const TGLLoadedState> tLoaded;

const TGLLoadedState& NoContextState() {
    static const TGLLoadedState state{TGLFunctions::Unavailable(), {}};
    return state;
}

void Check(bool condition, const char* message) {
    if (!condition)
        throw EAssertionFailed(message);
}

std::string ErrorText(const TGLPlatform& platform, const char* fallback) {
    std::string text = platform.LastError();
    return text.empty() ? std::string(fallback) : text;
}

} // namespace

// The loaded tables live with their back-end; this is the one place that reads or replaces them.
struct TGLContextLayer {
    static std::mutex& Lock() {
        static std::mutex lock;
        return lock;
    }
    static std::shared_ptr<const TGLLoadedState> Loaded(const TGLPlatform& p) {
        std::lock_guard guard(Lock());
        return p.FLoaded;
    }
    static void Store(TGLPlatform& p, std::shared_ptr<const TGLLoadedState> state) {
        std::lock_guard guard(Lock());
        p.FLoaded = std::move(state);
    }
};

namespace {

// With the context current: resolve every entry point and read the implementation properties.
std::shared_ptr<const TGLLoadedState> LoadState(TGLPlatform& platform) {
    auto state = std::make_shared<TGLLoadedState>();
    const auto missing =
        state->Table.Load([&](const char* n) { return platform.GetProcAddress(n); },
                          [&](const char* n) { return platform.GetGLUProcAddress(n); });
    if (!missing.GL.empty())
        throw EOpenGLException("OpenGL entry point " + missing.GL.front() + " is not available.");
    state->Implementation = ReadImplementation(state->Table);
    return state;
}

void ReloadIfNeeded(HDC dc) {
    TGLPlatform& platform = dc->Platform();
    const int pf = dc->PixelFormat();
    auto loaded = TGLContextLayer::Loaded(platform);
    if (pf != gLastPixelFormat || &platform != gLastPlatform || !loaded) {
        loaded = LoadState(platform);
        TGLContextLayer::Store(platform, loaded);
        gLastPixelFormat = pf;
        gLastPlatform = &platform;
    }
    tLoaded = std::move(loaded);
}

} // namespace

const TGLFunctions& GL() {
    return tLoaded ? tLoaded->Table : NoContextState().Table;
}

const TGLImplementation& GLImplementation() {
    return tLoaded ? tLoaded->Implementation : NoContextState().Implementation;
}

int ActivationCount() {
    return tActivationCount;
}
HDC CurrentDC() {
    return tCurrentDC;
}
HGLRC CurrentRC() {
    return tCurrentRC;
}
int LastPixelFormat() {
    return gLastPixelFormat;
}

bool IsContextRegistered(HGLRC RC) {
    auto& reg = Registry();
    std::lock_guard guard(reg.Lock);
    return reg.Contains(RC);
}

// ---- Back-end defaults -----------------------------------------------------------------------

bool TGLPlatform::SetPixelFormat(TGLSurface& DC, int Format, const TPixelFormatDescriptor&) {
    DC.SetPixelFormatIndex(Format);
    return true;
}

std::unique_ptr<TGLSurface> TGLPlatform::CreateBitmapSurface(QImage&) {
    SetLastError("This back-end has no memory bitmaps.");
    return nullptr;
}

std::string TGLPlatform::LastError() const {
    std::lock_guard guard(FErrorLock);
    return FLastError;
}

void TGLPlatform::SetLastError(std::string Text) {
    std::lock_guard guard(FErrorLock);
    FLastError = std::move(Text);
}

// ---- Context operations ----------------------------------------------------------------------

TPixelFormatDescriptor BuildPixelFormatRequest(int ObjectType, TContextOptions Options,
                                               const TContextFormat& Format) {
    TPixelFormatDescriptor pfd;
    pfd.nSize = sizeof(TPixelFormatDescriptor);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_SUPPORT_OPENGL;
    const bool memory =
        ObjectType == OBJ_METADC || ObjectType == OBJ_MEMDC || ObjectType == OBJ_ENHMETADC;
    pfd.dwFlags |= memory ? PFD_DRAW_TO_BITMAP : PFD_DRAW_TO_WINDOW;
    if (Options.Contains(TContextOption::DoubleBuffered))
        pfd.dwFlags |= PFD_DOUBLEBUFFER;
    if (Options.Contains(TContextOption::GdiSupport))
        pfd.dwFlags |= PFD_SUPPORT_GDI;
    if (Options.Contains(TContextOption::Stereo))
        pfd.dwFlags |= PFD_STEREO;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<uint8_t>(Format.ColorBits);
    pfd.cAlphaBits = Format.ColorBits == 32 ? 8 : 0;
    pfd.cAccumBits = static_cast<uint8_t>(Format.AccumBits);
    pfd.cDepthBits = static_cast<uint8_t>(Format.DepthBits);
    pfd.cStencilBits = static_cast<uint8_t>(Format.StencilBits);
    pfd.cAuxBuffers = static_cast<uint8_t>(Format.AuxBuffers);
    pfd.iLayerType = Format.Layer == 0  ? PFD_MAIN_PLANE
                     : Format.Layer > 0 ? PFD_OVERLAY_PLANE
                                        : PFD_UNDERLAY_PLANE;
    return pfd;
}

HGLRC CreateRenderingContext(HDC DC, TContextOptions Options, const TContextFormat& Format) {
    if (DC == nullptr)
        throw EOSError("The handle is invalid.");
    TGLPlatform& platform = DC->Platform();
    platform.Load();
    const int objectType = DC->ObjectType();
    if (objectType == 0)
        throw EOSError(ErrorText(platform, "The handle is invalid."));
    TPixelFormatDescriptor pfd = BuildPixelFormatRequest(objectType, Options, Format);
    const int format = platform.ChoosePixelFormat(*DC, pfd);
    if (format == 0)
        throw EOSError(ErrorText(platform, "The pixel format is invalid."));
    if (format != DC->PixelFormat() && !platform.SetPixelFormat(*DC, format, pfd))
        throw EOSError(ErrorText(platform, "The pixel format is invalid."));
    platform.DescribePixelFormat(*DC, format, pfd);
    HGLRC rc = platform.CreateContext(*DC);
    if (rc == nullptr)
        throw EOSError(ErrorText(platform, "The requested resource is in use."));
    gLastPixelFormat = 0;
    // The thread's activation count is left alone: zeroing it while a context is active would
    // strand that context as current and registered, and break its balanced deactivation.
    return rc;
}

void ActivateRenderingContext(HDC DC, HGLRC RC) {
    Check(DC != nullptr, "DC must not be 0");
    Check(RC != nullptr, "RC must not be 0");
    if (tActivationCount > 0) {
        Check(tCurrentDC == DC && tCurrentRC == RC, "Incoherent DC/RC pair.");
        ++tActivationCount;
        return;
    }
    TGLPlatform& platform = RC->Platform();
    {
        auto& reg = Registry();
        std::lock_guard guard(reg.Lock);
        if (reg.Contains(RC))
            throw EOpenGLException("Rendering context already active in another thread.");
        if (!platform.MakeCurrent(DC, RC))
            throw EOpenGLException("wglMakeCurrent failed");
        reg.Contexts.push_back(RC);
    }
    tCurrentDC = DC;
    tCurrentRC = RC;
    ++tActivationCount;
    try {
        ReloadIfNeeded(DC);
    } catch (...) {
        // Leave the thread and the registry as they were before this activation.
        {
            auto& reg = Registry();
            std::lock_guard guard(reg.Lock);
            reg.Remove(RC);
        }
        platform.MakeCurrent(nullptr, nullptr);
        tCurrentDC = nullptr;
        tCurrentRC = nullptr;
        tActivationCount = 0;
        tLoaded.reset();
        throw;
    }
}

void DeactivateRenderingContext() {
    Check(tActivationCount >= 1, "Unbalanced deactivation.");
    if (--tActivationCount > 0)
        return;
    HGLRC rc = tCurrentRC;
    {
        auto& reg = Registry();
        std::lock_guard guard(reg.Lock);
        reg.Remove(rc);
    }
    tCurrentDC = nullptr;
    tCurrentRC = nullptr;
    tLoaded.reset();
    if (rc == nullptr || !rc->Platform().MakeCurrent(nullptr, nullptr))
        throw EOpenGLException("wglMakeCurrent failed");
}

void DestroyRenderingContext(HGLRC RC) {
    Check(tActivationCount == 0, "Active contexts cannot be deleted.");
    {
        auto& reg = Registry();
        std::lock_guard guard(reg.Lock);
        if (reg.Contains(RC))
            throw EOpenGLException(
                "Cannot delete rendering context. It is still in use by another thread.");
    }
    if (RC == nullptr || !RC->Platform().DeleteContext(RC))
        throw EOpenGLException("wglDeleteContext failed");
}

bool DescribePixelFormat(HDC DC, int Format, TPixelFormatDescriptor& Out) {
    return DC != nullptr && DC->Platform().DescribePixelFormat(*DC, Format, Out);
}

bool SwapBuffers(HDC DC) {
    return DC != nullptr && DC->Platform().SwapBuffers(*DC);
}

// ---- Drawing helpers -------------------------------------------------------------------------

namespace {

struct TBoxCorner {
    float S, T;
    int X, Y, Z; // 1 or 2: which of the two coordinates
};
struct TBoxFaceDef {
    double NX, NY, NZ;
    TBoxCorner Corners[4];
};

constexpr TBoxFaceDef BoxFaceDefs[6] = {
    {0, 0, -1, {{1, 1, 1, 1, 1}, {0, 1, 1, 2, 1}, {0, 0, 2, 2, 1}, {1, 0, 2, 1, 1}}},
    {0, 0, 1, {{1, 1, 2, 1, 2}, {0, 1, 2, 2, 2}, {0, 0, 1, 2, 2}, {1, 0, 1, 1, 2}}},
    {-1, 0, 0, {{1, 0, 1, 1, 1}, {1, 1, 1, 1, 2}, {0, 1, 1, 2, 2}, {0, 0, 1, 2, 1}}},
    {1, 0, 0, {{0, 1, 2, 2, 1}, {0, 0, 2, 2, 2}, {1, 0, 2, 1, 2}, {1, 1, 2, 1, 1}}},
    {0, -1, 0, {{1, 0, 1, 1, 1}, {1, 1, 2, 1, 1}, {0, 1, 2, 1, 2}, {0, 0, 1, 1, 2}}},
    {0, 1, 0, {{1, 0, 1, 2, 2}, {1, 1, 2, 2, 2}, {0, 1, 2, 2, 1}, {0, 0, 1, 2, 1}}},
};

} // namespace

void DrawBox(TBoxFaces Faces, bool ReverseOrder, double X1, double Y1, double Z1, double X2,
             double Y2, double Z2) {
    if (X1 > X2)
        std::swap(X1, X2);
    if (Y1 > Y2)
        std::swap(Y1, Y2);
    if (Z1 > Z2)
        std::swap(Z1, Z2);
    const double xs[3] = {0, X1, X2};
    const double ys[3] = {0, Y1, Y2};
    const double zs[3] = {0, Z1, Z2};
    const TGLFunctions& gl = GL();
    const TGLPrimitive quads(gl, GL_QUADS);
    for (int i = 0; i < 6; ++i) {
        const int face = ReverseOrder ? 5 - i : i;
        if (!Faces.Contains(static_cast<TBoxFace>(face)))
            continue;
        const TBoxFaceDef& f = BoxFaceDefs[face];
        gl.Normal3d(f.NX, f.NY, f.NZ);
        for (const TBoxCorner& c : f.Corners) {
            gl.TexCoord2f(c.S, c.T);
            gl.Vertex3d(xs[c.X], ys[c.Y], zs[c.Z]);
        }
    }
}

void DrawOrientationCube() {
    const TGLFunctions& gl = GL();
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.DepthMask(GL_FALSE);
    gl.Color4ub(255, 255, 255, 128);
    DrawBox(AllBoxFaces, false, -1, -1, -1, 1, 1, 1);
    gl.Color4ub(255, 255, 255, 85);
    DrawBox(AllBoxFaces, true, -1, -1, -1, 1, 1, 1);
    gl.DepthMask(GL_TRUE);
    gl.Disable(GL_BLEND);
    gl.Disable(GL_LIGHTING);

    gl.LineWidth(3.0f);
    const TGLPrimitive lines(gl, GL_LINES);
    gl.Color3f(1.0f, 0.0f, 0.0f);
    gl.Vertex3d(0, 0, 0);
    gl.Vertex3d(1, 0, 0);
    gl.Color3f(0.0f, 1.0f, 0.0f);
    gl.Vertex3d(0, 0, 0);
    gl.Vertex3d(0, 1, 0);
    gl.Color3f(0.0f, 0.0f, 1.0f);
    gl.Vertex3d(0, 0, 0);
    gl.Vertex3d(0, 0, 1);
}

TGLRGB ColorToGLRGB(TColor Color) {
    const TColor c = ColorToRGB(Color);
    return {GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f};
}

void SetGLColor(TColor Color) {
    const TGLRGB rgb = ColorToGLRGB(Color);
    const GLfloat v[3] = {rgb.r, rgb.g, rgb.b};
    GL().Color3fv(v);
}
