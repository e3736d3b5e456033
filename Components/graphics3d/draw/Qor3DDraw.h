// TQor3DDraw: the 3D drawing control. It owns the rendering context of its window, sets up the
// projection, lights and the layered view transform from its properties, and lets its owner draw
// through OnPaintGL. It is a plain class; a widget hosts it through IQor3DDrawHost.
//
// Sections: mouse and cursor types; host interface; the control (properties, update bracket,
// painting, bitmap modes and export, mouse and wheel).
//
// The files that define the control's members:
//   Qor3DDraw.cpp         construction, properties, update bracket, turning, window context
//   Qor3DDrawPaint.cpp    paint message, Render, the scene's set-up, export, design scene
//   Qor3DDrawInput.cpp    mouse and wheel
//   Qor3DDrawPersist.cpp  the property list, the three stored forms and the named sets
#pragma once

#include "UQorTypes.h"
#include "gl/Qor3DLib.h"

#include <QImage>
#include <exception>
#include <memory>
#include <string>

class TCanvas;
class TQorPropTextWriter;
class TQorPropTextReader;
class TQorBinaryWriter;
class TQorBinaryReader;
class TQorStorage;
class TQorStringList;
template <class C> class TQorPropList;

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crSizeAll = -22;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;

// What the control needs from the widget that shows it. Positions are in pixels; the client
// area starts at (0, 0).
class IQor3DDrawHost {
public:
    virtual ~IQor3DDrawHost() = default;
    virtual void Invalidate() = 0;
    // X is the width, Y the height of the client area.
    virtual TPoint ClientSize() const = 0;
    virtual bool HasWindow() const = 0;
    virtual bool IsShowing() const = 0;
    // The current cursor position in client coordinates.
    virtual TPoint CursorClientPos() const = 0;
    virtual TPoint ScreenToClient(TPoint P) const = 0;
    virtual void SetFocus() = 0;
    virtual void CursorChanged(TCursor Cursor) = 0;
    // The window's own GL surface (nullptr when it has none); released with ReleaseWindowDC.
    virtual HDC GetWindowDC() = 0;
    virtual void ReleaseWindowDC(HDC DC) = 0;
    // Shows Bitmap in the window at (0, 0) (the copy of SafeBitmap in bitmap mode).
    virtual void ShowBitmap(const QImage& Bitmap) = 0;
    // The canvas of the window for 2D drawing after the OpenGL image; nullptr when there is none.
    virtual TCanvas* WindowCanvas() = 0;
    // (Re)starts the host's short single-shot timer that calls EndTurning once the user has
    // stopped turning the view.
    virtual void RestartTurningTimer() = 0;
};

class TQor3DDraw : public TObject {
public:
    TQor3DDraw();
    TQor3DDraw(const TQor3DDraw&) = delete;
    TQor3DDraw& operator=(const TQor3DDraw&) = delete;
    ~TQor3DDraw() override;

    // ---- Host and back-ends ----
    // Borrowed; nullptr detaches (the control then has no window).
    void SetHost(IQor3DDrawHost* Host);
    IQor3DDrawHost* Host() const { return FHost; }
    // The back-end of SafeBitmap and ExportBitmap (OSMesa unless a test chooses another).
    void SetBitmapPlatform(TGLPlatform& Platform) { FBitmapPlatform = &Platform; }
    TGLPlatform& BitmapPlatform() const { return *FBitmapPlatform; }
    // The form-designer state: design-time rendering goes through the bitmap and draws the
    // design scene when no OnPaintGL handler is set.
    bool Designing() const { return FDesigning; }
    void SetDesigning(bool v) { FDesigning = v; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& v) { FName = v; }

    // ---- Published properties ----
    TColor BackgroundColor() const { return FBackgroundColor; }
    virtual void SetBackgroundColor(TColor v);
    virtual float BackgroundRed() const;
    virtual float BackgroundGreen() const;
    virtual float BackgroundBlue() const;
    virtual bool IsBitmapMode() const;

    bool DisableBufferClearing() const { return FDisableBufferClearing; }
    void SetDisableBufferClearing(bool v) { FDisableBufferClearing = v; }
    bool DisableMatrixInit() const { return FDisableMatrixInit; }
    void SetDisableMatrixInit(bool v) { FDisableMatrixInit = v; }

    TQorDragType DragType() const { return FDragType; }
    virtual void SetDragType(TQorDragType v);
    TQorDragType DragTypeMid() const { return FDragTypeMid; }
    virtual void SetDragTypeMid(TQorDragType v);
    TQorDragType DragTypeRight() const { return FDragTypeRight; }
    virtual void SetDragTypeRight(TQorDragType v);
    TQorDragType WheelAction() const { return FWheelAction; }
    virtual void SetWheelAction(TQorDragType v);

    bool LightsON() const { return FLightsON; }
    virtual void SetLightsON(bool v);
    bool PerspectiveON() const { return FPerspectiveON; }
    virtual void SetPerspectiveON(bool v);

