// OpenGL rendering contexts for the whole program: the function table, the four context
// operations with their per-thread nesting count and the registry of current contexts, the
// back-end interface they run on, and small drawing helpers shared by the painters.
//
// Sections: exceptions; pixel-format request; surfaces, contexts and back-ends; function table;
// context operations; scope guards; drawing helpers.
#pragma once

#include "UQorTypes.h"
#include "gl/Qor3DLibFunctions.h"

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

class QImage;

class EOpenGLException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failed platform call; the message is the back-end's text for the failure.
class EOSError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A broken calling rule (always checked, in every build).
class EAssertionFailed : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// ---- Pixel-format request --------------------------------------------------------------------

enum class TContextOption : uint8_t { DoubleBuffered, GdiSupport, Stereo };
using TContextOptions = TSet<TContextOption>;

constexpr uint32_t PFD_DOUBLEBUFFER = 0x01;
constexpr uint32_t PFD_STEREO = 0x02;
constexpr uint32_t PFD_DRAW_TO_WINDOW = 0x04;
constexpr uint32_t PFD_DRAW_TO_BITMAP = 0x08;
constexpr uint32_t PFD_SUPPORT_GDI = 0x10;
constexpr uint32_t PFD_SUPPORT_OPENGL = 0x20;
constexpr uint8_t PFD_TYPE_RGBA = 0;
constexpr uint8_t PFD_MAIN_PLANE = 0;
constexpr uint8_t PFD_OVERLAY_PLANE = 1;
constexpr uint8_t PFD_UNDERLAY_PLANE = 255;

// Kinds of drawing surface, as GetObjectType reports them.
constexpr int OBJ_DC = 3;
constexpr int OBJ_METADC = 4;
constexpr int OBJ_MEMDC = 10;
constexpr int OBJ_ENHMETADC = 12;

// The 40-byte pixel-format descriptor, field for field.
struct TPixelFormatDescriptor {
    uint16_t nSize = 0;
    uint16_t nVersion = 0;
    uint32_t dwFlags = 0;
    uint8_t iPixelType = 0;
    uint8_t cColorBits = 0;
    uint8_t cRedBits = 0;
    uint8_t cRedShift = 0;
    uint8_t cGreenBits = 0;
    uint8_t cGreenShift = 0;
    uint8_t cBlueBits = 0;
    uint8_t cBlueShift = 0;
    uint8_t cAlphaBits = 0;
    uint8_t cAlphaShift = 0;
    uint8_t cAccumBits = 0;
    uint8_t cAccumRedBits = 0;
    uint8_t cAccumGreenBits = 0;
    uint8_t cAccumBlueBits = 0;
    uint8_t cAccumAlphaBits = 0;
    uint8_t cDepthBits = 0;
    uint8_t cStencilBits = 0;
    uint8_t cAuxBuffers = 0;
    uint8_t iLayerType = 0;
    uint8_t bReserved = 0;
    uint32_t dwLayerMask = 0;
    uint32_t dwVisibleMask = 0;
    uint32_t dwDamageMask = 0;
    bool operator==(const TPixelFormatDescriptor&) const = default;
};
static_assert(sizeof(TPixelFormatDescriptor) == 40);

// What a rendering context asks of its pixel format: the bits of colour, depth, stencil and
// accumulation buffer, the auxiliary buffers, and the plane (Layer 0 the main one, above 0 an
// overlay, below 0 an underlay).
struct TContextFormat {
    int ColorBits = 0;
    int DepthBits = 0;
    int StencilBits = 0;
    int AccumBits = 0;
    int AuxBuffers = 0;
    int Layer = 0;
};

// The request CreateRenderingContext hands to ChoosePixelFormat for a surface of ObjectType.
TPixelFormatDescriptor BuildPixelFormatRequest(int ObjectType, TContextOptions Options,
                                               const TContextFormat& Format);

// ---- Surfaces, contexts and back-ends --------------------------------------------------------

class TGLPlatform;
struct TGLFunctions;
struct TGLLoadedState;

// A drawing surface (the device context): a window, a memory bitmap or a test surface. The
// pixel format is set once per surface, as on the window system.
class TGLSurface {
public:
    TGLSurface(TGLPlatform& Platform, int ObjectType)
        : FPlatform(Platform), FObjectType(ObjectType) {}
    TGLSurface(const TGLSurface&) = delete;
    TGLSurface& operator=(const TGLSurface&) = delete;
    virtual ~TGLSurface() = default;

