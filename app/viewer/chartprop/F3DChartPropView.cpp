#include "chartprop/F3DChartPropView.h"

#include "Qor3DDrawWidget.h"
#include "QorCheckBox.h"
#include "QorEdit.h"
#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"
#include "chartprop/F3DChartProp.h"
#include "chartprop/F3DChartPropControls.h"
#include "chartprop/R3DAxisProp.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

// ---- The side-view tables ----

enum TAxisOp : uint8_t { aoVisible, aoPos, aoMin, aoMax, aoLeft, aoFlip, aoRot, aoRotT };

struct TAxisStep {
    TAxisOp Op;
    int A;
    int B = 0;
};
using TAxisSteps = std::vector<TAxisStep>;

struct TSideViewSetting {
    int ScrollX;
    int ScrollY;
    int RotY;
    std::array<TAxisSteps, 3> Axes; // X, Y and Z page, applied in this order
};

// The label settings of an axis turned towards the viewer (default view beyond 90°).
TAxisSteps Turned(int Rot, int RotT, bool Flip) {
    return {{aoRot, Rot}, {aoRotT, RotT}, {aoFlip, Flip}};
}
TAxisSteps TurnedY(int Rot, int RotT, bool Flip, bool Left, int Pos2, bool Min) {
    TAxisSteps s = Turned(Rot, RotT, Flip);
    s.insert(s.end(), {{aoLeft, Left}, {aoPos, 1, Pos2}, {aoMin, Min}});
    return s;
}
// An axis shown in a view whose default lies at or below 90°, and one looked at end on.
TAxisSteps Shown(bool Left, bool Flip, int Rot, int RotT) {
    return {{aoVisible, 1}, {aoPos, 1, 1},  {aoMin, 1},   {aoMax, 1},
            {aoLeft, Left}, {aoFlip, Flip}, {aoRot, Rot}, {aoRotT, RotT}};
}
TAxisSteps Hidden() {
    return {{aoVisible, 0}};
}

const TSideViewSetting& SideViewSetting(TSideView View, bool Turn) {
    static const std::array<TSideViewSetting, 6> turned{{
        {0,
         180,
         0,
         {Turned(0, 0, false), TurnedY(0, 0, false, false, 1, true), Turned(-90, 0, false)}},
        {0,
         0,
         0,
         {Turned(0, 180, true), TurnedY(180, 0, false, true, 1, true), Turned(0, 0, true)}},
        {0,
         -90,
         0,
         {Turned(90, 0, false), TurnedY(-90, 0, false, false, 1, true), Turned(0, 180, true)}},
        {0,
         90,
         0,
         {Turned(90, 0, false), TurnedY(90, 0, false, true, 1, true), Turned(0, 0, false)}},
        {90,
         0,
         90,
         {Turned(90, 0, false), TurnedY(45, 0, false, false, 2, false), Turned(-90, 0, false)}},
        {-90,
         0,
         90,
         {Turned(90, 180, false), TurnedY(45, 0, false, false, 2, false), Turned(-90, 180, true)}},
    }};
    static const std::array<TSideViewSetting, 6> plain{{
        {0, 90, 0, {Hidden(), Shown(true, false, 90, 0), Shown(false, true, 0, 0)}},
        {0, -90, 0, {Hidden(), Shown(false, false, -90, 0), Shown(false, true, 0, 180)}},
        {0, 180, 0, {Shown(true, false, 0, 0), Shown(false, false, 0, 0), Hidden()}},
        {0, 0, 0, {Shown(true, false, 0, 180), Shown(true, false, 180, 0), Hidden()}},
        {90, 0, 0, {Shown(true, true, 90, 0), Hidden(), Shown(true, false, 90, 180)}},
        {-90, 0, 0, {Shown(true, false, 90, 180), Hidden(), Shown(false, true, -90, 180)}},
    }};
    return (Turn ? turned : plain)[View];
}

void ApplyAxisSteps(TFrame3DAxisProp& Frame, const TAxisSteps& Steps) {
    for (const TAxisStep& s : Steps) {
        switch (s.Op) {
        case aoVisible:
            Frame.CtrlVisible->ChangeChecked(s.A != 0);
            break;
        case aoPos:
            Frame.ChangePositions(s.A, s.B);
            break;
        case aoMin:
            Frame.CtrlMin->ChangeChecked(s.A != 0);
            break;
        case aoMax:
            Frame.CtrlMax->ChangeChecked(s.A != 0);
            break;
        case aoLeft:
            Frame.CtrlLeft->ChangeChecked(s.A != 0);
            break;
        case aoFlip:
            Frame.CtrlFlip->ChangeChecked(s.A != 0);
            break;
        case aoRot:
            Frame.CtrlRot->ChangeValue(s.A);
            break;
        case aoRotT:
            Frame.CtrlRotT->ChangeValue(s.A);
            break;
        }
    }
}