    double XMin() const { return FXMin; }
    virtual void SetXMin(double v);
    double YMin() const { return FYMin; }
    virtual void SetYMin(double v);
    double ZNear() const { return FZNear; }
    virtual void SetZNear(double v);
    double ZFar() const { return FZFar; }
    virtual void SetZFar(double v);
    double RotX() const { return FRotX; }
    virtual void SetRotX(double v);
    double RotY() const { return FRotY; }
    virtual void SetRotY(double v);
    double RotZ() const { return FRotZ; }
    virtual void SetRotZ(double v);
    double TranslX() const { return FTranslX; }
    virtual void SetTranslX(double v);
    double TranslY() const { return FTranslY; }
    virtual void SetTranslY(double v);
    double TranslZ() const { return FTranslZ; }
    virtual void SetTranslZ(double v);
    double ScaleX() const { return FScaleX; }
    virtual void SetScaleX(double v);
    double ScaleY() const { return FScaleY; }
    virtual void SetScaleY(double v);
    double ScaleZ() const { return FScaleZ; }
    virtual void SetScaleZ(double v);
    double ViewMoveX() const { return FViewMoveX; }
    virtual void SetViewMoveX(double v);
    double ViewMoveY() const { return FViewMoveY; }
    virtual void SetViewMoveY(double v);
    double ViewMoveZ() const { return FViewMoveZ; }
    virtual void SetViewMoveZ(double v);
    double ViewRotX() const { return FViewRotX; }
    virtual void SetViewRotX(double v);
    double ViewRotY() const { return FViewRotY; }
    virtual void SetViewRotY(double v);
    double ViewScale() const { return FViewScale; }
    virtual void SetViewScale(double v);

    bool UseDoubleBuffer() const { return FUseDoubleBuffer; }
    virtual void SetUseDoubleBuffer(bool v);
    bool UseFastDoubleBuffer() const { return FUseFastDoubleBuffer; }
    void SetUseFastDoubleBuffer(bool v) { FUseFastDoubleBuffer = v; }
    bool UseSafeBitmapMode() const { return FUseSafeBitmapMode; }
    virtual void SetUseSafeBitmapMode(bool v);

    // Inherited control properties the control relies on.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v) { FTabStop = v; }

    // ---- Events ----
    TNotifyEvent OnChange;
    TPaintCanvasRectEvent OnPaint;
    TPaintRectEvent OnPaintGL;
    TNotifyEvent OnDefaultProperties;
    TNotifyEvent OnSet3DViewAngle;
    TNotifyEvent OnInitRenderingContext;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TMouseWheelUpDownEvent OnMouseWheelDown;

    // ---- Update bracket and property sets ----
    virtual void Changed();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    virtual void DefaultProperties();
    virtual void Set3DViewAngle();
    // Copies the view properties of another TQor3DDraw (other sources are ignored).
    virtual void Assign(const TObject& Source);

    // ---- Painting ----
    virtual void DrawDesignScene();
    virtual void Render();
    virtual void RenderToBitmap(int Width, int Height);
    const QImage& SafeBitmap() const { return FSafeBitmap; }
    const QImage& ExportBitmap() const { return FExportBitmap; }
    // Painting swallows every failure (a handler that raises, a context that fails); the text of
    // the first one of the last paint stays here, empty when it drew everything. Each paint
    // clears it; after RenderToBitmap it holds the export's (the window's repaint that follows
    // does not count).
    const std::string& LastPaintError() const { return FLastPaintError; }
    // The paints made so far (a host waits for the first picture with it).
    int RenderCount() const { return FRenderCount; }
    // For painting code of the owner that swallows a failure itself (the chart's scene).
    void RecordPaintError(std::exception_ptr Error);

    // ---- Turning ----
    // While the user drags or wheels in the window (or playback turns the view) the window's
    // paints carry TurningView, the view's size in pixels, so the painters may thin out big
    // grids; the host's timer ends turning and the full-density picture follows. Exports always
    // paint at full density. FastTurning is a program setting (no Changed), on by default.
    bool FastTurning() const { return FFastTurning; }
    void SetFastTurning(bool v);
    bool Turning() const { return FTurning; }
    // Called before each turning step; restarts the host's timer.
    void BeginTurning();
    // Called by the host's timer; repaints when the last picture was reduced.
    void EndTurning();
    // {0, 0} unless a window paint turns with FastTurning on.
    TPoint TurningView() const;
    // Whether the last paint of the window (or of SafeBitmap) had a TurningView.
    bool LastPaintTurning() const { return FLastPaintTurning; }

    // ---- Window life and messages, called by the host ----
    void WindowCreated();
    void WindowDestroying();
    // The paint message.
    void PaintMessage();

    // ---- Mouse ----
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void MouseMove(TShiftState Shift, int X, int Y);
    // The control's own wheel processing; MousePos in screen coordinates. Returns Handled.
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    void MouseWheelAction(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos,
                          bool& Handled);

