// Sections: per-thread current recorder; argument recording; entry points; the back-end.
#include "Qor3DRecording.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

namespace {

thread_local TGLRecordingPlatform* tRecorder = nullptr;
thread_local TGLRecordingSurface* tSurface = nullptr;

TGLRecordingPlatform& Recorder() {
    if (tRecorder == nullptr)
        throw EOpenGLException("No rendering context is active.");
    return *tRecorder;
}

// ---- Argument recording ----

// How many numbers a pointer argument points at, from the call and the arguments before it.
size_t PointerCount(const TGLCall& call) {
    const std::string& n = call.Name;
    const double last = call.Args.empty() ? 0 : call.Args.back();
    const auto pname = static_cast<GLenum>(last);
    if (n == "glColor3fv" || n == "glNormal3fv" || n == "glVertex3fv" || n == "glVertex3dv" ||
        n == "glNormal3sv")
        return 3;
    if (n == "glColor4fv" || n == "glColor4ubv" || n == "glClipPlane")
        return 4;
    if (n == "glLoadMatrixd" || n == "glLoadMatrixf" || n == "glMultMatrixd" ||
        n == "glMultMatrixf")
        return 16;
    if (n == "glMaterialfv")
        return pname == GL_SHININESS ? 1 : pname == GL_COLOR_INDEXES ? 3 : 4;
    if (n == "glLightfv")
        return pname == GL_SPOT_DIRECTION ? 3
               : (pname == GL_POSITION || pname == GL_AMBIENT || pname == GL_DIFFUSE ||
                  pname == GL_SPECULAR)
                   ? 4
                   : 1;
    if (n == "glLightModelfv")
        return pname == GL_LIGHT_MODEL_AMBIENT ? 4 : 1;
    if (n == "glDeleteTextures")
        return last > 0 ? static_cast<size_t>(last) : 0;
    return 1;
}

template <typename T> void AddArg(TGLCall& call, T v) {
    if constexpr (std::is_arithmetic_v<T>)
        call.Args.push_back(static_cast<double>(v));
}

template <typename T> void AddArg(TGLCall& call, const T* p) {
    if constexpr (std::is_arithmetic_v<T>) {
        const size_t n = p != nullptr ? PointerCount(call) : 0;
        for (size_t i = 0; i < n; ++i)
            call.Args.push_back(static_cast<double>(p[i]));
    }
}

template <typename T> void AddArg(TGLCall&, T* p) {
    (void)p; // Output buffers and quadrics carry nothing worth recording.
}

template <size_t L> struct TFixedName {
    char Text[L];
    constexpr TFixedName(const char (&v)[L]) { std::copy_n(v, L, Text); }
};

template <typename F> struct TRecordStub;
template <typename R, typename... A> struct TRecordStub<R (*)(A...)> {
    template <TFixedName N> static R Call(A... args) {
        TGLRecordingPlatform& rec = Recorder();
        TGLCall call{N.Text, {}};
        (AddArg(call, args), ...);
        rec.Record(std::move(call));
        if constexpr (!std::is_void_v<R>)
            return R{};
    }
};

// ---- Entry points with answers ----

const GLubyte* RecGetString(GLenum name) {
    TGLRecordingPlatform& rec = Recorder();
    rec.Record({"glGetString", {double(name)}});
    // The answer must outlive the call: keep every text handed out for the thread's life.
    thread_local std::map<std::string, std::string> kept;
    const std::string text = rec.StringAnswer(name);
    auto it = kept.try_emplace(text, text).first;
    return reinterpret_cast<const GLubyte*>(it->second.c_str());
}

// glGetIntegerv, glGetDoublev and glGetFloatv answer the configured integers.
template <typename T, TFixedName N> void RecGet(GLenum name, T* out) {
    TGLRecordingPlatform& rec = Recorder();
    rec.Record({N.Text, {double(name)}});
    const std::vector<GLint> v = rec.IntegerAnswer(name);
    std::copy(v.begin(), v.end(), out);
}

void RecGenTextures(GLsizei n, GLuint* out) {
    TGLRecordingPlatform& rec = Recorder();
    rec.Record({"glGenTextures", {double(n)}});
    thread_local GLuint next = 1;
    for (GLsizei i = 0; i < n; ++i)
        out[i] = next++;
}

void RecClear(GLbitfield mask) {
    TGLRecordingPlatform& rec = Recorder();
    rec.Record({"glClear", {double(mask)}});
    rec.ClearSurface(mask);
}

void RecClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    TGLRecordingPlatform& rec = Recorder();
    rec.Record({"glClearColor", {r, g, b, a}});
    rec.SetClearColor(r, g, b, a);
}

template <bool Enable, TFixedName N> void RecClientState(GLenum array) {
    TGLRecordingPlatform& rec = Recorder();
    rec.Record({N.Text, {double(array)}});
    if (auto* a = rec.ClientArray(array))
        a->Enabled = Enable;
}

