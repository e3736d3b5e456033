// The window back-end: a Qt OpenGL context (compatibility profile, so immediate mode draws) on
// a QWindow of OpenGL surface type. GLU comes from the system's libGLU, opened at run time.
#pragma once

#include "gl/Qor3DLib.h"

#include <QSurfaceFormat>

class QOpenGLContext;
class QWindow;

// The window's DC. The window must outlive the surface.
class TQtWindowSurface : public TGLSurface {
public:
    TQtWindowSurface(TGLPlatform& Platform, QWindow& Window);
    QWindow& Window() const { return FWindow; }
    std::array<int, 2> Size() const override;

    // The context last made current on this window (the one SwapBuffers presents).
    QOpenGLContext* Bound = nullptr;
    // What the context granted, once one is created.
    bool Created = false;
    bool GrantedDoubleBuffer = false;

private:
    QWindow& FWindow;
};

// The format a window should be created with: OpenGL 2.1 compatibility profile, 8 bits per
// channel, 24-bit depth, double-buffered when asked.
QSurfaceFormat WindowSurfaceFormat(bool DoubleBuffered);

// The process-wide window back-end.
TGLPlatform& QtWindowPlatform();
