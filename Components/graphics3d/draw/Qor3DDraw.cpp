// Sections: construction and properties; update bracket; turning; window context; paint message
// and Render; export; design scene; mouse and wheel.
#include "draw/Qor3DDraw.h"

#include "QorPropList.h"
#include "QorUpdateBracket.h"
#include "TCanvas.h"
#include "gl/Qor3DOSMesa.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace {

template <typename F> void IgnoreErrors(F&& f) {
    try {
        f();
    } catch (...) {
        // Releasing and deleting contexts never fails painting.
    }
}

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

// ---- Construction and properties -------------------------------------------------------------

TQor3DDraw::TQor3DDraw()
    : FDisableBufferClearing(false), FDisableMatrixInit(false), FUseFastDoubleBuffer(false),
      FCursor(crSizeAll), FTabStop(true), FBitmapPlatform(&OSMesaPlatform()),
      FSafeBitmap(0, 0, QImage::Format_RGB32), FExportBitmap(0, 0, QImage::Format_RGB32) {
    QorStoreDefaults(Properties(), *this);
}

TQor3DDraw::~TQor3DDraw() {
    FRecreateContext = false;
    FRepaintPending = false;
    FRenderingToExport = false;
    if (FWindowRC != nullptr)
        IgnoreErrors([&] { DestroyRenderingContext(FWindowRC); });
    if (FExportRC != nullptr)
        IgnoreErrors([&] { DestroyRenderingContext(FExportRC); });
}

void TQor3DDraw::SetHost(IQor3DDrawHost* Host) {
    FHost = Host;
    if (FHost != nullptr)
        FHost->CursorChanged(FCursor);
}

template <typename T> void TQor3DDraw::SetField(T& Field, T v) {
    if (Field == v)
        return;
    Field = v;
    Changed();
}

// Angles are kept in (-360, 360); fmod is exact, so 450 gives exactly 90.
void TQor3DDraw::SetAngle(double& Field, double v) {
    if (!std::isfinite(v))
        return;
    SetField(Field, std::fmod(v, 360.0));
}

void TQor3DDraw::SetBackgroundColor(TColor v) {
    SetField(FBackgroundColor, v);
}
float TQor3DDraw::BackgroundRed() const {
    return ColorToGLRGB(FBackgroundColor).r;
}
float TQor3DDraw::BackgroundGreen() const {
    return ColorToGLRGB(FBackgroundColor).g;
}
float TQor3DDraw::BackgroundBlue() const {
    return ColorToGLRGB(FBackgroundColor).b;
}
bool TQor3DDraw::IsBitmapMode() const {
    return FBitmapMode || FDesigning;
}

void TQor3DDraw::SetDragType(TQorDragType v) {
    SetField(FDragType, v);
}
void TQor3DDraw::SetDragTypeMid(TQorDragType v) {
    SetField(FDragTypeMid, v);
}
void TQor3DDraw::SetDragTypeRight(TQorDragType v) {
    SetField(FDragTypeRight, v);
}
void TQor3DDraw::SetWheelAction(TQorDragType v) {
    SetField(FWheelAction, v);
}
void TQor3DDraw::SetLightsON(bool v) {
    SetField(FLightsON, v);
}
void TQor3DDraw::SetPerspectiveON(bool v) {
    SetField(FPerspectiveON, v);
}
void TQor3DDraw::SetXMin(double v) {
    SetField(FXMin, v);
}
void TQor3DDraw::SetYMin(double v) {
    SetField(FYMin, v);
}
void TQor3DDraw::SetZNear(double v) {
    SetField(FZNear, v);
}
void TQor3DDraw::SetZFar(double v) {
    SetField(FZFar, v);
}
void TQor3DDraw::SetRotX(double v) {
    SetAngle(FRotX, v);
}
void TQor3DDraw::SetRotY(double v) {
    SetAngle(FRotY, v);
}
void TQor3DDraw::SetRotZ(double v) {
    SetAngle(FRotZ, v);
}
void TQor3DDraw::SetTranslX(double v) {
    SetField(FTranslX, v);
}
void TQor3DDraw::SetTranslY(double v) {
    SetField(FTranslY, v);
}
void TQor3DDraw::SetTranslZ(double v) {
    SetField(FTranslZ, v);
}
void TQor3DDraw::SetScaleX(double v) {
    SetField(FScaleX, v);
}
void TQor3DDraw::SetScaleY(double v) {
    SetField(FScaleY, v);
}
void TQor3DDraw::SetScaleZ(double v) {
    SetField(FScaleZ, v);
}
void TQor3DDraw::SetViewMoveX(double v) {
    SetField(FViewMoveX, v);
}
void TQor3DDraw::SetViewMoveY(double v) {
    SetField(FViewMoveY, v);
}
void TQor3DDraw::SetViewMoveZ(double v) {
    SetField(FViewMoveZ, v);
}
void TQor3DDraw::SetViewRotX(double v) {
    SetAngle(FViewRotX, v);
}
void TQor3DDraw::SetViewRotY(double v) {
    SetAngle(FViewRotY, v);
}
void TQor3DDraw::SetViewScale(double v) {
    SetField(FViewScale, v);
}