void SetArray(GLenum Array, const char* Name, GLint Size, GLenum Type, GLsizei Stride,
              const void* Pointer) {
    TGLRecordingPlatform& rec = Recorder();
    rec.Record({Name, {double(Size), double(Type), double(Stride)}});
    TGLRecordingPlatform::TClientArray& a = *rec.ClientArray(Array);
    a.Size = Size;
    a.Type = Type;
    a.Stride = Stride;
    a.Pointer = Pointer;
}

void RecVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    SetArray(GL_VERTEX_ARRAY, "glVertexPointer", size, type, stride, pointer);
}

void RecNormalPointer(GLenum type, GLsizei stride, const void* pointer) {
    SetArray(GL_NORMAL_ARRAY, "glNormalPointer", 3, type, stride, pointer);
}

void RecTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    SetArray(GL_TEXTURE_COORD_ARRAY, "glTexCoordPointer", size, type, stride, pointer);
}

void RecDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    Recorder().DrawElements(mode, count, type, indices);
}

GLUquadric* RecNewQuadric() {
    Recorder().Record({"gluNewQuadric", {}});
    static int dummy = 0;
    return reinterpret_cast<GLUquadric*>(&dummy);
}

template <typename F> void* Address(F f) {
    return reinterpret_cast<void*>(f);
}

