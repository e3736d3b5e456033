#include "chartprop/R3DAxisProp.h"

#include "QorFontDialog.h"
#include "chart/Qor3DChartAxis.h"
#include "chartprop/F3DChartPropControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const QStringList PositionItems{"Zero", "Minimum", "Maximum"};

} // namespace

TFrame3DAxisProp::TFrame3DAxisProp(QWidget* Parent) : QFrame(Parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildAxisGroup());
    layout->addWidget(BuildNumberingGroup());
    layout->addWidget(BuildStepsGroup());
    layout->addStretch(1);
}

TFrame3DAxisProp::~TFrame3DAxisProp() = default;

QWidget* TFrame3DAxisProp::BuildAxisGroup() {
    auto* group = new QGroupBox("Axis:", this);
    auto* grid = new QGridLayout(group);
    CtrlVisible = NewCheck(
        group, "CtrlVisible", "Visible",
        [this] {
            WriteAxis([this](TQorChartAxis3D& a) { a.SetVisible(CtrlVisible->Checked()); });
            UpdateAxisControls();
        },
        taRightJustify);
    CtrlLog = NewCheck(group, "CtrlLog", "Logarithmic:", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetLogarithmic(CtrlLog->Checked()); });
    });
    grid->addWidget(CtrlVisible, 0, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(CtrlLog, 0, 3, 1, 2, Qt::AlignLeft);

    LabelPos = NewLabel(group, "LabelPos", "Position:");
    LabelX1 = NewLabel(group, "LabelX1", "Y =");
    CtrlPosX1 = NewList(group, "CtrlPosX1", PositionItems, [this] { CtrlPosX1Change(); });
    LabelX2 = NewLabel(group, "LabelX2", "Z =");
    CtrlPosX2 = NewList(group, "CtrlPosX2", PositionItems, [this] { CtrlPosX2Change(); });
    grid->addWidget(LabelPos, 1, 0);
    grid->addWidget(LabelX1, 1, 1, Qt::AlignRight);
    grid->addWidget(CtrlPosX1, 1, 2);
    grid->addWidget(LabelX2, 1, 3, Qt::AlignRight);
    grid->addWidget(CtrlPosX2, 1, 4);

    LabelColor = NewLabel(group, "LabelColor", "Color:");
    CtrlColor = NewColorBox(group, "CtrlColor", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetAxisColor(CtrlColor->Selected()); });
    });
    LabelWidth = NewLabel(group, "LabelWidth", "Width:");
    CtrlWidth = NewEdit(group, "CtrlWidth", pesInteger, 0, 100, [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetAxisWidth(CtrlWidth->ValueInt()); });
    });
    grid->addWidget(LabelColor, 2, 0);
    grid->addWidget(CtrlColor, 2, 2);
    grid->addWidget(LabelWidth, 2, 3, Qt::AlignRight);
    grid->addWidget(CtrlWidth, 2, 4);

    LabelCaption = NewLabel(group, "LabelCaption", "Caption:");
    CtrlCaption = NewTextEdit(group, "CtrlCaption", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetCaption(CtrlCaption->Text().toStdString()); });
    });
    CtrlCaptionFont =
        NewButton(group, "CtrlCaptionFont", "Font", [this] { CtrlCaptionFontClick(); });
    grid->addWidget(LabelCaption, 3, 0);
    grid->addWidget(CtrlCaption, 3, 1, 1, 3);
    grid->addWidget(CtrlCaptionFont, 3, 4);
    return group;
}

