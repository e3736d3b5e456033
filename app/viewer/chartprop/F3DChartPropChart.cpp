#include "chartprop/F3DChartPropChart.h"

#include "chart/Qor3DChart.h"
#include "chartprop/F3DChartProp.h"
#include "chartprop/F3DChartPropControls.h"

#include <QGridLayout>

namespace {

const QStringList TransparencyItems{"None", "33%", "50%", "60%", "74%", "80%",
                                    "85%",  "90%", "95%", "99%", "100%"};

} // namespace

TChartPropChartPage::TChartPropChartPage(TForm3DChartProp& Form) : FForm(Form) {
    setObjectName("TabSheetChart");
    TQor3DChart& chart = FForm.Chart();
    CtrlKeepXZ = NewCheck(this, "CtrlKeepXZ", "Keep Aspect Ratio (X and Z-axis):", [this, &chart] {
        chart.SetKeepAspectXZ(CtrlKeepXZ->Checked());
    });
    CtrlKeepXY = NewCheck(this, "CtrlKeepXY", "Keep Aspect Ratio (X and Y-axis):", [this, &chart] {
        chart.SetKeepAspectXY(CtrlKeepXY->Checked());
        ShowHeightY();
    });
    LabelHeightY = NewLabel(this, "LabelHeightY", "Y-axis Height =");
    CtrlHeightY = NewEdit(
        this, "CtrlHeightY", pesInteger, 0, 10000,
        [this, &chart] { chart.SetHeightY(CtrlHeightY->Value() / 100); }, 10);
    LabelHeightYUnit = NewLabel(this, "LabelHeightYUnit", "[%]");
    CtrlWired = NewCheck(this, "CtrlWired",
                         "Wired Chart:", [this, &chart] { chart.SetWired(CtrlWired->Checked()); });
    CtrlTransp = NewList(this, "CtrlTransp", TransparencyItems, [this, &chart] {
        ListChanged(*CtrlTransp);
        chart.SetTransparency(CtrlTransp->currentIndex());
    });

    auto* grid = new QGridLayout(this);
    grid->addWidget(CtrlKeepXZ, 0, 0, 1, 3, Qt::AlignLeft);
    grid->addWidget(CtrlKeepXY, 1, 0, 1, 3, Qt::AlignLeft);
    AddRow(*grid, 2, LabelHeightY, CtrlHeightY, LabelHeightYUnit);
    grid->addWidget(CtrlWired, 3, 0, 1, 3, Qt::AlignLeft);
    AddRow(*grid, 4, NewLabel(this, "LabelTransp", "Transparency:"), CtrlTransp);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(3, 1);
}

void TChartPropChartPage::Load() {
    const TQor3DChart& chart = FForm.Chart();
    LoadCheck(*CtrlKeepXY, chart.KeepAspectXY());
    ShowHeightY();
    LoadCheck(*CtrlKeepXZ, chart.KeepAspectXZ());
    LoadValue(*CtrlHeightY, chart.HeightY() * 100);
    LoadCheck(*CtrlWired, chart.Wired());
    LoadList(*CtrlTransp, chart.Transparency());
}

void TChartPropChartPage::ShowHeightY() {
    const bool shown = !FForm.Chart().KeepAspectXY();
    LabelHeightY->setVisible(shown);
    CtrlHeightY->setVisible(shown);
    LabelHeightYUnit->setVisible(shown);
}