const std::map<std::string, void*, std::less<>>& EntryPoints() {
    static const auto table = [] {
        std::map<std::string, void*, std::less<>> t;
#define QOR_REC_GL(name)                                                                           \
    t["gl" #name] = Address(&TRecordStub<decltype(&::gl##name)>::template Call<"gl" #name>);
        QOR_GL_FUNCTIONS(QOR_REC_GL)
#undef QOR_REC_GL
#define QOR_REC_GLU(name) t[#name] = Address(&TRecordStub<decltype(&::name)>::template Call<#name>);
        QOR_GLU_FUNCTIONS(QOR_REC_GLU)
#undef QOR_REC_GLU
        t["glGetString"] = Address(&RecGetString);
        t["glGetIntegerv"] = Address(&RecGet<GLint, "glGetIntegerv">);
        t["glGetDoublev"] = Address(&RecGet<GLdouble, "glGetDoublev">);
        t["glGetFloatv"] = Address(&RecGet<GLfloat, "glGetFloatv">);
        t["glGenTextures"] = Address(&RecGenTextures);
        t["glClear"] = Address(&RecClear);
        t["glClearColor"] = Address(&RecClearColor);
        t["gluNewQuadric"] = Address(&RecNewQuadric);
        t["glEnableClientState"] = Address(&RecClientState<true, "glEnableClientState">);
        t["glDisableClientState"] = Address(&RecClientState<false, "glDisableClientState">);
        t["glVertexPointer"] = Address(&RecVertexPointer);
        t["glNormalPointer"] = Address(&RecNormalPointer);
        t["glTexCoordPointer"] = Address(&RecTexCoordPointer);
        t["glDrawElements"] = Address(&RecDrawElements);
        return t;
    }();
    return table;
}

class TRecordingContext : public TGLContext {
public:
    using TGLContext::TGLContext;
};

// The immediate-mode letter of an array type and the size of one number of it.
std::pair<char, size_t> TypeOf(GLenum Type) {
    switch (Type) {
    case GL_BYTE:
        return {'b', 1};
    case GL_SHORT:
        return {'s', 2};
    case GL_INT:
        return {'i', 4};
    case GL_DOUBLE:
        return {'d', 8};
    default:
        return {'f', 4};
    }
}

template <class V> V Read(const void* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

double Number(const uint8_t* p, GLenum Type) {
    switch (Type) {
    case GL_BYTE:
        return Read<int8_t>(p);
    case GL_SHORT:
        return Read<int16_t>(p);
    case GL_INT:
        return Read<int32_t>(p);
    case GL_DOUBLE:
        return Read<double>(p);
    default:
        return Read<float>(p);
    }
}

// Element Index of an enabled array as the call it stands for ("glVertex3fv(1, 2, 3)").
TGLCall ArrayElement(const char* Kind, const TGLRecordingPlatform::TClientArray& A, size_t Index) {
    const auto [letter, bytes] = TypeOf(A.Type);
    const size_t stride = A.Stride > 0 ? size_t(A.Stride) : bytes * size_t(A.Size);
    const auto* p = static_cast<const uint8_t*>(A.Pointer) + stride * Index;
    TGLCall call{std::string(Kind) + std::to_string(A.Size) + letter + "v", {}};
    for (GLint i = 0; i < A.Size; ++i)
        call.Args.push_back(Number(p + bytes * size_t(i), A.Type));
    return call;
}

size_t IndexAt(const void* Indices, GLenum Type, GLsizei i) {
    switch (Type) {
    case GL_UNSIGNED_BYTE:
        return static_cast<const uint8_t*>(Indices)[i];
    case GL_UNSIGNED_SHORT:
        return static_cast<const uint16_t*>(Indices)[i];
    default:
        return static_cast<const uint32_t*>(Indices)[i];
    }
}

TPixelFormatDescriptor Format(uint32_t flags) {
    TPixelFormatDescriptor f;
    f.nSize = sizeof(TPixelFormatDescriptor);
    f.nVersion = 1;
    f.dwFlags = flags | PFD_SUPPORT_OPENGL;
    f.iPixelType = PFD_TYPE_RGBA;
    f.cColorBits = 32;
    f.cAlphaBits = 8;
    f.cDepthBits = 24;
    return f;
}

// ---- Call texts ----

struct TEnumName {
    constexpr TEnumName(GLenum V, const char* N) : Value(V), Name(N) {}
    GLenum Value;
    const char* Name;
};
#define QOR_ENUM(e) TEnumName(e, #e)

// The names of one kind of argument; within a kind every value has one name.
constexpr TEnumName PrimitiveNames[] = {QOR_ENUM(GL_POINTS),       QOR_ENUM(GL_LINES),
                                        QOR_ENUM(GL_LINE_LOOP),    QOR_ENUM(GL_LINE_STRIP),
                                        QOR_ENUM(GL_TRIANGLES),    QOR_ENUM(GL_TRIANGLE_STRIP),
                                        QOR_ENUM(GL_TRIANGLE_FAN), QOR_ENUM(GL_QUADS),
                                        QOR_ENUM(GL_QUAD_STRIP),   QOR_ENUM(GL_POLYGON)};

constexpr TEnumName BlendFactorNames[] = {QOR_ENUM(GL_ZERO),
                                          QOR_ENUM(GL_ONE),
                                          QOR_ENUM(GL_SRC_COLOR),
                                          QOR_ENUM(GL_ONE_MINUS_SRC_COLOR),
                                          QOR_ENUM(GL_SRC_ALPHA),
                                          QOR_ENUM(GL_ONE_MINUS_SRC_ALPHA),
                                          QOR_ENUM(GL_DST_ALPHA),
                                          QOR_ENUM(GL_ONE_MINUS_DST_ALPHA),
                                          QOR_ENUM(GL_DST_COLOR),
                                          QOR_ENUM(GL_ONE_MINUS_DST_COLOR),
                                          QOR_ENUM(GL_SRC_ALPHA_SATURATE)};

constexpr TEnumName BufferBitNames[] = {
    QOR_ENUM(GL_COLOR_BUFFER_BIT), QOR_ENUM(GL_DEPTH_BUFFER_BIT), QOR_ENUM(GL_STENCIL_BUFFER_BIT),
    QOR_ENUM(GL_ACCUM_BUFFER_BIT)};

constexpr TEnumName AttribBitNames[] = {QOR_ENUM(GL_CURRENT_BIT),
                                        QOR_ENUM(GL_POINT_BIT),
                                        QOR_ENUM(GL_LINE_BIT),
                                        QOR_ENUM(GL_POLYGON_BIT),
                                        QOR_ENUM(GL_POLYGON_STIPPLE_BIT),
                                        QOR_ENUM(GL_PIXEL_MODE_BIT),
                                        QOR_ENUM(GL_LIGHTING_BIT),
                                        QOR_ENUM(GL_FOG_BIT),
                                        QOR_ENUM(GL_DEPTH_BUFFER_BIT),
                                        QOR_ENUM(GL_ACCUM_BUFFER_BIT),
                                        QOR_ENUM(GL_STENCIL_BUFFER_BIT),
                                        QOR_ENUM(GL_VIEWPORT_BIT),
                                        QOR_ENUM(GL_TRANSFORM_BIT),
                                        QOR_ENUM(GL_ENABLE_BIT),
                                        QOR_ENUM(GL_COLOR_BUFFER_BIT),
                                        QOR_ENUM(GL_HINT_BIT),
                                        QOR_ENUM(GL_EVAL_BIT),
                                        QOR_ENUM(GL_LIST_BIT),
                                        QOR_ENUM(GL_TEXTURE_BIT),
                                        QOR_ENUM(GL_SCISSOR_BIT)};

// Every other GLenum argument: OpenGL 1.1's capabilities, targets, parameter names and values
// (BGR from 1.2), and GLU's quadric and string names.
constexpr TEnumName EnumNames[] = {
    QOR_ENUM(GL_NONE),
    // Comparisons.
    QOR_ENUM(GL_NEVER), QOR_ENUM(GL_LESS), QOR_ENUM(GL_EQUAL), QOR_ENUM(GL_LEQUAL),
    QOR_ENUM(GL_GREATER), QOR_ENUM(GL_NOTEQUAL), QOR_ENUM(GL_GEQUAL), QOR_ENUM(GL_ALWAYS),
    // Buffers and faces.
    QOR_ENUM(GL_FRONT_LEFT), QOR_ENUM(GL_FRONT_RIGHT), QOR_ENUM(GL_BACK_LEFT),
    QOR_ENUM(GL_BACK_RIGHT), QOR_ENUM(GL_FRONT), QOR_ENUM(GL_BACK), QOR_ENUM(GL_LEFT),
    QOR_ENUM(GL_RIGHT), QOR_ENUM(GL_FRONT_AND_BACK), QOR_ENUM(GL_AUX0), QOR_ENUM(GL_CW),
    QOR_ENUM(GL_CCW),
    // Capabilities.
    QOR_ENUM(GL_POINT_SMOOTH), QOR_ENUM(GL_LINE_SMOOTH), QOR_ENUM(GL_LINE_STIPPLE),
    QOR_ENUM(GL_POLYGON_SMOOTH), QOR_ENUM(GL_POLYGON_STIPPLE), QOR_ENUM(GL_CULL_FACE),
    QOR_ENUM(GL_LIGHTING), QOR_ENUM(GL_COLOR_MATERIAL), QOR_ENUM(GL_FOG), QOR_ENUM(GL_DEPTH_TEST),
    QOR_ENUM(GL_STENCIL_TEST), QOR_ENUM(GL_NORMALIZE), QOR_ENUM(GL_ALPHA_TEST), QOR_ENUM(GL_DITHER),
    QOR_ENUM(GL_BLEND), QOR_ENUM(GL_INDEX_LOGIC_OP), QOR_ENUM(GL_COLOR_LOGIC_OP),
    QOR_ENUM(GL_SCISSOR_TEST), QOR_ENUM(GL_TEXTURE_GEN_S), QOR_ENUM(GL_TEXTURE_GEN_T),
    QOR_ENUM(GL_TEXTURE_GEN_R), QOR_ENUM(GL_TEXTURE_GEN_Q), QOR_ENUM(GL_AUTO_NORMAL),
    QOR_ENUM(GL_TEXTURE_1D), QOR_ENUM(GL_TEXTURE_2D), QOR_ENUM(GL_POLYGON_OFFSET_POINT),
    QOR_ENUM(GL_POLYGON_OFFSET_LINE), QOR_ENUM(GL_POLYGON_OFFSET_FILL), QOR_ENUM(GL_CLIP_PLANE0),
    QOR_ENUM(GL_CLIP_PLANE1), QOR_ENUM(GL_CLIP_PLANE2), QOR_ENUM(GL_CLIP_PLANE3),
    QOR_ENUM(GL_CLIP_PLANE4), QOR_ENUM(GL_CLIP_PLANE5), QOR_ENUM(GL_LIGHT0), QOR_ENUM(GL_LIGHT1),
    QOR_ENUM(GL_LIGHT2), QOR_ENUM(GL_LIGHT3), QOR_ENUM(GL_LIGHT4), QOR_ENUM(GL_LIGHT5),
    QOR_ENUM(GL_LIGHT6), QOR_ENUM(GL_LIGHT7),
    // Client-side arrays.
    QOR_ENUM(GL_VERTEX_ARRAY), QOR_ENUM(GL_NORMAL_ARRAY), QOR_ENUM(GL_COLOR_ARRAY),
    QOR_ENUM(GL_INDEX_ARRAY), QOR_ENUM(GL_TEXTURE_COORD_ARRAY), QOR_ENUM(GL_EDGE_FLAG_ARRAY),
    // Data types and pixel formats.
    QOR_ENUM(GL_BYTE), QOR_ENUM(GL_UNSIGNED_BYTE), QOR_ENUM(GL_SHORT), QOR_ENUM(GL_UNSIGNED_SHORT),
    QOR_ENUM(GL_INT), QOR_ENUM(GL_UNSIGNED_INT), QOR_ENUM(GL_FLOAT), QOR_ENUM(GL_DOUBLE),
    QOR_ENUM(GL_BITMAP), QOR_ENUM(GL_COLOR_INDEX), QOR_ENUM(GL_STENCIL_INDEX),
    QOR_ENUM(GL_DEPTH_COMPONENT), QOR_ENUM(GL_RED), QOR_ENUM(GL_GREEN), QOR_ENUM(GL_BLUE),
    QOR_ENUM(GL_ALPHA), QOR_ENUM(GL_RGB), QOR_ENUM(GL_RGBA), QOR_ENUM(GL_LUMINANCE),
    QOR_ENUM(GL_LUMINANCE_ALPHA), QOR_ENUM(GL_BGR), QOR_ENUM(GL_BGRA),
    // Matrices, shading, polygons and hints.
    QOR_ENUM(GL_MODELVIEW), QOR_ENUM(GL_PROJECTION), QOR_ENUM(GL_TEXTURE), QOR_ENUM(GL_FLAT),
    QOR_ENUM(GL_SMOOTH), QOR_ENUM(GL_POINT), QOR_ENUM(GL_LINE), QOR_ENUM(GL_FILL),
    QOR_ENUM(GL_PERSPECTIVE_CORRECTION_HINT), QOR_ENUM(GL_POINT_SMOOTH_HINT),
    QOR_ENUM(GL_LINE_SMOOTH_HINT), QOR_ENUM(GL_POLYGON_SMOOTH_HINT), QOR_ENUM(GL_FOG_HINT),
    QOR_ENUM(GL_DONT_CARE), QOR_ENUM(GL_FASTEST), QOR_ENUM(GL_NICEST),
    // Lights and materials.
    QOR_ENUM(GL_AMBIENT), QOR_ENUM(GL_DIFFUSE), QOR_ENUM(GL_SPECULAR), QOR_ENUM(GL_POSITION),
    QOR_ENUM(GL_SPOT_DIRECTION), QOR_ENUM(GL_SPOT_EXPONENT), QOR_ENUM(GL_SPOT_CUTOFF),
    QOR_ENUM(GL_CONSTANT_ATTENUATION), QOR_ENUM(GL_LINEAR_ATTENUATION),
    QOR_ENUM(GL_QUADRATIC_ATTENUATION), QOR_ENUM(GL_EMISSION), QOR_ENUM(GL_SHININESS),
    QOR_ENUM(GL_AMBIENT_AND_DIFFUSE), QOR_ENUM(GL_COLOR_INDEXES),
    QOR_ENUM(GL_LIGHT_MODEL_LOCAL_VIEWER), QOR_ENUM(GL_LIGHT_MODEL_TWO_SIDE),
    QOR_ENUM(GL_LIGHT_MODEL_AMBIENT),
    // Textures.
    QOR_ENUM(GL_TEXTURE_ENV), QOR_ENUM(GL_TEXTURE_ENV_MODE), QOR_ENUM(GL_TEXTURE_ENV_COLOR),
    QOR_ENUM(GL_MODULATE), QOR_ENUM(GL_DECAL), QOR_ENUM(GL_REPLACE),
    QOR_ENUM(GL_TEXTURE_MAG_FILTER), QOR_ENUM(GL_TEXTURE_MIN_FILTER), QOR_ENUM(GL_TEXTURE_WRAP_S),
    QOR_ENUM(GL_TEXTURE_WRAP_T), QOR_ENUM(GL_TEXTURE_BORDER_COLOR), QOR_ENUM(GL_NEAREST),
    QOR_ENUM(GL_LINEAR), QOR_ENUM(GL_NEAREST_MIPMAP_NEAREST), QOR_ENUM(GL_LINEAR_MIPMAP_NEAREST),
    QOR_ENUM(GL_NEAREST_MIPMAP_LINEAR), QOR_ENUM(GL_LINEAR_MIPMAP_LINEAR), QOR_ENUM(GL_CLAMP),
    QOR_ENUM(GL_REPEAT),
    // Pixel storage.
    QOR_ENUM(GL_UNPACK_SWAP_BYTES), QOR_ENUM(GL_UNPACK_LSB_FIRST), QOR_ENUM(GL_UNPACK_ROW_LENGTH),
    QOR_ENUM(GL_UNPACK_SKIP_ROWS), QOR_ENUM(GL_UNPACK_SKIP_PIXELS), QOR_ENUM(GL_UNPACK_ALIGNMENT),
    QOR_ENUM(GL_PACK_SWAP_BYTES), QOR_ENUM(GL_PACK_LSB_FIRST), QOR_ENUM(GL_PACK_ROW_LENGTH),
    QOR_ENUM(GL_PACK_SKIP_ROWS), QOR_ENUM(GL_PACK_SKIP_PIXELS), QOR_ENUM(GL_PACK_ALIGNMENT),
    // State queries.
    QOR_ENUM(GL_VENDOR), QOR_ENUM(GL_RENDERER), QOR_ENUM(GL_VERSION), QOR_ENUM(GL_EXTENSIONS),
    QOR_ENUM(GL_MAX_TEXTURE_SIZE), QOR_ENUM(GL_MAX_LIGHTS), QOR_ENUM(GL_MAX_CLIP_PLANES),
    QOR_ENUM(GL_MAX_MODELVIEW_STACK_DEPTH), QOR_ENUM(GL_MAX_PROJECTION_STACK_DEPTH),
    QOR_ENUM(GL_MAX_VIEWPORT_DIMS), QOR_ENUM(GL_VIEWPORT), QOR_ENUM(GL_MATRIX_MODE),
    QOR_ENUM(GL_MODELVIEW_STACK_DEPTH), QOR_ENUM(GL_PROJECTION_STACK_DEPTH),
    QOR_ENUM(GL_MODELVIEW_MATRIX), QOR_ENUM(GL_PROJECTION_MATRIX), QOR_ENUM(GL_DEPTH_RANGE),
    QOR_ENUM(GL_DEPTH_WRITEMASK), QOR_ENUM(GL_DEPTH_FUNC), QOR_ENUM(GL_COLOR_CLEAR_VALUE),
    QOR_ENUM(GL_CURRENT_COLOR), QOR_ENUM(GL_DOUBLEBUFFER), QOR_ENUM(GL_STEREO),
    QOR_ENUM(GL_RED_BITS), QOR_ENUM(GL_GREEN_BITS), QOR_ENUM(GL_BLUE_BITS), QOR_ENUM(GL_ALPHA_BITS),
    QOR_ENUM(GL_DEPTH_BITS), QOR_ENUM(GL_STENCIL_BITS), QOR_ENUM(GL_TEXTURE_BINDING_1D),
    QOR_ENUM(GL_TEXTURE_BINDING_2D),
    // GLU.
    QOR_ENUM(GLU_SMOOTH), QOR_ENUM(GLU_FLAT), QOR_ENUM(GLU_NONE), QOR_ENUM(GLU_POINT),
    QOR_ENUM(GLU_LINE), QOR_ENUM(GLU_FILL), QOR_ENUM(GLU_SILHOUETTE), QOR_ENUM(GLU_OUTSIDE),
    QOR_ENUM(GLU_INSIDE), QOR_ENUM(GLU_VERSION), QOR_ENUM(GLU_EXTENSIONS)};

#undef QOR_ENUM

// What a recorded argument is: a number, or a value of one kind of GLenum or GLbitfield.
enum class TArgKind : uint8_t { Number, Enum, Primitive, BlendFactor, BufferBits, AttribBits };

// One letter per recorded argument, for every call with a GLenum or GLbitfield argument: E an
// enum, P a primitive, B a blend factor, C glClear's buffer bits, A glPushAttrib's attribute
// bits, . a number. Arguments beyond the letters are numbers. The array pointers record their
// arguments as (size, type, stride).
const std::map<std::string, std::string, std::less<>>& ArgLetters() {
    static const std::map<std::string, std::string, std::less<>> letters{
        {"glAlphaFunc", "E"},
        {"glBegin", "P"},
        {"glBindTexture", "E"},
        {"glBlendFunc", "BB"},
        {"glClear", "C"},
        {"glClipPlane", "E"},
        {"glColorMaterial", "EE"},
        {"glCullFace", "E"},
        {"glDepthFunc", "E"},
        {"glDisable", "E"},
        {"glDisableClientState", "E"},
        {"glDrawArrays", "P"},
        {"glDrawBuffer", "E"},
        {"glEnable", "E"},
        {"glEnableClientState", "E"},
        {"glFrontFace", "E"},
        {"glGetBooleanv", "E"},
        {"glGetDoublev", "E"},
        {"glGetFloatv", "E"},
        {"glGetIntegerv", "E"},
        {"glGetString", "E"},
        {"glHint", "EE"},
        {"glIsEnabled", "E"},
        {"glLightModelf", "E"},
        {"glLightModelfv", "E"},
        {"glLightModeli", "E"},
        {"glLightf", "EE"},
        {"glLightfv", "EE"},
        {"glLighti", "EE"},
        {"glMaterialf", "EE"},
        {"glMaterialfv", "EE"},
        {"glMateriali", "EE"},
        {"glMatrixMode", "E"},
        {"glNormalPointer", ".E"},
        {"glPixelStorei", "E"},
        {"glPolygonMode", "EE"},
        {"glPushAttrib", "A"},
        {"glReadBuffer", "E"},
        {"glReadPixels", "....EE"},
        {"glShadeModel", "E"},
        {"glTexCoordPointer", ".E"},
        {"glTexEnvf", "EE"},
        {"glTexEnvi", "EE"},
        {"glTexImage1D", "E....EE"},
        {"glTexImage2D", "E.....EE"},
        {"glTexParameterf", "EE"},
        {"glTexParameteri", "EE"},
        {"glTexSubImage2D", "E.....EE"},
        {"glVertexPointer", ".E"},
        {"gluQuadricDrawStyle", "E"},
        {"gluQuadricNormals", "E"},
        {"gluQuadricOrientation", "E"},
        {"gluErrorString", "E"},
        {"gluGetString", "E"}};
    return letters;
}

TArgKind ArgKind(const std::string& Call, size_t Index) {
    const auto& letters = ArgLetters();
    const auto it = letters.find(Call);
    if (it == letters.end() || Index >= it->second.size())
        return TArgKind::Number;
    switch (it->second[Index]) {
    case 'E':
        return TArgKind::Enum;
    case 'P':
        return TArgKind::Primitive;
    case 'B':
        return TArgKind::BlendFactor;
    case 'C':
        return TArgKind::BufferBits;
    case 'A':
        return TArgKind::AttribBits;
    default:
        return TArgKind::Number;
    }
}

std::string NumberText(double V) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", V);
    return buf;
}

template <size_t N> const char* NameOf(const TEnumName (&Names)[N], GLenum V) {
    for (const TEnumName& e : Names)
        if (e.Value == V)
            return e.Name;
    return nullptr;
}

// The set bits by name, joined by |; bits without a name stay a number.
template <size_t N> std::string BitsText(const TEnumName (&Names)[N], GLbitfield V) {
    std::string s;
    for (const TEnumName& e : Names)
        if ((V & e.Value) != 0) {
            s += (s.empty() ? "" : "|") + std::string(e.Name);
            V &= ~e.Value;
        }
    if (V != 0 || s.empty())
        s += (s.empty() ? "" : "|") + std::to_string(V);
    return s;
}

std::string ArgText(TArgKind Kind, double V) {
    const bool whole =
        V >= 0 && V <= double(std::numeric_limits<GLenum>::max()) && V == std::floor(V);
    if (Kind == TArgKind::Number || !whole)
        return NumberText(V);
    const auto e = static_cast<GLenum>(V);
    const char* name = nullptr;
    switch (Kind) {
    case TArgKind::BufferBits:
        return BitsText(BufferBitNames, e);
    case TArgKind::AttribBits:
        return e == GL_ALL_ATTRIB_BITS ? "GL_ALL_ATTRIB_BITS" : BitsText(AttribBitNames, e);
    case TArgKind::Primitive:
        name = NameOf(PrimitiveNames, e);
        break;
    case TArgKind::BlendFactor:
        name = NameOf(BlendFactorNames, e);
        break;
    default:
        name = NameOf(EnumNames, e);
        break;
    }
    return name != nullptr ? name : NumberText(V);
}

} // namespace

