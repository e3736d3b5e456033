// The Grid page of the chart properties dialog: the twelve grid planes of the major and the
// minor grid, and the width, style and colour of each grid's lines.
#pragma once

#include <QWidget>
#include <array>

class QComboBox;
class TForm3DChartProp;
class TQorCheckBox;
class TQorColorBox;
class TQorEdit;
class TQorGrid3DProp;

class TChartPropGridPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int PlaneCount = 12;

    explicit TChartPropGridPage(TForm3DChartProp& Form);
    void Load();

private:
    // The line controls of one grid.
    struct TLineControls {
        TQorEdit* Width;
        QComboBox* Style;
        TQorColorBox* Color;
    };
    QWidget* BuildPlanes();
    QWidget* BuildLines(bool Major);
    void MajorChange();
    void MinorChange();
    TQorGrid3DProp& Grid(bool Major) const;

    TForm3DChartProp& FForm;
    std::array<TQorCheckBox*, PlaneCount> FMajor{};
    std::array<TQorCheckBox*, PlaneCount> FMinor{};
    std::array<TLineControls, 2> FLines{}; // major, minor
};
