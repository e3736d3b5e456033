// The drawing control's core: construction and properties, the update bracket, turning and the
// window's rendering context. The paint cycle is in Qor3DDrawPaint.cpp, the mouse and the wheel
// in Qor3DDrawInput.cpp, the stored forms in Qor3DDrawPersist.cpp.
//
// Sections: construction and properties; update bracket; turning; window context.
#include "draw/Qor3DDraw.h"

#include "draw/Qor3DDrawDetail.h"

#include "QorPropList.h"
#include "QorUpdateBracket.h"
#include "gl/Qor3DOSMesa.h"

#include <cmath>

using QorDrawDetail::IgnoreErrors;

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
