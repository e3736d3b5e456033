// The drawing control's paint cycle: the paint message, Render with its window and export paths,
// the scene's projection, lights and view transform, the export and the design scene.
//
// Sections: paint message and Render; export; design scene.
#include "draw/Qor3DDraw.h"

#include "draw/Qor3DDrawDetail.h"

#include "TCanvas.h"

#include <QPainter>
#include <cmath>
#include <numbers>

using QorDrawDetail::IgnoreErrors;

namespace {

// A memory DC has no alpha channel: the cleared alpha must not make the picture transparent.
void MakeOpaque(QImage& image) {
    if (image.isNull())
        return;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] |= 0xFF000000u;
    }
}

} // namespace

// ---- Paint message and Render ----------------------------------------------------------------

// A switch of the buffering asked for a window context of the new kind before the next paint.
void TQor3DDraw::RecreateContextIfAsked() {
    if (!FRecreateContext)
        return;
    FRecreateContext = false;
    DestroyWindowContext();
    CreateWindowContext();
}

void TQor3DDraw::PaintMessage() {
    if (!HasWindow())
        return;
    RecreateContextIfAsked();
    if (FRenderingToExport)
        return;
    const TPoint size = ClientSize();
    if (size.X != FLastRenderWidth || size.Y != FLastRenderHeight || FRepaintPending) {
        Render();
    } else if (IsBitmapMode() && FUseFastDoubleBuffer) {
        FHost->ShowBitmap(FSafeBitmap);
    } else if (FDoubleBufferedFormat && FUseFastDoubleBuffer && FLastPaintFast) {
        bool active = false;
        try {
            ActivateRenderingContext(FWindowDC, FWindowRC);
            active = true;
            SwapBuffers(FWindowDC);
            active = false;
            DeactivateRenderingContext();
        } catch (...) {
            if (active)
                IgnoreErrors([] { DeactivateRenderingContext(); });
        }
    } else {
        Render();
    }
    FLastPaintFast = FUseFastDoubleBuffer;
}

bool TQor3DDraw::CreateBitmapContext() {
    bool active = false;
    try {
        FBitmapMode = true;
        const TPoint size = ClientSize();
        if (FSafeBitmap.width() != size.X || FSafeBitmap.height() != size.Y)
            FSafeBitmap = QImage(std::max(size.X, 0), std::max(size.Y, 0), QImage::Format_RGB32);
        FSafeSurface = FBitmapPlatform->CreateBitmapSurface(FSafeBitmap);
        if (!FSafeSurface)
            throw std::runtime_error("Error creating rendering context.");
        FWindowDC = FSafeSurface.get();
        FWindowRC = CreateRenderingContext(FWindowDC, {TContextOption::GdiSupport},
                                           {.ColorBits = 32, .DepthBits = 8});
        if (FWindowRC == nullptr)
            throw std::runtime_error("Error creating rendering context.");
        ActivateRenderingContext(FWindowDC, FWindowRC);
        active = true;
        if (!GLImplementation().Version11OrLater())
            throw std::runtime_error("Different OpenGL version.");
        GL().PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        if (OnInitRenderingContext)
            OnInitRenderingContext(this);
        return true;
    } catch (...) {
        RecordPaintError(std::current_exception());
        if (active)
            IgnoreErrors([] { DeactivateRenderingContext(); });
        IgnoreErrors([&] { DestroyWindowContext(); });
        return false;
    }
}

// An export renders into ExportBitmap with the context RenderToBitmap made; every other render
// draws the window (or SafeBitmap in bitmap mode). Both share the scene step.
void TQor3DDraw::Render() {
    if (FRenderingToExport)
        RenderExport();
    else
        RenderWindow();
}

// A render asked for from inside a paint (a handler changed the view) runs once more afterwards.
bool TQor3DDraw::DeferredWhilePainting() {
    if (FPainting)
        FRepaintPending = true;
    return FPainting;
}

TPoint TQor3DDraw::StartPaint() {
    FLastPaintError.clear();
    const TPoint size = ClientSize();
    FLastRenderWidth = size.X;
    FLastRenderHeight = size.Y;
    FRepaintPending = false;
    FPainting = true;
    ++FRenderCount;
    return size;
}

void TQor3DDraw::FinishPaint() {
    FPainting = false;
    if (!IsBitmapMode() && FForceBitmapMode) {
        FBitmapMode = true;
        FRepaintPending = true;
    }
    if (FRepaintPending)
        Invalidate();
}

void TQor3DDraw::FinishBitmap(QImage& Bitmap, const TRect& PaintRect) {
    MakeOpaque(Bitmap);
    PaintCanvas(&Bitmap, PaintRect);
}

void TQor3DDraw::RenderExport() {
    if (DeferredWhilePainting())
        return;
    StartPaint();
    if (FExportRC == nullptr) {
        FPainting = false;
        return;
    }
    const TRect all{0, 0, FExportBitmap.width(), FExportBitmap.height()};
    try {
        RenderScene(all.Width(), all.Height());
    } catch (...) {
        // The export context belongs to RenderToBitmap, which releases it itself.
        RecordPaintError(std::current_exception());
    }
    FinishBitmap(FExportBitmap, all);
    FinishPaint();
}

