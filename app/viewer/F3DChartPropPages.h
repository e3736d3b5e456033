// The plain property pages of the chart properties dialog: Chart (aspect, height, wire,
// transparency), Scale Ranges (automatic or typed axis ranges) and 4th Dim. (the 4D display).
#pragma once

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
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

class TChartPropRangesPage : public QWidget {
    Q_OBJECT
public:
    explicit TChartPropRangesPage(TForm3DChartProp& Form);
    void Load();

private:
    struct TAxisRow {
        TQorCheckBox* Auto;
        QLabel* MinLabel;
        TQorEdit* Min;
        QLabel* MaxLabel;
        TQorEdit* Max;
    };
    QGroupBox* BuildGroup(int Axis, const QString& Caption, const char* AutoName,
                          const char* MinName, const char* MaxName);
    // The one handler of all nine controls.
    void RangeChange();
    void ShowEdits();

    TForm3DChartProp& FForm;
    std::array<TAxisRow, 3> FRows{};
};

class TChartProp4DPage : public QWidget {
    Q_OBJECT
public:
    explicit TChartProp4DPage(TForm3DChartProp& Form);
    void Load();

private:
    TForm3DChartProp& FForm;
    QGroupBox* Panel4Dim;
    QLabel* Label4DNormal;
    QComboBox* Ctrl4DNormal;
    TQorEdit* Ctrl4DCaption;
    TQorEdit* Ctrl4DCutIdx;
    TQorEdit* Ctrl4DCutOffset;
    QLabel* Label4D1Layer;
    TQorEdit* Ctrl4D1Layer;
    QLabel* Label4DNLayer;
    TQorEdit* Ctrl4DNLayer;
    TQorEdit* Ctrl4DHeight;
};
