// TForm3DChartProp: the "3D Chart Properties" dialog. It edits the live chart, its axes and
// grids and the legend beside it: every change of a control is written at once and the chart
// repaints; there is no private copy, no Apply and no Cancel. "Default Properties" puts the
// defaults back, named sets save and restore whole states.
//
// Units: F3DChartProp (the shell: pages, opening, closing, LoadFromChart, defaults),
// F3DChartPropView (View page and view presets), F3DChartPropChart (Chart page),
// F3DChartPropRanges (Scale Ranges page), F3DChartPropGrid (Grid page), F3DChartProp4D
// (4th Dim. page), F3DChartPropColors (Color Scale page), F3DChartPropSets (Settings page with
// the named sets), R3DAxisProp (the axis pages).
#pragma once

#include <QDialog>
#include <memory>

class QPushButton;
class QTabWidget;
class TChartProp4DPage;
class TChartPropChartPage;
class TChartPropColorPage;
class TChartPropGridPage;
class TChartPropRangesPage;
class TChartPropSettingsPage;
class TChartPropViewPage;
class TFrame3DAxisProp;
class TQor3DChart;
class TQorColorScale;
class TQorStorage;
class TQorWidgetStorageWindow;

class TForm3DChartProp : public QDialog {
    Q_OBJECT
public:
    // Everything is borrowed and must outlive the dialog. The legend and the two default
    // copies may be absent; fresh components with their constructor defaults stand in.
    TForm3DChartProp(TQor3DChart& Chart, TQorColorScale* ColorScale,
                     TQorColorScale* DefaultColorScale, TQor3DChart* DefaultChart,
                     QWidget* Owner = nullptr);
    ~TForm3DChartProp() override;

    TQor3DChart& Chart() const { return *FChart; }
    TQor3DChart* DefaultChart() const { return FDefaultChart; }
    TQorColorScale* ColorScale() const { return FColorScale; }
    TQorColorScale* DefaultColorScale() const { return FDefaultColorScale; }
    // The dialog's settings: its placement and the named property sets.
    TQorStorage& Storage() const { return *QorStorage1; }
    // The frames of the X-, Y- and Z-axis pages (0, 1, 2).
    TFrame3DAxisProp& AxisFrame(int Index) const;
    // The chart's UseFastDoubleBuffer as it was when the dialog opened.
    bool SavedFastDoubleBuffer() const { return FSavedFastDoubleBuffer; }

    // Brings every control, and every changed mark, back to the chart's current state.
    void LoadFromChart();
    // Refreshes the colour count and the six colour boxes of the Color Scale page.
    void LoadColorControls();

    // Closing keeps the dialog's placement for its next showing.
    void done(int Result) override;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void FormShow();
    void BtnDefaultClick();

    TQor3DChart* FChart;
    TQor3DChart* FDefaultChart;
    TQorColorScale* FColorScale;
    TQorColorScale* FDefaultColorScale;
    bool FSavedFastDoubleBuffer = false;
    bool FOpened = false;
    std::unique_ptr<TQorWidgetStorageWindow> FStorageWindow;
    std::unique_ptr<TQorStorage> QorStorage1;

    QTabWidget* PageControl1;
    TChartPropViewPage* TabSheetView;
    TChartPropChartPage* TabSheetChart;
    TChartPropRangesPage* TabSheetRanges;
    TChartPropGridPage* TabSheetGrid;
    TChartPropSettingsPage* TabSheetSettings;
    TFrame3DAxisProp* Frame3DAxisProp1;
    TFrame3DAxisProp* Frame3DAxisProp2;
    TFrame3DAxisProp* Frame3DAxisProp3;
    TChartProp4DPage* TabSheet4D;
    TChartPropColorPage* TabSheetColors;
    QPushButton* BtnDefault;
    QPushButton* BtnFinish;
};

// Shows the dialog modally for Chart (nothing happens without one) and releases it.
void ShowChartPropertiesDialog(TQor3DChart* Chart, TQorColorScale* ColorScale, QWidget* Owner,
                               TQorColorScale* DefaultColorScale, TQor3DChart* DefaultChart);
