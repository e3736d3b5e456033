// The Scale Ranges page of the chart properties dialog: automatic or typed axis ranges.
#pragma once

#include <QWidget>
#include <array>

class QGroupBox;
class QLabel;
class TForm3DChartProp;
class TQorCheckBox;
class TQorEdit;

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