void TQor3DDraw::SetUseDoubleBuffer(bool v) {
    if (FUseDoubleBuffer == v)
        return;
    FUseDoubleBuffer = v;
    Changed();
    FRecreateContext = true;
}

void TQor3DDraw::SetUseSafeBitmapMode(bool v) {
    if (FUseSafeBitmapMode == v)
        return;
    FUseSafeBitmapMode = v;
    Changed();
    FRecreateContext = true;
}

void TQor3DDraw::SetCursor(TCursor v) {
    FCursor = v;
    if (FHost != nullptr)
        FHost->CursorChanged(v);
}

bool TQor3DDraw::HasWindow() const {
    return FHost != nullptr && FHost->HasWindow();
}

TPoint TQor3DDraw::ClientSize() const {
    return FHost != nullptr ? FHost->ClientSize() : TPoint{0, 0};
}

void TQor3DDraw::Invalidate() {
    if (FHost != nullptr)
        FHost->Invalidate();
}

// ---- Update bracket --------------------------------------------------------------------------

void TQor3DDraw::Changed() {
    FChangedWhileUpdating = true;
    if (FUpdateCount > 0)
        return;
    PictureChanged();
    if (OnChange)
        OnChange(this);
}

void TQor3DDraw::PictureChanged() {
    FChangedWhileUpdating = false;
    FRepaintPending = true;
    Invalidate();
}

void TQor3DDraw::BeginUpdate() {
    if (FUpdateCount == 0)
        FChangedWhileUpdating = false;
    ++FUpdateCount;
}

void TQor3DDraw::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0 && FChangedWhileUpdating)
        Changed();
}

void TQor3DDraw::DefaultProperties() {
    if (!OnDefaultProperties)
        return;
    const TQorUpdateScope scope(*this);
    OnDefaultProperties(this);
}

void TQor3DDraw::Set3DViewAngle() {
    if (!OnSet3DViewAngle)
        return;
    const TQorUpdateScope scope(*this);
    OnSet3DViewAngle(this);
}

void TQor3DDraw::Assign(const TObject& Source) {
    const auto* src = dynamic_cast<const TQor3DDraw*>(&Source);
    if (src == nullptr || src == this)
        return;
    const TQorUpdateScope scope(*this);
    QorAssign(Properties(), *this, *src);
}

// ---- Turning ---------------------------------------------------------------------------------

void TQor3DDraw::SetFastTurning(bool v) {
    FFastTurning = v;
    if (!v)
        RepaintIfTurned();
}

void TQor3DDraw::BeginTurning() {
    FTurning = true;
    if (FHost != nullptr)
        FHost->RestartTurningTimer();
}

void TQor3DDraw::EndTurning() {
    FTurning = false;
    RepaintIfTurned();
}

// Only a reduced picture needs the full-density one; a still chart is not drawn again.
void TQor3DDraw::RepaintIfTurned() {
    if (!FLastPaintTurning)
        return;
    FRepaintPending = true;
    Invalidate();
}

TPoint TQor3DDraw::TurningView() const {
    if (!FTurning || !FFastTurning || FRenderingToExport)
        return {0, 0};
    return ClientSize();
}

// ---- Window context --------------------------------------------------------------------------

void TQor3DDraw::WindowCreated() {
    CreateWindowContext();
}

void TQor3DDraw::WindowDestroying() {
    DestroyWindowContext();
}

void TQor3DDraw::CreateWindowContext() {
    if (!HasWindow())
        return;
    if (FUseSafeBitmapMode || FDesigning || FForceBitmapMode) {
        FBitmapMode = true;
    } else {
        FBitmapMode = false;
        try {
            FWindowDC = FHost->GetWindowDC();
            TContextOptions options;
            if (FUseDoubleBuffer)
                options.Include(TContextOption::DoubleBuffered);
            FWindowRC =
                CreateRenderingContext(FWindowDC, options, {.ColorBits = 32, .DepthBits = 8});
            if (FWindowRC != nullptr) {
                TPixelFormatDescriptor pfd;
                DescribePixelFormat(FWindowDC, FWindowDC->PixelFormat(), pfd);
                FDoubleBufferedFormat = (pfd.dwFlags & PFD_DOUBLEBUFFER) != 0;
            } else {
                FBitmapMode = true;
            }
        } catch (...) {
            if (FWindowDC != nullptr)
                IgnoreErrors([&] { FHost->ReleaseWindowDC(FWindowDC); });
            FWindowDC = nullptr;
            FBitmapMode = true;
        }
    }
    if (IsBitmapMode()) {
        FDoubleBufferedFormat = false;
        return;
    }
    bool active = false;
    try {
        ActivateRenderingContext(FWindowDC, FWindowRC);
        active = true;
        GL().PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        if (OnInitRenderingContext)
            OnInitRenderingContext(this);
        active = false;
        DeactivateRenderingContext();
    } catch (...) {
        if (active)
            IgnoreErrors([] { DeactivateRenderingContext(); });
        IgnoreErrors([&] { DestroyRenderingContext(FWindowRC); });
        FWindowRC = nullptr;
        IgnoreErrors([&] { FHost->ReleaseWindowDC(FWindowDC); });
        FWindowDC = nullptr;
        FBitmapMode = true;
    }
}

