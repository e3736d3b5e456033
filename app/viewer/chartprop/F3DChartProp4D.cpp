#include "chartprop/F3DChartProp4D.h"

#include "chart/Qor3DChart.h"
#include "chartprop/F3DChartProp.h"
#include "chartprop/F3DChartPropControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace {

const QStringList DirectionItems{"X", "Y", "Z", "X, Y", "X, Z", "Y, Z", "X, Y, Z"};

} // namespace

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