QWidget* TFrame3DAxisProp::BuildNumberingGroup() {
    PanelNumbering = new QGroupBox("Numbering:", this);
    PanelNumbering->setObjectName("PanelNumbering");
    auto* layout = new QVBoxLayout(PanelNumbering);
    auto* top = new QHBoxLayout;
    CtrlNumVisible = NewCheck(PanelNumbering, "CtrlNumVisible", "Visible:", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetVisibleStepText(CtrlNumVisible->Checked()); });
        UpdateAxisControls();
    });
    CtrlFont = NewButton(PanelNumbering, "CtrlFont", "Font", [this] { CtrlFontClick(); });
    top->addWidget(CtrlNumVisible, 0, Qt::AlignLeft);
    top->addStretch(1);
    top->addWidget(CtrlFont);
    layout->addLayout(top);

    PanelNumberingSub = new QWidget(PanelNumbering);
    PanelNumberingSub->setObjectName("PanelNumberingSub");
    auto* grid = new QGridLayout(PanelNumberingSub);
    grid->setContentsMargins(0, 0, 0, 0);
    CtrlRot = NewEdit(
        PanelNumberingSub, "CtrlRot", pesInteger, -360, 360,
        [this] { WriteAxis([this](TQorChartAxis3D& a) { a.SetRotText(CtrlRot->Value()); }); }, 10);
    CtrlRotT = NewEdit(
        PanelNumberingSub, "CtrlRotT", pesInteger, -360, 360,
        [this] { WriteAxis([this](TQorChartAxis3D& a) { a.SetRotTextT(CtrlRotT->Value()); }); },
        10);
    grid->addWidget(NewLabel(PanelNumberingSub, "LabelRot", "Rotation:"), 0, 0);
    grid->addWidget(CtrlRot, 0, 1);
    grid->addWidget(NewLabel(PanelNumberingSub, "LabelRotUnit", "[°]"), 0, 2);
    grid->addWidget(CtrlRotT, 0, 3);
    grid->addWidget(NewLabel(PanelNumberingSub, "LabelRotTUnit", "[°]"), 0, 4);
    CtrlMin = NewCheck(PanelNumberingSub, "CtrlMin", "Min. Visible:", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetVisibleMin(CtrlMin->Checked()); });
    });
    CtrlMax = NewCheck(PanelNumberingSub, "CtrlMax", "Max. Visible:", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetVisibleMax(CtrlMax->Checked()); });
    });
    CtrlLeft = NewCheck(PanelNumberingSub, "CtrlLeft", "On Left Side:", [this] {
        WriteAxis([this](TQorChartAxis3D& a) {
            a.SetTextJustify(CtrlLeft->Checked() ? taLeftJustify : taRightJustify);
        });
    });
    CtrlFlip = NewCheck(PanelNumberingSub, "CtrlFlip", "Flip Text:", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetFlipText(CtrlFlip->Checked()); });
    });
    grid->addWidget(CtrlMin, 1, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(CtrlMax, 1, 3, 1, 2, Qt::AlignLeft);
    grid->addWidget(CtrlLeft, 2, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(CtrlFlip, 2, 3, 1, 2, Qt::AlignLeft);
    layout->addWidget(PanelNumberingSub);
    return PanelNumbering;
}

QWidget* TFrame3DAxisProp::BuildStepsGroup() {
    PanelSteps = new QGroupBox("Steps:", this);
    PanelSteps->setObjectName("PanelSteps");
    auto* layout = new QVBoxLayout(PanelSteps);
    CtrlStepVisible = NewCheck(PanelSteps, "CtrlStepVisible", "Visible:", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetVisibleStep(CtrlStepVisible->Checked()); });
        UpdateAxisControls();
    });
    layout->addWidget(CtrlStepVisible, 0, Qt::AlignLeft);

    PanelStepsSub = new QWidget(PanelSteps);
    PanelStepsSub->setObjectName("PanelStepsSub");
    auto* grid = new QGridLayout(PanelStepsSub);
    grid->setContentsMargins(0, 0, 0, 0);
    CtrlStepColor = NewColorBox(PanelStepsSub, "CtrlStepColor", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetStepColor(CtrlStepColor->Selected()); });
    });
    CtrlStepWidth = NewEdit(PanelStepsSub, "CtrlStepWidth", pesInteger, 0, 1000, [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetStepWidth(CtrlStepWidth->ValueInt()); });
    });
    CtrlSubStepAuto = NewCheck(PanelStepsSub, "CtrlSubStepAuto", "Auto Substeps:", [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetAutoSubSteps(CtrlSubStepAuto->Checked()); });
        UpdateAxisControls();
    });
    LabelSubStepCount = NewLabel(PanelStepsSub, "LabelSubStepCount", "Count:");
    CtrlSubStepCount = NewEdit(PanelStepsSub, "CtrlSubStepCount", pesInteger, 0, 100, [this] {
        WriteAxis([this](TQorChartAxis3D& a) { a.SetNumSubSteps(CtrlSubStepCount->ValueInt()); });
    });
    grid->addWidget(NewLabel(PanelStepsSub, "LabelStepColor", "Color:"), 0, 0);
    grid->addWidget(CtrlStepColor, 0, 1);
    grid->addWidget(NewLabel(PanelStepsSub, "LabelStepWidth", "Width:"), 0, 2, Qt::AlignRight);
    grid->addWidget(CtrlStepWidth, 0, 3);
    grid->addWidget(CtrlSubStepAuto, 1, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(LabelSubStepCount, 1, 2, Qt::AlignRight);
    grid->addWidget(CtrlSubStepCount, 1, 3);
    layout->addWidget(PanelStepsSub);
    return PanelSteps;
}