std::string TGLCall::Text() const {
    std::string s = Name + "(";
    for (size_t i = 0; i < Args.size(); ++i)
        s += (i > 0 ? ", " : "") + ArgText(ArgKind(Name, i), Args[i]);
    return s + ")";
}

TGLRecordingSurface::TGLRecordingSurface(TGLPlatform& Platform, int ObjectType, int Width,
                                         int Height, QImage* Image)
    : TGLSurface(Platform, ObjectType), FWidth(Width), FHeight(Height), FImage(Image) {}

std::array<int, 2> TGLRecordingSurface::Size() const {
    if (FImage != nullptr)
        return {FImage->width(), FImage->height()};
    return {FWidth, FHeight};
}

// ---- The back-end ----

TGLRecordingPlatform::TGLRecordingPlatform()
    : Strings{{GL_VENDOR, "Plotyra"},
              {GL_RENDERER, "Recording"},
              {GL_VERSION, "1.1 Recording"},
              {GL_EXTENSIONS, ""}},
      Integers{{GL_MAX_TEXTURE_SIZE, {16384}}, {GL_VIEWPORT, {0, 0, 100, 100}}},
      Formats{Format(PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER), Format(PFD_DRAW_TO_WINDOW),
              Format(PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI)} {}

TGLRecordingPlatform::~TGLRecordingPlatform() {
    if (tRecorder == this) {
        tRecorder = nullptr;
        tSurface = nullptr;
    }
}