void TQor3DDraw::RenderWindow() {
    if (!HasWindow() || DeferredWhilePainting())
        return;
    RecreateContextIfAsked();
    const TPoint size = StartPaint();
    bool active = false;
    if (!PrepareWindowContext(active))
        return;
    DrawWindowScene(size, active);
    PresentWindowPicture(size);
    FinishPaint();
}

bool TQor3DDraw::PrepareWindowContext(bool& Active) {
    if (FUseSafeBitmapMode || IsBitmapMode()) {
        if (!CreateBitmapContext()) {
            FPainting = false;
            return false;
        }
        Active = true;
    }
    if (FWindowRC == nullptr) {
        FRepaintPending = false;
        FPainting = false;
        if (IsBitmapMode())
            IgnoreErrors([&] { DestroyWindowContext(); });
        return false;
    }
    return true;
}

void TQor3DDraw::DrawWindowScene(TPoint Size, bool Active) {
    try {
        if (!IsBitmapMode()) {
            ActivateRenderingContext(FWindowDC, FWindowRC);
            Active = true;
        }
        FLastPaintTurning = TurningView() != TPoint{0, 0};
        RenderScene(Size.X, Size.Y);
        if (!IsBitmapMode() && FDoubleBufferedFormat && !SwapBuffers(FWindowDC))
            throw EOpenGLException("SwapBuffers failed");
        Active = false;
        DeactivateRenderingContext();
    } catch (...) {
        RecordPaintError(std::current_exception());
        if (Active)
            IgnoreErrors([] { DeactivateRenderingContext(); });
        // A failure on the window switches to the bitmap for good (at the end of this paint).
        IgnoreErrors([&] { DestroyWindowContext(); });
        FForceBitmapMode = true;
    }
}

// In bitmap mode the context goes with each paint, and the host shows SafeBitmap.
void TQor3DDraw::PresentWindowPicture(TPoint Size) {
    const TRect all{0, 0, Size.X, Size.Y};
    if (!IsBitmapMode()) {
        PaintCanvas(nullptr, all);
        return;
    }
    try {
        DestroyWindowContext();
    } catch (...) {
        FRepaintPending = false;
    }
    FinishBitmap(FSafeBitmap, all);
    FHost->ShowBitmap(FSafeBitmap);
}

void TQor3DDraw::RenderScene(int Width, int Height) {
    const TGLFunctions& gl = GL();
    if (!FDisableMatrixInit)
        SetupProjection(Width, Height);
    SetupLights();
    if (!FDisableBufferClearing)
        ClearBuffers();
    TGLMatrixScope view(gl, !FDisableMatrixInit);
    if (!FDisableMatrixInit)
        ApplyViewTransform();
    PaintGL({0, 0, Width, Height});
    view.Close();
    gl.Flush();
    gl.Finish();
}

void TQor3DDraw::SetupProjection(int Width, int Height) {
    const TGLFunctions& gl = GL();
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    double r0 = FYMin > 0 ? FXMin / FYMin : 1;
    double aspect = Height > 0 ? double(Width) / Height : 1;
    gl.Viewport(0, 0, Width, Height);
    // A zero ratio would divide by zero below; it draws nothing either way.
    if (aspect <= 0)
        aspect = 1;
    if (r0 <= 0)
        r0 = 1;
    double xr = FXMin;
    double yr = FYMin;
    if (aspect >= r0)
        xr = FXMin * aspect / r0;
    else
        yr = FYMin * r0 / aspect;
    if (FPerspectiveON)
        gl.Frustum(-xr, xr, -yr, yr, FZNear, FZFar);
    else
        gl.Ortho(-xr, xr, -yr, yr, FZNear, FZFar);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
}

void TQor3DDraw::SetupLights() {
    const TGLFunctions& gl = GL();
    if (FLightsON) {
        gl.LightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
        const GLfloat specular[4] = {2.0f, 2.0f, 2.0f, 1.0f};
        gl.Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
        gl.Materialf(GL_FRONT_AND_BACK, GL_SHININESS, 120.0f);
        // Set under the identity model-view, so the light stays fixed relative to the viewer.
        const GLfloat position[4] = {0.5f, 0.5f, 0.5f, 1.0f};
        gl.Lightfv(GL_LIGHT0, GL_POSITION, position);
        gl.Enable(GL_LIGHTING);
        gl.Enable(GL_LIGHT0);
    } else {
        gl.Disable(GL_LIGHTING);
    }
    gl.ColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    gl.Enable(GL_COLOR_MATERIAL);
    gl.Enable(GL_NORMALIZE);
}