// ---- Controls ----

QScrollBar* NewScrollBar(QWidget* Parent, const char* Name, Qt::Orientation Orientation, int Limit,
                         const QString& Hint) {
    auto* bar = new QScrollBar(Orientation, Parent);
    bar->setObjectName(Name);
    bar->setRange(-Limit, Limit);
    bar->setPageStep(10);
    bar->setToolTip(Hint);
    return bar;
}

void ShowAngleHint(QScrollBar& Bar, const QString& Hint) {
    // The tooltip shows the angle, the status line the long hint.
    Bar.setToolTip(QString::number(Bar.value()) + QChar(0x00B0));
    Bar.setStatusTip(Hint);
}

int ScrollPosition(const QScrollBar& Bar, double Value) {
    if (std::isnan(Value))
        return Bar.value();
    return std::clamp(RoundHalfEven(Value), Bar.minimum(), Bar.maximum());
}

// The "Drag to Move" pad: a label that reports the left-button drags made on it.
class TMovePad : public QLabel {
public:
    TMovePad(const QString& Caption, QWidget* Parent) : QLabel(Caption, Parent) {}
    std::function<void(QMouseEvent*)> OnPress, OnMove, OnRelease;

protected:
    void mousePressEvent(QMouseEvent* e) override { OnPress(e); }
    void mouseMoveEvent(QMouseEvent* e) override { OnMove(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { OnRelease(e); }
};

QPoint Pos(const QMouseEvent* e) {
    return e->position().toPoint();
}

} // namespace

TChartPropViewPage::TChartPropViewPage(TForm3DChartProp& Form)
    : FForm(Form), FPreview(std::make_unique<TQor3DDraw>()) {
    setObjectName("TabSheetView");
    TQor3DDraw& p = *FPreview;
    p.SetName("OsyGL");
    p.SetBackgroundColor(clWhite);
    p.SetDragType(pdRotate);
    p.SetDragTypeMid(pdNone);
    p.SetDragTypeRight(pdNone);
    p.SetWheelAction(pdNone);
    p.SetLightsON(true);
    p.SetPerspectiveON(true);
    p.SetXMin(0.3);
    p.SetYMin(0.3);
    p.SetZNear(1.0);
    p.SetZFar(100.0);
    p.SetScaleX(1.0);
    p.SetScaleY(1.0);
    p.SetScaleZ(1.0);
    p.SetViewMoveZ(-2.5);
    p.SetViewRotX(20);
    p.SetViewRotY(30);
    p.SetViewScale(0.4);
    p.SetUseDoubleBuffer(true);
    p.SetUseFastDoubleBuffer(false);
    p.SetUseSafeBitmapMode(true);
    p.OnPaintGL = [this](TObject*, const TRect& r) {
        PaintPreview(r);
    };
    p.OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
        FRotLastX = x;
        FRotLastY = y;
        if (b == mbLeft)
            FRotDragging = true;
    };
    p.OnMouseMove = [this](TObject*, TShiftState, int x, int y) {
        PreviewMouseMove(x, y);
    };
    p.OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int, int) {
        if (b == mbLeft)
            FRotDragging = false;
    };

    auto* top = new QHBoxLayout;
    top->addWidget(BuildPreview(), 0, Qt::AlignTop);
    top->addWidget(BuildMovePad(), 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addWidget(BuildPresets(), 0, Qt::AlignTop);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(BuildLook(), 0, Qt::AlignLeft);
    layout->addStretch(1);
}

TChartPropViewPage::~TChartPropViewPage() = default;