std::vector<TGLCall> TGLRecordingPlatform::Log() const {
    std::lock_guard guard(FLock);
    return FLog;
}

std::vector<std::string> TGLRecordingPlatform::Names() const {
    std::lock_guard guard(FLock);
    std::vector<std::string> names;
    names.reserve(FLog.size());
    for (const TGLCall& c : FLog)
        names.push_back(c.Name);
    return names;
}

std::vector<TGLCall> TGLRecordingPlatform::Calls(const std::string& Name) const {
    std::lock_guard guard(FLock);
    std::vector<TGLCall> calls;
    std::copy_if(FLog.begin(), FLog.end(), std::back_inserter(calls),
                 [&](const TGLCall& c) { return c.Name == Name; });
    return calls;
}

std::vector<std::string> TGLRecordingPlatform::Texts(const std::string& Name) const {
    std::lock_guard guard(FLock);
    std::vector<std::string> texts;
    for (const TGLCall& c : FLog)
        if (Name.empty() || c.Name == Name)
            texts.push_back(c.Text());
    return texts;
}

void TGLRecordingPlatform::ClearLog() {
    std::lock_guard guard(FLock);
    FLog.clear();
}

TPixelFormatDescriptor TGLRecordingPlatform::LastRequest() const {
    std::lock_guard guard(FLock);
    return FLastRequest;
}

