// The View page of the chart properties dialog: view angles, shift, zoom, perspective,
// lighting, shine and background of the live chart, with an orientation preview that turns
// with the chart, a move pad and seven view presets.
#pragma once

#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;
class TForm3DChartProp;
class TQor3DDraw;
class TQor3DDrawWidget;
class TQorCheckBox;
class TQorColorBox;
struct TRect;

enum TSideView : uint8_t { svFront, svBack, svLeft, svRight, svTop, svBottom };

class TChartPropViewPage : public QWidget {
    Q_OBJECT
public:
    explicit TChartPropViewPage(TForm3DChartProp& Form);
    ~TChartPropViewPage() override;

    // The orientation preview (OsyGL).
    TQor3DDraw& Preview() const { return *FPreview; }
    void LoadViewPage();
    // True when the default view's ViewRotY, as the chart's OnSet3DViewAngle leaves it, lies in
    // (90, 180]: the side views then use the first of their two tables.
    bool ProbeDefaultView();

private:
    QWidget* BuildPreview();
    QWidget* BuildMovePad();
    QWidget* BuildPresets();
    QWidget* BuildLook();
    void ScrollRotXChange();
    void ScrollRotYChange();
    void ScrollZoomChange();
    void CtrlPerspectiveChange();
    void CtrlLightChange();
    void CtrlBkColorChange();
    void Btn3DClick();
    void SideViewClick(TSideView View);
    void PaintPreview(const TRect& PaintRect);
    void PreviewMouseMove(int X, int Y);
    void MoveMouseMove(int X, int Y);

    TForm3DChartProp& FForm;
    std::unique_ptr<TQor3DDraw> FPreview;
    // Declared after the preview, so the widget is gone before the preview it shows.
    std::unique_ptr<TQor3DDrawWidget> OsyGL;
    QScrollBar* ScrollRotX;
    QScrollBar* ScrollRotY;
    QScrollBar* ScrollZoom;
    QLabel* CtrlMove;
    TQorColorBox* CtrlBkColor;
    TQorCheckBox* CtrlLight;
    TQorCheckBox* CtrlPerspective;
    TQorCheckBox* CtrlShiny;

    bool FRotDragging = false;
    int FRotLastX = 0;
    int FRotLastY = 0;
    bool FMoveDragging = false;
    int FMoveLastX = 0;
    int FMoveLastY = 0;
};