void TQor3DDraw::DestroyWindowContext() {
    if (FWindowRC != nullptr) {
        IgnoreErrors([&] { DestroyRenderingContext(FWindowRC); });
        FWindowRC = nullptr;
    }
    if (FWindowDC != nullptr) {
        // In bitmap mode the DC is SafeBitmap's surface, not the window's.
        if (FWindowDC == FSafeSurface.get())
            FSafeSurface.reset();
        else if (HasWindow())
            IgnoreErrors([&] { FHost->ReleaseWindowDC(FWindowDC); });
        FWindowDC = nullptr;
    }
}

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

// ---- Mouse and wheel -------------------------------------------------------------------------

void TQor3DDraw::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FTabStop && FHost != nullptr)
        FHost->SetFocus();
    FLastMouseX = X;
    FLastMouseY = Y;
    if (Button == mbLeft)
        FLeftDragging = true;
    else if (Button == mbMiddle)
        FMiddleDragging = true;
    else
        FRightDragging = true;
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TQor3DDraw::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft)
        FLeftDragging = false;
    else if (Button == mbMiddle)
        FMiddleDragging = false;
    else
        FRightDragging = false;
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TQor3DDraw::MouseMove(TShiftState Shift, int X, int Y) {
    // The first acting block stores the new position, so at most one acts per move.
    auto block = [&](bool dragging, TQorDragType action) {
        if (!dragging || action == pdNone || (X == FLastMouseX && Y == FLastMouseY))
            return;
        BeginTurning();
        const TQorUpdateScope scope(*this);
        ApplyDrag(action, X - FLastMouseX, Y - FLastMouseY);
        FLastMouseX = X;
        FLastMouseY = Y;
    };
    block(FLeftDragging, FDragType);
    block(FMiddleDragging, FDragTypeMid);
    block(FRightDragging, FDragTypeRight);
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TQor3DDraw::ApplyDrag(TQorDragType Action, int dx, int dy) {
    switch (Action) {
    case pdRotate:
        if (dy != 0)
            SetViewRotX(FViewRotX + dy);
        if (dx != 0)
            SetViewRotY(FViewRotY + dx);
        break;
    case pdMove:
        if (dx != 0)
            SetViewMoveX(FViewMoveX + dx * FXMin / 100);
        if (dy != 0)
            SetViewMoveY(FViewMoveY - dy * FYMin / 100);
        break;
    case pdZoom:
        if (dy != 0) {
            const double f = std::pow(1.05, dy);
            SetXMin(FXMin * f);
            SetYMin(FYMin * f);
        }
        break;
    case pdNone:
        break;
    }
}

bool TQor3DDraw::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    MouseWheelAction(this, Shift, WheelDelta, MousePos, handled);
    return handled;
}

void TQor3DDraw::MouseWheelAction(TObject*, TShiftState Shift, int WheelDelta, TPoint MousePos,
                                  bool& Handled) {
    // An owner's OnMouseWheel may call back here for the event being passed on: ignore that.
    if (FInWheelAction)
        return;
    if (FHost == nullptr || !FHost->IsShowing())
        return;
    const TPoint p = FHost->CursorClientPos();
    const TPoint size = ClientSize();
    if (p.X < 0 || p.Y < 0 || p.X >= size.X || p.Y >= size.Y)
        return;
    if (FWheelAction != pdNone && WheelDelta != 0) {
        BeginTurning();
        const TQorUpdateScope scope(*this);
        ApplyWheel(Shift, WheelDelta > 0 ? 1 : -1);
        Handled = true;
    }
    if (!Handled) {
        FInWheelAction = true;
        try {
            Handled = InheritedMouseWheel(Shift, WheelDelta, FHost->ScreenToClient(MousePos));
        } catch (...) {
            FInWheelAction = false;
            throw;
        }
        FInWheelAction = false;
    }
}

void TQor3DDraw::ApplyWheel(TShiftState Shift, int s) {
    const bool shift = Shift.Contains(ssShift);
    switch (FWheelAction) {
    case pdRotate:
        if (shift)
            SetViewRotY(5 * s + FViewRotY);
        else
            SetViewRotX(FViewRotX - 5 * s);
        break;
    case pdMove:
        if (shift)
            SetViewMoveX(3 * s * FXMin / 20 + FViewMoveX);
        else
            SetViewMoveY(FViewMoveY - 3 * s * FYMin / 20);
        break;
    case pdZoom: {
        const double f = std::pow(1.05, 3 * s);
        SetXMin(f * FXMin);
        SetYMin(f * FYMin);
        break;
    }
    case pdNone:
        break;
    }
}

bool TQor3DDraw::InheritedMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (!handled) {
        if (WheelDelta < 0 && OnMouseWheelDown)
            OnMouseWheelDown(this, Shift, MousePos, handled);
        else if (WheelDelta > 0 && OnMouseWheelUp)
            OnMouseWheelUp(this, Shift, MousePos, handled);
    }
    return handled;
}