int TGLRecordingPlatform::LiveContexts() const {
    std::lock_guard guard(FLock);
    return static_cast<int>(FContexts.size());
}

std::unique_ptr<TGLSurface> TGLRecordingPlatform::CreateSurface(int ObjectType, int Width,
                                                                int Height) {
    return std::make_unique<TGLRecordingSurface>(*this, ObjectType, Width, Height);
}

std::unique_ptr<TGLSurface> TGLRecordingPlatform::CreateBitmapSurface(QImage& Image) {
    return std::make_unique<TGLRecordingSurface>(*this, OBJ_MEMDC, Image.width(), Image.height(),
                                                 &Image);
}

bool TGLRecordingPlatform::Load() {
    if (LibraryMissing) {
        SetLastError("librecording.so: cannot open shared object file: No such file or directory");
        return false;
    }
    return true;
}

int TGLRecordingPlatform::ChoosePixelFormat(TGLSurface& DC, const TPixelFormatDescriptor& Request) {
    {
        std::lock_guard guard(FLock);
        FLastRequest = Request;
    }
    Record({"ChoosePixelFormat", {double(Request.dwFlags)}});
    if (!Load())
        return 0;
    if (FailChoosePixelFormat || DC.ObjectType() == 0) {
        SetLastError("The pixel format is invalid.");
        return 0;
    }
    // The first format with the requested target and buffering, else one with the target only.
    const uint32_t target = Request.dwFlags & (PFD_DRAW_TO_WINDOW | PFD_DRAW_TO_BITMAP);
    const uint32_t buffering = Request.dwFlags & PFD_DOUBLEBUFFER;
    for (bool strict : {true, false})
        for (size_t i = 0; i < Formats.size(); ++i)
            if ((Formats[i].dwFlags & target) == target &&
                (!strict || (Formats[i].dwFlags & PFD_DOUBLEBUFFER) == buffering))
                return static_cast<int>(i + 1);
    SetLastError("The pixel format is invalid.");
    return 0;
}