    TGLPlatform& Platform() const { return FPlatform; }
    int ObjectType() const { return FObjectType; }
    int PixelFormat() const { return FPixelFormat; }
    void SetPixelFormatIndex(int Format) { FPixelFormat = Format; }
    // Width and height of the drawing area in pixels.
    virtual std::array<int, 2> Size() const = 0;

private:
    TGLPlatform& FPlatform;
    int FObjectType;
    int FPixelFormat = 0;
};

// A rendering context of some back-end; created and deleted through the context operations.
class TGLContext {
public:
    explicit TGLContext(TGLPlatform& Platform) : FPlatform(Platform) {}
    TGLContext(const TGLContext&) = delete;
    TGLContext& operator=(const TGLContext&) = delete;
    virtual ~TGLContext() = default;
    TGLPlatform& Platform() const { return FPlatform; }

private:
    TGLPlatform& FPlatform;
};

using HDC = TGLSurface*;
using HGLRC = TGLContext*;

// What a back-end offers the context layer: the pixel-format calls, the context calls and the
// lookup of entry points by name. Failures return false / 0 / nullptr and leave LastError set.
class TGLPlatform {
public:
    TGLPlatform() = default;
    TGLPlatform(const TGLPlatform&) = delete;
    TGLPlatform& operator=(const TGLPlatform&) = delete;
    virtual ~TGLPlatform() = default;

    virtual std::string Name() const = 0;
    // Loads the back-end's libraries if needed; false when they are missing.
    virtual bool Load() = 0;
    virtual int ChoosePixelFormat(TGLSurface& DC, const TPixelFormatDescriptor& Request) = 0;
    virtual bool SetPixelFormat(TGLSurface& DC, int Format, const TPixelFormatDescriptor& Request);
    virtual bool DescribePixelFormat(TGLSurface& DC, int Format, TPixelFormatDescriptor& Out) = 0;
    // The context is owned by the back-end until DeleteContext.
    virtual HGLRC CreateContext(TGLSurface& DC) = 0;
    virtual bool DeleteContext(HGLRC RC) = 0;
    // MakeCurrent(nullptr, nullptr) makes nothing current on the calling thread.
    virtual bool MakeCurrent(HDC DC, HGLRC RC) = 0;
    virtual bool SwapBuffers(TGLSurface& DC) = 0;
    // GL entry points by name, valid while one of this back-end's contexts is current.
    virtual void* GetProcAddress(const char* Name) = 0;
    // GLU entry points by name; by default the same lookup.
    virtual void* GetGLUProcAddress(const char* Name) { return GetProcAddress(Name); }
    // A memory-bitmap surface drawing into Image's own pixels; nullptr when not supported.
    virtual std::unique_ptr<TGLSurface> CreateBitmapSurface(QImage& Image);
    std::string LastError() const;

protected:
    void SetLastError(std::string Text);

private:
    friend struct TGLContextLayer;
    mutable std::mutex FErrorLock;
    std::string FLastError;
    // The table and implementation properties last loaded for this back-end.
    std::shared_ptr<const TGLLoadedState> FLoaded;
};

// ---- Function table --------------------------------------------------------------------------

// Typed entry points, filled by name. Entries that cannot be resolved hold stubs that raise
// EOpenGLException naming the entry point, so a missing function never crashes.
struct TGLFunctions {
#define QOR_GL_MEMBER(name) decltype(&::gl##name) name = nullptr;
    QOR_GL_FUNCTIONS(QOR_GL_MEMBER)
#undef QOR_GL_MEMBER
#define QOR_GLU_MEMBER(name) decltype(&::name) name = nullptr;
    QOR_GLU_FUNCTIONS(QOR_GLU_MEMBER)
#undef QOR_GLU_MEMBER

    using TResolver = std::function<void*(const char* Name)>;
    // One loop over both lists; returns the names of the GL and the GLU entries left unresolved.
    struct TMissing {
        std::vector<std::string> GL;
        std::vector<std::string> GLU;
    };
    TMissing Load(const TResolver& ResolveGL, const TResolver& ResolveGLU);
    // Every entry a stub raising EOpenGLException with Message.
    static TGLFunctions Unavailable();
};

// What the implementation behind the current context reports.
struct TGLImplementation {
    std::string Vendor;
    std::string Renderer;
    std::string Version;
    std::string GLUVersion;
    std::string Extensions;
    int Major = 0;
    int Minor = 0;
    // GL_VERSION_1_0 … GL_VERSION_4_6: VersionFlags[i] for the i-th entry of KnownVersions.
    static constexpr std::array<int, 17> KnownVersions = {10, 11, 12, 13, 14, 15, 20, 21, 30,
                                                          31, 32, 33, 40, 41, 42, 43, 44};
    std::array<bool, KnownVersions.size()> VersionFlags{};
    bool Version11OrLater() const { return VersionFlags[1]; }
    bool HasExtension(const std::string& Name) const;
};

