#include "chartprop/F3DChartPropRanges.h"

#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"
#include "chartprop/F3DChartProp.h"
#include "chartprop/F3DChartPropControls.h"
#include "desktop/UQorWaitCursor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

TChartPropRangesPage::TChartPropRangesPage(TForm3DChartProp& Form) : FForm(Form) {
    setObjectName("TabSheetRanges");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildGroup(0, "X -Axis:", "CtrlXAutoScale", "CtrlXmin", "CtrlXmax"));
    layout->addWidget(BuildGroup(1, "Y -Axis:", "CtrlYAutoScale", "CtrlYmin", "CtrlYmax"));
    layout->addWidget(BuildGroup(2, "Z -Axis:", "CtrlzAutoScale", "CtrlZmin", "CtrlZmax"));
    layout->addStretch(1);
}

QGroupBox* TChartPropRangesPage::BuildGroup(int Axis, const QString& Caption, const char* AutoName,
                                            const char* MinName, const char* MaxName) {
    auto* group = new QGroupBox(Caption, this);
    auto* grid = new QGridLayout(group);
    auto edit = [&](const char* name) {
        TQorEdit* e = NewEdit(
            group, name, pesDouble, -1e20, 1e20, [this] { RangeChange(); }, 1e-7);
        e->SetDecPlaces(9);
        e->SetIncrementSmart(true);
        return e;
    };
    TAxisRow& row = FRows[size_t(Axis)];
    row.Auto = NewCheck(group, AutoName, "Auto Scale:", [this] { RangeChange(); });
    row.MinLabel = NewLabel(group, "", "Minimum =");
    row.Min = edit(MinName);
    row.MaxLabel = NewLabel(group, "", "Maximum =");
    row.Max = edit(MaxName);
    grid->addWidget(row.Auto, 0, 0, 1, 2, Qt::AlignLeft);
    AddRow(*grid, 1, row.MinLabel, row.Min);
    AddRow(*grid, 2, row.MaxLabel, row.Max);
    return group;
}

void TChartPropRangesPage::Load() {
    const TQorWaitCursor busy;
    const TQor3DChart& chart = FForm.Chart();
    const TQorChartAxis3D* axes[] = {&chart.AxisX(), &chart.AxisY(), &chart.AxisZ()};
    for (size_t i = 0; i < 3; ++i) {
        LoadCheck(*FRows[i].Auto, axes[i]->AutoMin());
        LoadValue(*FRows[i].Min, axes[i]->Minimum());
        LoadValue(*FRows[i].Max, axes[i]->Maximum());
    }
    ShowEdits();
}

void TChartPropRangesPage::ShowEdits() {
    for (const TAxisRow& row : FRows)
        for (QWidget* w :
             std::initializer_list<QWidget*>{row.MinLabel, row.Min, row.MaxLabel, row.Max})
            w->setVisible(!row.Auto->Checked());
}

void TChartPropRangesPage::RangeChange() {
    const TQorWaitCursor busy;
    ShowEdits();
    TQor3DChart& chart = FForm.Chart();
    const TQorUpdateScope update(chart);
    TQorChartAxis3D* axes[] = {&chart.AxisX(), &chart.AxisY(), &chart.AxisZ()};
    for (size_t i = 0; i < 3; ++i) {
        axes[i]->SetAutoMin(FRows[i].Auto->Checked());
        axes[i]->SetAutoMax(FRows[i].Auto->Checked());
    }
    for (size_t i = 0; i < 3; ++i) {
        if (FRows[i].Auto->Checked())
            continue;
        axes[i]->SetMinimum(FRows[i].Min->Value());
        axes[i]->SetMaximum(FRows[i].Max->Value());
    }
    chart.UpdateRanges();
}
