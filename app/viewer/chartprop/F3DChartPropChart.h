// The Chart page of the chart properties dialog: aspect, height, wire and transparency.
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class TForm3DChartProp;
class TQorCheckBox;
class TQorEdit;

class TChartPropChartPage : public QWidget {
    Q_OBJECT
public:
    explicit TChartPropChartPage(TForm3DChartProp& Form);
    void Load();

private:
    void ShowHeightY();

    TForm3DChartProp& FForm;
    TQorCheckBox* CtrlKeepXZ;
    TQorCheckBox* CtrlKeepXY;
    QLabel* LabelHeightY;
    TQorEdit* CtrlHeightY;
    QLabel* LabelHeightYUnit;
    TQorCheckBox* CtrlWired;
    QComboBox* CtrlTransp;
};
