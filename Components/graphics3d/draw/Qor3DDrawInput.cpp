// The drawing control's input: mouse buttons and moves turning, moving and zooming the view, and
// the wheel with the owner's wheel events.
#include "draw/Qor3DDraw.h"

#include "QorUpdateBracket.h"

#include <cmath>

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
    // The last button up ends a drag: the full picture follows at once, not after the pause
    // that tells a held, still mouse from a moving one.
    if (FTurning && !FLeftDragging && !FMiddleDragging && !FRightDragging)
        EndTurning();
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
