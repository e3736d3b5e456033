#include "gl/Qor3DQuadric.h"

#include "gl/Qor3DLib.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace {

struct TQorQuadric {
    GLenum DrawStyle = GLU_FILL;
    GLenum Normals = GLU_SMOOTH;
    GLenum Orientation = GLU_OUTSIDE;
    GLboolean Texture = GL_FALSE;
};

TQorQuadric* Of(GLUquadric* q) {
    return reinterpret_cast<TQorQuadric*>(q);
}

GLUquadric* NewQuadric() {
    return reinterpret_cast<GLUquadric*>(new TQorQuadric);
}

void DeleteQuadric(GLUquadric* q) {
    delete Of(q);
}

void QuadricDrawStyle(GLUquadric* q, GLenum v) {
    Of(q)->DrawStyle = v;
}
void QuadricNormals(GLUquadric* q, GLenum v) {
    Of(q)->Normals = v;
}
void QuadricOrientation(GLUquadric* q, GLenum v) {
    Of(q)->Orientation = v;
}
void QuadricTexture(GLUquadric* q, GLboolean v) {
    Of(q)->Texture = v;
}

// A point of the sphere at polar angle Rho (from +z) and azimuth Theta, with its texture
// coordinate (S, T), as GLU lays it out.
struct TSpherePoint {
    double Rho = 0;
    double Theta = 0;
    double S = 0;
    double T = 0;
};

void SpherePoint(const TGLFunctions& gl, const TQorQuadric& q, double radius,
                 const TSpherePoint& P) {
    const double x = -std::sin(P.Theta) * std::sin(P.Rho);
    const double y = std::cos(P.Theta) * std::sin(P.Rho);
    const double z = std::cos(P.Rho);
    const double sign = q.Orientation == GLU_INSIDE ? -1.0 : 1.0;
    if (q.Normals != GLU_NONE)
        gl.Normal3d(sign * x, sign * y, sign * z);
    if (q.Texture)
        gl.TexCoord2d(P.S, P.T);
    gl.Vertex3d(x * radius, y * radius, z * radius);
}

void Sphere(GLUquadric* quad, GLdouble radius, GLint slices, GLint stacks) {
    if (slices < 2 || stacks < 1 || radius < 0)
        return;
    const TQorQuadric& q = *Of(quad);
    const TGLFunctions& gl = GL();
    const double pi = std::numbers::pi;
    for (int j = 0; j < stacks; ++j) {
        const double rho0 = pi * j / stacks;
        const double rho1 = pi * (j + 1) / stacks;
        const TGLPrimitive strip(gl, q.DrawStyle == GLU_FILL ? GL_QUAD_STRIP : GL_LINE_STRIP);
        for (int i = 0; i <= slices; ++i) {
            const double theta = i == slices ? 0.0 : 2 * pi * i / slices;
            const double s = 1.0 - double(i) / slices;
            SpherePoint(gl, q, radius,
                        {.Rho = rho0, .Theta = theta, .S = s, .T = 1.0 - double(j) / stacks});
            SpherePoint(gl, q, radius,
                        {.Rho = rho1, .Theta = theta, .S = s, .T = 1.0 - double(j + 1) / stacks});
        }
    }
}

void Cylinder(GLUquadric* quad, GLdouble base, GLdouble top, GLdouble height, GLint slices,
              GLint stacks) {
    if (slices < 2 || stacks < 1)
        return;
    const TQorQuadric& q = *Of(quad);
    const TGLFunctions& gl = GL();
    const double pi = std::numbers::pi;
    const double sign = q.Orientation == GLU_INSIDE ? -1.0 : 1.0;
    const double slope = height != 0 ? (base - top) / height : 0;
    for (int j = 0; j < stacks; ++j) {
        const TGLPrimitive strip(gl, GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            const double theta = i == slices ? 0.0 : 2 * pi * i / slices;
            const double sx = std::sin(theta);
            const double cy = std::cos(theta);
            if (q.Normals != GLU_NONE)
                gl.Normal3d(sign * sx, sign * cy, sign * slope);
            for (int k : {j, j + 1}) {
                const double z = height * k / stacks;
                const double r = base + (top - base) * k / stacks;
                if (q.Texture)
                    gl.TexCoord2d(double(i) / slices, double(k) / stacks);
                gl.Vertex3d(r * sx, r * cy, z);
            }
        }
    }
}

void Disk(GLUquadric* quad, GLdouble inner, GLdouble outer, GLint slices, GLint loops) {
    if (slices < 2 || loops < 1)
        return;
    const TQorQuadric& q = *Of(quad);
    const TGLFunctions& gl = GL();
    const double pi = std::numbers::pi;
    if (q.Normals != GLU_NONE)
        gl.Normal3d(0, 0, q.Orientation == GLU_INSIDE ? -1.0 : 1.0);
    for (int j = 0; j < loops; ++j) {
        const double r0 = inner + (outer - inner) * j / loops;
        const double r1 = inner + (outer - inner) * (j + 1) / loops;
        const TGLPrimitive strip(gl, GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            const double theta = i == slices ? 0.0 : 2 * pi * i / slices;
            gl.Vertex3d(r1 * std::sin(theta), r1 * std::cos(theta), 0);
            gl.Vertex3d(r0 * std::sin(theta), r0 * std::cos(theta), 0);
        }
    }
}

const GLubyte* ErrorString(GLenum) {
    return reinterpret_cast<const GLubyte*>("unknown error");
}

const GLubyte* GetString(GLenum name) {
    return reinterpret_cast<const GLubyte*>(name == GLU_VERSION ? "1.3 built-in" : "");
}

template <typename F> void* Address(F f) {
    return reinterpret_cast<void*>(f);
}

} // namespace

void* BuiltInGLUProcAddress(const char* Name) {
    struct TEntry {
        const char* Name;
        void* Address;
    };
    static const TEntry entries[] = {
        {"gluNewQuadric", Address(&NewQuadric)},
        {"gluDeleteQuadric", Address(&DeleteQuadric)},
        {"gluQuadricDrawStyle", Address(&QuadricDrawStyle)},
        {"gluQuadricNormals", Address(&QuadricNormals)},
        {"gluQuadricOrientation", Address(&QuadricOrientation)},
        {"gluQuadricTexture", Address(&QuadricTexture)},
        {"gluSphere", Address(&Sphere)},
        {"gluCylinder", Address(&Cylinder)},
        {"gluDisk", Address(&Disk)},
        {"gluErrorString", Address(&ErrorString)},
        {"gluGetString", Address(&GetString)},
    };
    for (const TEntry& e : entries)
        if (std::strcmp(e.Name, Name) == 0)
            return e.Address;
    return nullptr;
}