bool TGLRecordingPlatform::SetPixelFormat(TGLSurface& DC, int Format,
                                          const TPixelFormatDescriptor& Request) {
    Record({"SetPixelFormat", {double(Format)}});
    return TGLPlatform::SetPixelFormat(DC, Format, Request);
}

bool TGLRecordingPlatform::DescribePixelFormat(TGLSurface&, int Format,
                                               TPixelFormatDescriptor& Out) {
    if (Format < 1 || Format > static_cast<int>(Formats.size()))
        return false;
    Out = Formats[Format - 1];
    return true;
}

HGLRC TGLRecordingPlatform::CreateContext(TGLSurface& DC) {
    Record({"CreateContext", {double(DC.PixelFormat())}});
    if (FailCreateContext || DC.PixelFormat() == 0) {
        SetLastError("The requested resource is in use.");
        return nullptr;
    }
    std::lock_guard guard(FLock);
    FContexts.push_back(std::make_unique<TRecordingContext>(*this));
    return FContexts.back().get();
}

bool TGLRecordingPlatform::DeleteContext(HGLRC RC) {
    Record({"DeleteContext", {}});
    if (FailDeleteContext)
        return false;
    std::lock_guard guard(FLock);
    auto it = std::find_if(FContexts.begin(), FContexts.end(),
                           [&](const auto& c) { return c.get() == RC; });
    if (it == FContexts.end())
        return false;
    FContexts.erase(it);
    return true;
}