QWidget* TChartPropViewPage::BuildPreview() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    OsyGL = std::make_unique<TQor3DDrawWidget>(*FPreview, box);
    OsyGL->setObjectName("OsyGL");
    OsyGL->setFixedSize(119, 119);
    OsyGL->setToolTip("Drag with the mouse to rotate 3D scene");
    ScrollRotX = NewScrollBar(box, "ScrollRotX", Qt::Vertical, 360, "X-axis rotation");
    ScrollRotY = NewScrollBar(box, "ScrollRotY", Qt::Horizontal, 360, "Y-axis rotation");
    connect(ScrollRotX, &QScrollBar::valueChanged, this, [this] { ScrollRotXChange(); });
    connect(ScrollRotY, &QScrollBar::valueChanged, this, [this] { ScrollRotYChange(); });
    grid->addWidget(OsyGL.get(), 0, 0);
    grid->addWidget(ScrollRotX, 0, 1);
    grid->addWidget(ScrollRotY, 1, 0);
    return box;
}

QWidget* TChartPropViewPage::BuildMovePad() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    auto* panel = new QFrame(box);
    panel->setObjectName("PanelMove");
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFixedSize(119, 119);
    auto* pad = new TMovePad("Drag to Move", panel);
    pad->setObjectName("CtrlMove");
    pad->setToolTip("Drag with the mouse to move 3D scene");
    pad->setAlignment(Qt::AlignCenter);
    pad->setCursor(Qt::SizeAllCursor);
    pad->OnPress = [this](QMouseEvent* e) {
        FMoveLastX = Pos(e).x();
        FMoveLastY = Pos(e).y();
        if (e->button() == Qt::LeftButton)
            FMoveDragging = true;
    };
    pad->OnMove = [this](QMouseEvent* e) {
        MoveMouseMove(Pos(e).x(), Pos(e).y());
    };
    pad->OnRelease = [this](QMouseEvent* e) {
        if (e->button() == Qt::LeftButton)
            FMoveDragging = false;
    };
    auto* padLayout = new QGridLayout(panel);
    padLayout->setContentsMargins(0, 0, 0, 0);
    padLayout->addWidget(pad);
    CtrlMove = pad;

    // The upper end zooms in.
    ScrollZoom = NewScrollBar(box, "ScrollZoom", Qt::Vertical, 200, "Zoom");
    connect(ScrollZoom, &QScrollBar::valueChanged, this, [this] { ScrollZoomChange(); });
    auto* zoomIn = NewLabel(box, "LabelZoomIn", "Zoom In");
    zoomIn->hide();
    grid->addWidget(zoomIn, 0, 1);
    grid->addWidget(panel, 1, 0);
    grid->addWidget(ScrollZoom, 1, 1);
    grid->addWidget(NewLabel(box, "LabelZoomOut", "Zoom Out"), 2, 0, 1, 2, Qt::AlignRight);
    return box;
}

QWidget* TChartPropViewPage::BuildPresets() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setSpacing(2);
    column->addWidget(NewButton(box, "Btn3D", "3D View", [this] { Btn3DClick(); }));
    struct TSideButton {
        const char* Name;
        const char* Caption;
        TSideView View;
    };
    const TSideButton buttons[] = {
        {"BtnFront", "Front", svFront}, {"BtnBack", "Back", svBack},
        {"BtnLeft", "Left", svLeft},    {"BtnRight", "Right", svRight},
        {"BtnTop", "Top", svTop},       {"BtnBottom", "Bottom", svBottom}};
    for (const TSideButton& b : buttons)
        column->addWidget(
            NewButton(box, b.Name, b.Caption, [this, v = b.View] { SideViewClick(v); }));
    return box;
}