// The table of the context current on the calling thread (stubs raising EOpenGLException
// "No rendering context is active." when there is none). Painters call through it:
// `const TGLFunctions& gl = GL(); gl.Begin(GL_QUADS);`
const TGLFunctions& GL();
// The implementation properties loaded with that table.
const TGLImplementation& GLImplementation();

// ---- Context operations ----------------------------------------------------------------------

HGLRC CreateRenderingContext(HDC DC, TContextOptions Options, const TContextFormat& Format);
void ActivateRenderingContext(HDC DC, HGLRC RC);
void DeactivateRenderingContext();
void DestroyRenderingContext(HGLRC RC);

// Wrappers over the surface's back-end, used by the drawing control.
bool DescribePixelFormat(HDC DC, int Format, TPixelFormatDescriptor& Out);
bool SwapBuffers(HDC DC);

// State of the context layer, for the drawing control and for tests.
int ActivationCount();
HDC CurrentDC();
HGLRC CurrentRC();
bool IsContextRegistered(HGLRC RC);
int LastPixelFormat();

// ---- Scope guards ----------------------------------------------------------------------------

// A pair of GL calls held open for a scope, as TQorUpdateScope holds an update bracket: the
// opening call now, the closing one however the scope is left, so that it cannot be forgotten
// and an exception passing through closes what it leaves open. Close() closes early; the end of
// the scope then does nothing. A closing call that fails while an exception unwinds the scope
// is dropped, so the first failure is the one that arrives; after a normal exit its exception
// passes on.
class TGLScope {
public:
    using TClose = void (*)(const TGLFunctions& gl);

    TGLScope(const TGLScope&) = delete;
    TGLScope& operator=(const TGLScope&) = delete;
    ~TGLScope() noexcept(false) { Close(); }

    void Close() {
        if (!FOpen)
            return;
        FOpen = false;
        if (std::uncaught_exceptions() == FUncaught)
            return FClose(Fgl);
        try {
            FClose(Fgl);
        } catch (...) {
            // The exception unwinding the scope is the one to report.
        }
    }

protected:
    // The guard makes its opening call, then marks itself Opened: one whose opening call fails,
    // or that makes none, closes nothing.
    TGLScope(const TGLFunctions& gl, TClose Closer) : Fgl(gl), FClose(Closer) {}
    void Opened() { FOpen = true; }

    const TGLFunctions& Fgl;

private:
    const TClose FClose;
    const int FUncaught = std::uncaught_exceptions();
    bool FOpen = false;
};

// glBegin(Mode) ... glEnd.
class TGLPrimitive : public TGLScope {
public:
    TGLPrimitive(const TGLFunctions& gl, GLenum Mode)
        : TGLScope(gl, [](const TGLFunctions& g) { g.End(); }) {
        gl.Begin(Mode);
        Opened();
    }
};

// glPushMatrix ... glPopMatrix on the current matrix stack; with Push false nothing at all.
class TGLMatrixScope : public TGLScope {
public:
    explicit TGLMatrixScope(const TGLFunctions& gl, bool Push = true)
        : TGLScope(gl, [](const TGLFunctions& g) { g.PopMatrix(); }) {
        if (!Push)
            return;
        gl.PushMatrix();
        Opened();
    }
    // Back to the matrix as it was pushed: glPopMatrix, glPushMatrix (on a scope that pushed).
    void Restore() {
        Close();
        Fgl.PushMatrix();
        Opened();
    }
};

// ---- Drawing helpers -------------------------------------------------------------------------

enum TBoxFace : uint8_t { FaceZMin, FaceZMax, FaceXMin, FaceXMax, FaceYMin, FaceYMax };
using TBoxFaces = TSet<TBoxFace>;
inline const TBoxFaces AllBoxFaces{FaceZMin, FaceZMax, FaceXMin, FaceXMax, FaceYMin, FaceYMax};

// Eight parameters: the faces, their order, and two opposite corners coordinate by coordinate,
// as glRectd takes the corners of a rectangle.
void DrawBox(TBoxFaces Faces, bool ReverseOrder, double X1, double Y1, double Z1, double X2,
             double Y2, double Z2);
// The orientation cube: the box -1 ... 1 in translucent white, its near faces over its far
// ones, and the red, green and blue axis lines from the origin. Leaves blending and lighting
// off.
void DrawOrientationCube();

struct TGLRGB {
    float r = 0;
    float g = 0;
    float b = 0;
    bool operator==(const TGLRGB&) const = default;
};
TGLRGB ColorToGLRGB(TColor Color);
void SetGLColor(TColor Color);