bool TGLRecordingPlatform::MakeCurrent(HDC DC, HGLRC RC) {
    Record({DC == nullptr ? "MakeCurrent(0)" : "MakeCurrent", {}});
    if (DC == nullptr || RC == nullptr) {
        if (tRecorder == this) {
            tRecorder = nullptr;
            tSurface = nullptr;
        }
        return !FailRelease;
    }
    if (FailMakeCurrent)
        return false;
    tRecorder = this;
    tSurface = dynamic_cast<TGLRecordingSurface*>(DC);
    return true;
}

bool TGLRecordingPlatform::SwapBuffers(TGLSurface&) {
    Record({"SwapBuffers", {}});
    return !FailSwapBuffers;
}

void* TGLRecordingPlatform::GetProcAddress(const char* Name) {
    if (MissingEntryPoints.count(Name) > 0)
        return nullptr;
    const auto& table = EntryPoints();
    auto it = table.find(std::string_view(Name));
    return it != table.end() ? it->second : nullptr;
}

void* TGLRecordingPlatform::GetGLUProcAddress(const char* Name) {
    return GetProcAddress(Name);
}

void TGLRecordingPlatform::Record(TGLCall Call) {
    const bool fail = !FailOnCall.empty() && Call.Name == FailOnCall;
    {
        std::lock_guard guard(FLock);
        FLog.push_back(std::move(Call));
    }
    if (fail)
        throw EOpenGLException("Recorded failure in " + FailOnCall);
}

std::string TGLRecordingPlatform::StringAnswer(GLenum Name) {
    auto it = Strings.find(Name);
    return it != Strings.end() ? it->second : std::string();
}

std::vector<GLint> TGLRecordingPlatform::IntegerAnswer(GLenum Name) {
    auto it = Integers.find(Name);
    return it != Integers.end() ? it->second : std::vector<GLint>{0};
}

TGLRecordingPlatform::TClientArray* TGLRecordingPlatform::ClientArray(GLenum Array) {
    switch (Array) {
    case GL_VERTEX_ARRAY:
        return &FVertexArray;
    case GL_NORMAL_ARRAY:
        return &FNormalArray;
    case GL_TEXTURE_COORD_ARRAY:
        return &FTexCoordArray;
    default:
        return nullptr;
    }
}

void TGLRecordingPlatform::DrawElements(GLenum Mode, GLsizei Count, GLenum Type,
                                        const void* Indices) {
    Record({"glBegin", {double(Mode)}});
    for (GLsizei i = 0; i < Count; ++i) {
        const size_t index = IndexAt(Indices, Type, i);
        if (FTexCoordArray.Enabled)
            Record(ArrayElement("glTexCoord", FTexCoordArray, index));
        if (FNormalArray.Enabled)
            Record(ArrayElement("glNormal", FNormalArray, index));
        if (FVertexArray.Enabled)
            Record(ArrayElement("glVertex", FVertexArray, index));
    }
    Record({"glEnd", {}});
}

void TGLRecordingPlatform::SetClearColor(float R, float G, float B, float A) {
    FClearColor = {R, G, B, A};
}

void TGLRecordingPlatform::ClearSurface(GLbitfield Mask) {
    if ((Mask & GL_COLOR_BUFFER_BIT) == 0 || tSurface == nullptr || tSurface->Image() == nullptr)
        return;
    auto channel = [](float v) {
        return std::clamp(int(v * 255.0f + 0.5f), 0, 255);
    };
    tSurface->Image()->fill(
        QColor(channel(FClearColor[0]), channel(FClearColor[1]), channel(FClearColor[2])));
}
