// A headless host for TQor3DDraw whose window surface belongs to a recording back-end.
#pragma once

#include "Qor3DRecording.h"
#include "draw/Qor3DDraw.h"

class TFakeDrawHost : public IQor3DDrawHost {
public:
    TFakeDrawHost(TGLRecordingPlatform& Platform, int Width, int Height)
        : Size{Width, Height}, FPlatform(Platform) {}

    void Invalidate() override { ++Invalidations; }
    TPoint ClientSize() const override { return Size; }
    bool HasWindow() const override { return Window; }
    bool IsShowing() const override { return Showing; }
    TPoint CursorClientPos() const override { return Cursor; }
    TPoint ScreenToClient(TPoint P) const override { return {P.X - 1000, P.Y - 1000}; }
    void SetFocus() override { ++Focused; }
    void CursorChanged(TCursor C) override { Shape = C; }
    HDC GetWindowDC() override {
        if (!Surface)
            Surface = FPlatform.CreateSurface(OBJ_DC, Size.X, Size.Y);
        return Surface.get();
    }
    void ReleaseWindowDC(HDC) override { ++Released; }
    void ShowBitmap(const QImage& Bitmap) override {
        ++Shown;
        LastShown = Bitmap;
    }
    TCanvas* WindowCanvas() override { return nullptr; }
    void RestartTurningTimer() override { ++TurningTimerStarts; }

    TPoint Size;
    bool Window = true;
    bool Showing = true;
    TPoint Cursor{10, 10};
    int Invalidations = 0;
    int Focused = 0;
    int Released = 0;
    int Shown = 0;
    int TurningTimerStarts = 0;
    TCursor Shape = crDefault;
    QImage LastShown;
    std::unique_ptr<TGLSurface> Surface;

private:
    TGLRecordingPlatform& FPlatform;
};
