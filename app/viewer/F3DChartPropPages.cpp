#include "F3DChartPropPages.h"

#include "F3DChartProp.h"
#include "F3DChartPropControls.h"
#include "QorUpdateBracket.h"
#include "UQorWaitCursor.h"
#include "chart/Qor3DChart.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace {

const QStringList TransparencyItems{"None", "33%", "50%", "60%", "74%", "80%",
                                    "85%",  "90%", "95%", "99%", "100%"};
const QStringList DirectionItems{"X", "Y", "Z", "X, Y", "X, Z", "Y, Z", "X, Y, Z"};

// Caption, control and unit in one row of a grid.
void AddRow(QGridLayout& Grid, int Row, QWidget* Caption, QWidget* Control,
            QWidget* Unit = nullptr) {
    Grid.addWidget(Caption, Row, 0);
    Grid.addWidget(Control, Row, 1);
    if (Unit != nullptr)
        Grid.addWidget(Unit, Row, 2);
}

} // namespace

// ---- Chart page ----

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

// ---- Scale Ranges page ----

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

// ---- 4th Dim. page ----

TChartProp4DPage::TChartProp4DPage(TForm3DChartProp& Form) : FForm(Form) {
    setObjectName("TabSheet4D");
    TQor3DChart& chart = FForm.Chart();
    Panel4Dim = new QGroupBox("For 4D Chart only:", this);
    Panel4Dim->setObjectName("Panel4Dim");
    QWidget* p = Panel4Dim;
    Label4DNormal = NewLabel(p, "Label4DNormal", "Layer Normal Direction:");
    Ctrl4DNormal = NewList(p, "Ctrl4DNormal", DirectionItems, [this, &chart] {
        ListChanged(*Ctrl4DNormal);
        chart.SetDim4Direction(Ctrl4DNormal->currentIndex());
    });
    Ctrl4DCaption = NewTextEdit(p, "Ctrl4DCaption", [this, &chart] {
        chart.SetDim4Caption(Ctrl4DCaption->Text().toStdString());
    });
    Ctrl4DCutIdx = NewEdit(p, "Ctrl4DCutIdx", pesInteger, 0, 8,
                           [this, &chart] { chart.SetDim4CrossSection(Ctrl4DCutIdx->ValueInt()); });
    Ctrl4DCutOffset = NewEdit(
        p, "Ctrl4DCutOffset", pesDouble, -100, 100,
        [this, &chart] { chart.SetDim4CrossSectionOffset(Ctrl4DCutOffset->Value() / 100); }, 10);
    Label4D1Layer = NewLabel(p, "Label4D1Layer", "First Layers =");
    Ctrl4D1Layer = NewEdit(p, "Ctrl4D1Layer", pesInteger, 1, 30000,
                           [this, &chart] { chart.SetDim4FirstLayer(Ctrl4D1Layer->ValueInt()); });
    Label4DNLayer = NewLabel(p, "Label4DNLayer", "N-th Layers only =");
    Ctrl4DNLayer = NewEdit(p, "Ctrl4DNLayer", pesInteger, 1, 30000,
                           [this, &chart] { chart.SetDim4NthLayer(Ctrl4DNLayer->ValueInt()); });
    Ctrl4DHeight = NewEdit(
        p, "Ctrl4DHeight", pesDouble, -1000, 1000,
        [this, &chart] { chart.SetDim4Height(Ctrl4DHeight->Value() / 100); }, 10);

    auto* grid = new QGridLayout(p);
    AddRow(*grid, 0, Label4DNormal, Ctrl4DNormal);
    AddRow(*grid, 1, NewLabel(p, "Label4DCaption", "Caption:"), Ctrl4DCaption);
    AddRow(*grid, 2, NewLabel(p, "Label4DCutIdx", "Cutting Layer Index ="), Ctrl4DCutIdx);
    AddRow(*grid, 3, NewLabel(p, "Label4DCutOffset", "Offset of Cutting Layer ="), Ctrl4DCutOffset,
           NewLabel(p, "", "[%]"));
    AddRow(*grid, 4, Label4D1Layer, Ctrl4D1Layer);
    AddRow(*grid, 5, Label4DNLayer, Ctrl4DNLayer);
    AddRow(*grid, 6, NewLabel(p, "Label4DHeight", "Axis Height ="), Ctrl4DHeight,
           NewLabel(p, "", "[%]"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel4Dim);
    layout->addStretch(1);
}

void TChartProp4DPage::Load() {
    const TQor3DChart& chart = FForm.Chart();
    const TQorDataKind kind = chart.DataKind();
    Panel4Dim->setVisible(kind != dk3D);
    // Layer lists have their own layers: no direction and no layer selection.
    for (QWidget* w : std::initializer_list<QWidget*>{Label4DNormal, Ctrl4DNormal, Label4D1Layer,
                                                      Ctrl4D1Layer, Label4DNLayer, Ctrl4DNLayer})
        w->setVisible(kind != dkNx4D);
    LoadList(*Ctrl4DNormal, chart.Dim4Direction());
    LoadText(*Ctrl4DCaption, chart.Dim4Caption());
    LoadValue(*Ctrl4DCutIdx, chart.Dim4CrossSection());
    LoadValue(*Ctrl4DCutOffset, chart.Dim4CrossSectionOffset() * 100);
    LoadValue(*Ctrl4D1Layer, chart.Dim4FirstLayer());
    LoadValue(*Ctrl4DNLayer, chart.Dim4NthLayer());
    LoadValue(*Ctrl4DHeight, chart.Dim4Height() * 100);
}
