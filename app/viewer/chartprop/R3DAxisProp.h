// TFrame3DAxisProp: the page of one chart axis in the chart properties dialog. Each control
// writes the bound axis at once; the frame keeps no copy of the axis' state.
#pragma once

#include <QFrame>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TQorChartAxis3D;
class TQorCheckBox;
class TQorColorBox;
class TQorColorScale;
class TQorEdit;

class TFrame3DAxisProp : public QFrame {
    Q_OBJECT
public:
    explicit TFrame3DAxisProp(QWidget* Parent = nullptr);
    ~TFrame3DAxisProp() override;

    // Both are borrowed. A legend bound to the frame shows this axis' caption, so the caption
    // stays editable while the axis is hidden.
    void BindAxis(TQorChartAxis3D* Axis, TQorColorScale* ColorScale);
    void UnbindAxis();
    void LoadFromAxis();
    void UpdateAxisControls();
    // Captions of the two position lists ("Y =" and "Z =" on the X-axis page).
    void SetPositionLabels(const QString& First, const QString& Second);
    TQorChartAxis3D* Axis() const { return FAxis; }

    // Selects the two positions as the user would (the view presets): a list that already
    // shows its position stays, the other runs its handler. The check boxes and edits take
    // such changes through their own ChangeChecked and ChangeValue.
    void ChangePositions(int First, int Second);

    TQorCheckBox* CtrlVisible;
    TQorCheckBox* CtrlLog;
    QLabel* LabelPos;
    QLabel* LabelX1;
    QComboBox* CtrlPosX1;
    QLabel* LabelX2;
    QComboBox* CtrlPosX2;
    QLabel* LabelColor;
    TQorColorBox* CtrlColor;
    QLabel* LabelWidth;
    TQorEdit* CtrlWidth;
    QLabel* LabelCaption;
    TQorEdit* CtrlCaption;
    QPushButton* CtrlCaptionFont;
    QGroupBox* PanelNumbering;
    TQorCheckBox* CtrlNumVisible;
    QPushButton* CtrlFont;
    QWidget* PanelNumberingSub;
    TQorEdit* CtrlRot;
    TQorEdit* CtrlRotT;
    TQorCheckBox* CtrlMin;
    TQorCheckBox* CtrlMax;
    TQorCheckBox* CtrlLeft;
    TQorCheckBox* CtrlFlip;
    QGroupBox* PanelSteps;
    TQorCheckBox* CtrlStepVisible;
    QWidget* PanelStepsSub;
    TQorColorBox* CtrlStepColor;
    TQorEdit* CtrlStepWidth;
    TQorCheckBox* CtrlSubStepAuto;
    QLabel* LabelSubStepCount;
    TQorEdit* CtrlSubStepCount;

private:
    QWidget* BuildAxisGroup();
    QWidget* BuildNumberingGroup();
    QWidget* BuildStepsGroup();
    void CtrlPosX1Change();
    void CtrlPosX2Change();
    void CtrlCaptionFontClick();
    void CtrlFontClick();
    // Runs Write on the bound axis; nothing happens while no axis is bound.
    void WriteAxis(const std::function<void(TQorChartAxis3D&)>& Write);

    TQorChartAxis3D* FAxis = nullptr;
    TQorColorScale* FColorScale = nullptr;
};