QWidget* TChartPropViewPage::BuildLook() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    TQor3DChart& chart = FForm.Chart();
    CtrlBkColor = NewColorBox(box, "CtrlBkColor", [this] { CtrlBkColorChange(); });
    CtrlLight = NewCheck(box, "CtrlLight", "Lighting:", [this] { CtrlLightChange(); });
    CtrlPerspective =
        NewCheck(box, "CtrlPerspective", "Perspective:", [this] { CtrlPerspectiveChange(); });
    CtrlShiny = NewCheck(box, "CtrlShiny",
                         "Shiny:", [this, &chart] { chart.SetShiny(CtrlShiny->Checked()); });
    grid->addWidget(NewLabel(box, "LabelBkColor", "Background:"), 0, 0);
    grid->addWidget(CtrlBkColor, 0, 1);
    grid->addWidget(CtrlPerspective, 1, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(CtrlLight, 2, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(CtrlShiny, 3, 0, 1, 2, Qt::AlignLeft);
    return box;
}

void TChartPropViewPage::LoadViewPage() {
    TQor3DChart& chart = FForm.Chart();
    // A position that changes runs its handler, which makes the chart's angles whole degrees.
    ScrollRotX->setValue(ScrollPosition(*ScrollRotX, chart.ViewRotX()));
    ScrollRotY->setValue(ScrollPosition(*ScrollRotY, chart.ViewRotY()));
    const double zoom = chart.XMin() > 0 ? 100 * std::log10(chart.XMin()) : -HUGE_VAL;
    ScrollZoom->setValue(ScrollPosition(*ScrollZoom, zoom));
    FPreview->SetViewRotX(ScrollRotX->value());
    FPreview->SetViewRotY(ScrollRotY->value());
    ShowAngleHint(*ScrollRotX, "X-axis rotation");
    ShowAngleHint(*ScrollRotY, "Y-axis rotation");

    LoadCheck(*CtrlPerspective, chart.PerspectiveON());
    FPreview->SetPerspectiveON(chart.PerspectiveON());
    FPreview->SetViewScale(chart.PerspectiveON() ? 0.4 : 0.2);
    LoadCheck(*CtrlLight, chart.LightsON());
    CtrlLightChange();
    LoadCheck(*CtrlShiny, chart.Shiny());
    CtrlShiny->setVisible(chart.LightsON());
    LoadColor(*CtrlBkColor, chart.BackgroundColor());
    CtrlBkColorChange();
}

void TChartPropViewPage::ScrollRotXChange() {
    FForm.Chart().SetViewRotX(ScrollRotX->value());
    FPreview->SetViewRotX(ScrollRotX->value());
    ShowAngleHint(*ScrollRotX, "X-axis rotation");
}

void TChartPropViewPage::ScrollRotYChange() {
    FForm.Chart().SetViewRotY(ScrollRotY->value());
    FPreview->SetViewRotY(ScrollRotY->value());
    ShowAngleHint(*ScrollRotY, "Y-axis rotation");
}

void TChartPropViewPage::ScrollZoomChange() {
    TQor3DChart& chart = FForm.Chart();
    const TQorUpdateScope update(chart);
    chart.SetXMin(std::pow(10.0, ScrollZoom->value() / 100.0));
    chart.SetYMin(chart.XMin());
}

void TChartPropViewPage::CtrlPerspectiveChange() {
    TQor3DChart& chart = FForm.Chart();
    const bool on = CtrlPerspective->Checked();
    if (on == chart.PerspectiveON())
        return;
    const TQorUpdateScope update(chart);
    const TQorUpdateScope previewUpdate(*FPreview);
    chart.SetPerspectiveON(on);
    FPreview->SetPerspectiveON(chart.PerspectiveON());
    // The parallel projection shows the scene at 2.5 times the size.
    chart.SetViewScale(on ? chart.ViewScale() * 2.5 : chart.ViewScale() / 2.5);
    FPreview->SetViewScale(on ? 0.4 : 0.2);
}

void TChartPropViewPage::CtrlLightChange() {
    TQor3DChart& chart = FForm.Chart();
    chart.SetLightsON(CtrlLight->Checked());
    FPreview->SetLightsON(chart.LightsON());
    CtrlShiny->setVisible(chart.LightsON());
}

void TChartPropViewPage::CtrlBkColorChange() {
    FForm.Chart().SetBackgroundColor(CtrlBkColor->Selected());
    FPreview->SetBackgroundColor(CtrlBkColor->Selected());
}

void TChartPropViewPage::PreviewMouseMove(int X, int Y) {
    if (!FRotDragging || (X == FRotLastX && Y == FRotLastY))
        return;
    const TQorUpdateScope update(FForm.Chart());
    const TQorUpdateScope previewUpdate(*FPreview);
    // The preview's own drag has already turned it by the same amount: two degrees a pixel.
    FPreview->SetViewRotX(FPreview->ViewRotX() + (Y - FRotLastY));
    FPreview->SetViewRotY(FPreview->ViewRotY() + (X - FRotLastX));
    ScrollRotX->setValue(ScrollPosition(*ScrollRotX, FPreview->ViewRotX()));
    ScrollRotY->setValue(ScrollPosition(*ScrollRotY, FPreview->ViewRotY()));
    FRotLastX = X;
    FRotLastY = Y;
}

void TChartPropViewPage::MoveMouseMove(int X, int Y) {
    if (!FMoveDragging || (X == FMoveLastX && Y == FMoveLastY))
        return;
    TQor3DChart& chart = FForm.Chart();
    const TQorUpdateScope update(chart);
    chart.SetViewMoveX((X - FMoveLastX) * chart.XMin() / 20 + chart.ViewMoveX());
    chart.SetViewMoveY(chart.ViewMoveY() - (Y - FMoveLastY) * chart.YMin() / 20);
    FMoveLastX = X;
    FMoveLastY = Y;
}

bool TChartPropViewPage::ProbeDefaultView() {
    TQor3DChart& chart = FForm.Chart();
    const TQorUpdateScope update(chart);
    const TQorUpdateScope previewUpdate(*FPreview);
    try {
        TQor3DChart backup;
        backup.BeginUpdate();
        backup.Assign(chart);
        {
            std::unique_ptr<TQor3DChart> fresh;
            const TQor3DChart* d = FForm.DefaultChart();
            if (d == nullptr)
                d = (fresh = std::make_unique<TQor3DChart>()).get();
            chart.SetViewRotX(d->ViewRotX());
            chart.SetViewRotY(d->ViewRotY());
        }
        chart.Set3DViewAngle();
        const int rotY = RoundHalfEven(chart.ViewRotY());
        const bool result = 90 < rotY && rotY <= 180;
        chart.Assign(backup);
        return result;
    } catch (const std::exception&) {
        // The owner's standard view failed: the views of the second table serve.
        return false;
    }
}

void TChartPropViewPage::Btn3DClick() {
    TQor3DChart& chart = FForm.Chart();
    const TQorUpdateScope update(chart);
    const TQorUpdateScope previewUpdate(*FPreview);
    std::unique_ptr<TQor3DChart> fresh;
    const TQor3DChart* d = FForm.DefaultChart();
    if (d == nullptr)
        d = (fresh = std::make_unique<TQor3DChart>()).get();
    chart.SetRotY(0);
    chart.SetViewMoveX(d->ViewMoveX());
    chart.SetViewMoveY(d->ViewMoveY());
    chart.SetViewRotX(d->ViewRotX());
    chart.SetViewRotY(d->ViewRotY());
    chart.Set3DViewAngle();
    ScrollRotX->setValue(ScrollPosition(*ScrollRotX, chart.ViewRotX()));
    ScrollRotY->setValue(ScrollPosition(*ScrollRotY, chart.ViewRotY()));
    CtrlPerspective->ChangeChecked(true);
    CtrlLight->ChangeChecked(true);
    const TQorChartAxis3D* axes[] = {&d->AxisX(), &d->AxisY(), &d->AxisZ()};
    for (int i = 0; i < 3; ++i) {
        const TQorChartAxis3D& a = *axes[i];
        TFrame3DAxisProp& frame = FForm.AxisFrame(i);
        frame.CtrlVisible->ChangeChecked(true);
        frame.ChangePositions(a.Axis1Position(), a.Axis2Position());
        frame.CtrlMin->ChangeChecked(a.VisibleMin());
        frame.CtrlMax->ChangeChecked(a.VisibleMax());
        frame.CtrlLeft->ChangeChecked(a.TextJustify() == taLeftJustify);
        frame.CtrlFlip->ChangeChecked(a.FlipText());
        frame.CtrlRot->ChangeValue(a.RotText());
        frame.CtrlRotT->ChangeValue(a.RotTextT());
    }
}

void TChartPropViewPage::SideViewClick(TSideView View) {
    TQor3DChart& chart = FForm.Chart();
    const TQorUpdateScope update(chart);
    const TQorUpdateScope previewUpdate(*FPreview);
    const TSideViewSetting& v = SideViewSetting(View, ProbeDefaultView());
    ScrollRotX->setValue(v.ScrollX);
    ScrollRotY->setValue(v.ScrollY);
    chart.SetRotY(v.RotY);
    chart.SetViewMoveX(0);
    chart.SetViewMoveY(0);
    // Perspective off divides ViewScale by 2.5 when it was on.
    CtrlPerspective->ChangeChecked(false);
    CtrlLight->ChangeChecked(false);
    for (int i = 0; i < 3; ++i)
        ApplyAxisSteps(FForm.AxisFrame(i), v.Axes[size_t(i)]);
}

// The preview shows the orientation cube; the control has set the view and cleared.
void TChartPropViewPage::PaintPreview(const TRect&) {
    DrawOrientationCube();
}