    // The view properties in their stored order, then those only Assign copies, with their
    // defaults; the three forms, Assign and the constructor follow it.
    static const TQorPropList<TQor3DDraw>& Properties();
    virtual bool SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const;
    virtual void LoadFromStorage(TQorStorage& Storage, const std::string& Prefix);
    virtual bool SaveToStorageByName(TQorStorage& Storage) const;
    virtual void LoadFromStorageByName(TQorStorage& Storage);
    virtual bool SaveNamedSet(TQorStorage& Storage, const std::string& SetName) const;
    virtual void LoadNamedSet(TQorStorage& Storage, const std::string& SetName);
    virtual void DeleteNamedSet(TQorStorage& Storage, const std::string& SetName) const;
    virtual void ListNamedSets(TQorStorage& Storage, TQorStringList* List) const;
    virtual int WriteToFile(TQorBinaryWriter& Writer) const;
    virtual int ReadFromFile(TQorBinaryReader& Reader);
    virtual void WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const;
    virtual void ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix);

protected:
    // The part of Changed that every override runs once the batch is closed: the change is
    // reported, the picture outdated and the window asked to repaint. The events are the
    // caller's to fire, in its own order.
    void PictureChanged();
    // Draws the scene with the context active (OnPaintGL, or the design scene at design time).
    virtual void PaintGL(const TRect& PaintRect);
    // Fires OnPaint on a canvas over Image (nullptr: the window's canvas).
    virtual void PaintCanvas(QImage* Image, const TRect& PaintRect);
    // The inherited wheel processing: OnMouseWheel, then OnMouseWheelUp/Down.
    bool InheritedMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    bool HasWindow() const;
    TPoint ClientSize() const;
    void Invalidate();

    void CreateWindowContext();
    void DestroyWindowContext();

    // Defaults of the described properties in Properties().
    TColor FBackgroundColor;
    bool FDisableBufferClearing;
    bool FDisableMatrixInit;
    bool FLightsON;
    bool FPerspectiveON;
    double FXMin;
    double FYMin;
    double FZNear;
    double FZFar;
    double FRotX;
    double FRotY;
    double FRotZ;
    double FTranslX;
    double FTranslY;
    double FTranslZ;
    double FScaleX;
    double FScaleY;
    double FScaleZ;
    double FViewScale;
    double FViewRotX;
    double FViewRotY;
    double FViewMoveX;
    double FViewMoveY;
    double FViewMoveZ;
    TQorDragType FDragType;
    TQorDragType FDragTypeMid;
    TQorDragType FDragTypeRight;
    TQorDragType FWheelAction;
    bool FUseDoubleBuffer;
    bool FUseFastDoubleBuffer;
    bool FUseSafeBitmapMode;
    TCursor FCursor;
    bool FTabStop;

    int FUpdateCount = 0;
    bool FChangedWhileUpdating = false;

private:
    void RecreateContextIfAsked();
    // Render's two paths over the shared steps: start, the scene, the 2D drawing on a bitmap,
    // finish.
    void RenderExport();
    void RenderWindow();
    bool DeferredWhilePainting();
    // Opens a paint; the client size it records.
    TPoint StartPaint();
    // The window path: SafeBitmap's fresh context in bitmap mode (made current, Active), the
    // window's otherwise; false when there is none and the paint ends.
    bool PrepareWindowContext(bool& Active);
    void DrawWindowScene(TPoint Size, bool Active);
    void PresentWindowPicture(TPoint Size);
    void FinishBitmap(QImage& Bitmap, const TRect& PaintRect);
    void FinishPaint();
    void RenderScene(int Width, int Height);
    void SetupProjection(int Width, int Height);
    void SetupLights();
    void ClearBuffers();
    void ApplyViewTransform();
    bool CreateBitmapContext();
    void ApplyDrag(TQorDragType Action, int dx, int dy);
    void ApplyWheel(TShiftState Shift, int s);
    void SetAngle(double& Field, double v);
    template <typename T> void SetField(T& Field, T v);
    void RepaintIfTurned();

    IQor3DDrawHost* FHost = nullptr;
    TGLPlatform* FBitmapPlatform;
    bool FDesigning = false;
    std::string FName;

    QImage FSafeBitmap;
    QImage FExportBitmap;
    std::unique_ptr<TGLSurface> FSafeSurface;
    std::unique_ptr<TGLSurface> FExportSurface;
    HDC FWindowDC = nullptr;
    HGLRC FWindowRC = nullptr;
    HDC FExportDC = nullptr;
    HGLRC FExportRC = nullptr;

    bool FBitmapMode = false;
    bool FForceBitmapMode = false;
    bool FDoubleBufferedFormat = false;
    bool FRecreateContext = false;
    bool FRepaintPending = false;
    bool FPainting = false;
    bool FRenderingToExport = false;
    int FLastRenderWidth = -1;
    int FLastRenderHeight = -1;
    bool FLastPaintFast = false;
    int FRenderCount = 0;
    std::string FLastPaintError;

    int FLastMouseX = 0;
    int FLastMouseY = 0;
    bool FLeftDragging = false;
    bool FMiddleDragging = false;
    bool FRightDragging = false;
    bool FInWheelAction = false;
    bool FFastTurning = true;
    bool FTurning = false;
    bool FLastPaintTurning = false;
};