void TQor3DDraw::ClearBuffers() {
    const TGLFunctions& gl = GL();
    gl.ClearColor(BackgroundRed(), BackgroundGreen(), BackgroundBlue(), 0.0f);
    gl.ClearDepth(1.0);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.DepthFunc(GL_LESS);
    gl.Enable(GL_DEPTH_TEST);
}

// ViewRotX turns about (cos a, 0, sin a) in the frame already turned by ViewRotY: that is the
// screen's horizontal axis, so the tilt is always about the horizontal whatever the turn.
void TQor3DDraw::ApplyViewTransform() {
    const TGLFunctions& gl = GL();
    gl.Translated(FViewMoveX, FViewMoveY, FViewMoveZ);
    gl.Scaled(FViewScale, FViewScale, FViewScale);
    gl.Rotated(FViewRotY, 0, 1, 0);
    const double a = FViewRotY * std::numbers::pi / 180;
    gl.Rotated(FViewRotX, std::cos(a), 0, std::sin(a));
    gl.Rotated(FRotZ, 0, 0, 1);
    gl.Rotated(FRotY, 0, 1, 0);
    gl.Rotated(FRotX, 1, 0, 0);
    gl.Scaled(FScaleX, FScaleY, FScaleZ);
    gl.Translated(FTranslX, FTranslY, FTranslZ);
}

void TQor3DDraw::PaintGL(const TRect& PaintRect) {
    if (FDesigning && !OnPaintGL) {
        DrawDesignScene();
        return;
    }
    if (!OnPaintGL)
        return;
    try {
        OnPaintGL(this, PaintRect);
    } catch (...) {
        // A failing handler must not break the paint cycle.
        RecordPaintError(std::current_exception());
    }
}

void TQor3DDraw::PaintCanvas(QImage* Image, const TRect& PaintRect) {
    if (!OnPaint)
        return;
    try {
        if (Image != nullptr) {
            if (Image->isNull())
                return;
            QPainter painter(Image);
            TQPainterCanvas canvas(painter);
            OnPaint(this, canvas, PaintRect);
        } else if (TCanvas* canvas = FHost != nullptr ? FHost->WindowCanvas() : nullptr) {
            OnPaint(this, *canvas, PaintRect);
        }
    } catch (...) {
        // No exception leaves painting.
        RecordPaintError(std::current_exception());
    }
}

void TQor3DDraw::RecordPaintError(std::exception_ptr Error) {
    if (!FLastPaintError.empty())
        return;
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& e) {
        FLastPaintError = e.what();
    } catch (...) {
        FLastPaintError = "unknown error";
    }
    if (FLastPaintError.empty())
        FLastPaintError = "unknown error";
}

// ---- Export ----------------------------------------------------------------------------------

void TQor3DDraw::RenderToBitmap(int Width, int Height) {
    // An export that gets no bitmap paints nothing; it must not report an older paint's error.
    FLastPaintError.clear();
    FExportBitmap = QImage(std::max(Width, 0), std::max(Height, 0), QImage::Format_RGB32);
    if (FExportBitmap.isNull())
        return;
    FExportSurface = FBitmapPlatform->CreateBitmapSurface(FExportBitmap);
    if (!FExportSurface)
        return;
    auto release = [&](bool active) {
        if (active)
            IgnoreErrors([] { DeactivateRenderingContext(); });
        if (FExportRC != nullptr)
            IgnoreErrors([&] { DestroyRenderingContext(FExportRC); });
        FExportRC = nullptr;
        FExportDC = nullptr;
        FExportSurface.reset();
    };
    FExportDC = FExportSurface.get();
    bool active = false;
    try {
        FExportRC = CreateRenderingContext(FExportDC, {TContextOption::GdiSupport},
                                           {.ColorBits = 32, .DepthBits = 8});
        ActivateRenderingContext(FExportDC, FExportRC);
        active = true;
        if (!GLImplementation().Version11OrLater())
            throw std::runtime_error("Different OpenGL version.");
        GL().PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        if (OnInitRenderingContext)
            OnInitRenderingContext(this);
    } catch (...) {
        release(active);
        throw;
    }
    FRenderingToExport = true;
    Render();
    FRenderingToExport = false;
    const std::string exportError = FLastPaintError;
    release(true);
    // The window shows the scene again. What is reported is the export's result: a failing
    // window paint must not mark a good picture bad.
    Render();
    FLastPaintError = exportError;
}

// ---- Design scene ----------------------------------------------------------------------------

void TQor3DDraw::DrawDesignScene() {
    const TGLFunctions& gl = GL();
    TGLMatrixScope sphere(gl);
    gl.Translated(0.5, 0.5, 0.5);
    gl.Color3f(1.0f, 0.0f, 0.0f);
    try {
        if (GLUquadric* q = gl.gluNewQuadric()) {
            gl.gluSphere(q, 0.5, 32, 32);
            gl.gluDeleteQuadric(q);
        }
    } catch (const EOpenGLException&) {
        // Without GLU the sample scene simply has no sphere.
    }
    sphere.Close();

    DrawOrientationCube();
}
