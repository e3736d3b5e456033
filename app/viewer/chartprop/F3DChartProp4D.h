// The 4th Dim. page of the chart properties dialog: the display of 4D data.
#pragma once

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class TForm3DChartProp;
class TQorEdit;

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