void TFrame3DAxisProp::BindAxis(TQorChartAxis3D* Axis, TQorColorScale* ColorScale) {
    FAxis = Axis;
    FColorScale = ColorScale;
    LoadFromAxis();
}

void TFrame3DAxisProp::UnbindAxis() {
    FAxis = nullptr;
    FColorScale = nullptr;
}

void TFrame3DAxisProp::SetPositionLabels(const QString& First, const QString& Second) {
    LabelX1->setText(First);
    LabelX2->setText(Second);
}

void TFrame3DAxisProp::LoadFromAxis() {
    if (FAxis == nullptr)
        return;
    const TQorChartAxis3D& a = *FAxis;
    LoadCheck(*CtrlVisible, a.Visible());
    LoadCheck(*CtrlLog, a.Logarithmic());
    LoadList(*CtrlPosX1, a.Axis1Position());
    LoadList(*CtrlPosX2, a.Axis2Position());
    LoadColor(*CtrlColor, a.AxisColor());
    LoadValue(*CtrlWidth, a.AxisWidth());
    LoadText(*CtrlCaption, a.Caption());
    LoadCheck(*CtrlNumVisible, a.VisibleStepText());
    LoadValue(*CtrlRot, a.RotText());
    LoadValue(*CtrlRotT, a.RotTextT());
    LoadCheck(*CtrlMin, a.VisibleMin());
    LoadCheck(*CtrlMax, a.VisibleMax());
    LoadCheck(*CtrlLeft, a.TextJustify() == taLeftJustify);
    LoadCheck(*CtrlFlip, a.FlipText());
    LoadCheck(*CtrlStepVisible, a.VisibleStep());
    LoadColor(*CtrlStepColor, a.StepColor());
    LoadValue(*CtrlStepWidth, a.StepWidth());
    LoadCheck(*CtrlSubStepAuto, a.AutoSubSteps());
    LoadValue(*CtrlSubStepCount, a.NumSubSteps());
    UpdateAxisControls();
}

void TFrame3DAxisProp::UpdateAxisControls() {
    const bool visible = CtrlVisible->Checked();
    for (QWidget* w : std::initializer_list<QWidget*>{
             CtrlLog, LabelPos, LabelX1, CtrlPosX1, LabelX2, CtrlPosX2, LabelColor, CtrlColor,
             LabelWidth, CtrlWidth, CtrlCaptionFont, PanelNumbering, PanelSteps})
        w->setVisible(visible);
    LabelCaption->setVisible(visible || FColorScale != nullptr);
    CtrlCaption->setVisible(visible || FColorScale != nullptr);
    PanelNumberingSub->setVisible(CtrlNumVisible->Checked());
    CtrlFont->setVisible(CtrlNumVisible->Checked());
    PanelStepsSub->setVisible(CtrlStepVisible->Checked());
    LabelSubStepCount->setVisible(!CtrlSubStepAuto->Checked());
    CtrlSubStepCount->setVisible(!CtrlSubStepAuto->Checked());
}

void TFrame3DAxisProp::WriteAxis(const std::function<void(TQorChartAxis3D&)>& Write) {
    if (FAxis != nullptr)
        Write(*FAxis);
}

void TFrame3DAxisProp::CtrlPosX1Change() {
    ListChanged(*CtrlPosX1);
    WriteAxis([this](TQorChartAxis3D& a) {
        a.SetAxis1Position(TQorAxisPosition(CtrlPosX1->currentIndex()));
    });
}

void TFrame3DAxisProp::CtrlPosX2Change() {
    ListChanged(*CtrlPosX2);
    WriteAxis([this](TQorChartAxis3D& a) {
        a.SetAxis2Position(TQorAxisPosition(CtrlPosX2->currentIndex()));
    });
}

void TFrame3DAxisProp::CtrlCaptionFontClick() {
    if (FAxis == nullptr)
        return;
    TFont font = FAxis->CaptionFont();
    if (ExecFontDialog(this, font) && FAxis != nullptr)
        FAxis->SetCaptionFont(font);
}

void TFrame3DAxisProp::CtrlFontClick() {
    if (FAxis == nullptr)
        return;
    TFont font = FAxis->Font();
    if (ExecFontDialog(this, font) && FAxis != nullptr)
        FAxis->SetFont(font);
}

void TFrame3DAxisProp::ChangePositions(int First, int Second) {
    ChangeList(*CtrlPosX1, First, [this] { CtrlPosX1Change(); });
    ChangeList(*CtrlPosX2, Second, [this] { CtrlPosX2Change(); });
}
