#include "chartprop/F3DChartPropGrid.h"

#include "chart/Qor3DChart.h"
#include "chartprop/F3DChartProp.h"
#include "chartprop/F3DChartPropControls.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

namespace {

struct TGridPlane {
    const char* Caption;
    const char* Major;
    const char* Minor;
    bool (TQorGrid3DProp::*Get)() const;
    void (TQorGrid3DProp::*Set)(bool);
};

const std::array<TGridPlane, TChartPropGridPage::PlaneCount> Planes{{
    {"X grid in Y minimum:", "MAXYmin", "MIXYmin", &TQorGrid3DProp::GridXYmin,
     &TQorGrid3DProp::SetGridXYmin},
    {"X grid in Y maximum:", "MAXYmax", "MIXYmax", &TQorGrid3DProp::GridXYmax,
     &TQorGrid3DProp::SetGridXYmax},
    {"X grid in Z minimum:", "MAXZmin", "MIXZmin", &TQorGrid3DProp::GridXZmin,
     &TQorGrid3DProp::SetGridXZmin},
    {"X grid in Z maximum:", "MAXZmax", "MIXZmax", &TQorGrid3DProp::GridXZmax,
     &TQorGrid3DProp::SetGridXZmax},
    {"Y grid in X minimum:", "MAYXmin", "MIYXmin", &TQorGrid3DProp::GridYXmin,
     &TQorGrid3DProp::SetGridYXmin},
    {"Y grid in X maximum:", "MAYXmax", "MIYXmax", &TQorGrid3DProp::GridYXmax,
     &TQorGrid3DProp::SetGridYXmax},
    {"Y grid in Z minimum:", "MAYZmin", "MIYZmin", &TQorGrid3DProp::GridYZmin,
     &TQorGrid3DProp::SetGridYZmin},
    {"Y grid in Z maximum:", "MAYZmax", "MIYZmax", &TQorGrid3DProp::GridYZmax,
     &TQorGrid3DProp::SetGridYZmax},
    {"Z grid in X minimum:", "MAZXmin", "MIZXmin", &TQorGrid3DProp::GridZXmin,
     &TQorGrid3DProp::SetGridZXmin},
    {"Z grid in X maximum:", "MAZXmax", "MIZXmax", &TQorGrid3DProp::GridZXmax,
     &TQorGrid3DProp::SetGridZXmax},
    {"Z grid in Y minimum:", "MAZYmin", "MIZYmin", &TQorGrid3DProp::GridZYmin,
     &TQorGrid3DProp::SetGridZYmin},
    {"Z grid in Y maximum:", "MAZYmax", "MIZYmax", &TQorGrid3DProp::GridZYmax,
     &TQorGrid3DProp::SetGridZYmax},
}};

// The line styles as the list shows them and the 16-bit stipple each stands for.
const QStringList StyleItems{"----------------", "- - - - - - - - ", "-  --  --  --  -",
                             "    --------    ", "---    --    ---", "  -    --    -  "};
constexpr std::array<uint16_t, 6> StylePatterns{0xFFFF, 0xAAAA, 0x9999, 0x0FF0, 0xE187, 0x2184};

int StyleIndex(uint16_t Pattern) {
    const auto* it = std::find(StylePatterns.begin(), StylePatterns.end(), Pattern);
    return it == StylePatterns.end() ? -1 : int(it - StylePatterns.begin());
}

} // namespace

TChartPropGridPage::TChartPropGridPage(TForm3DChartProp& Form) : FForm(Form) {
    setObjectName("TabSheetGrid");
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(BuildPlanes());
    auto* lines = new QVBoxLayout;
    lines->addWidget(BuildLines(true));
    lines->addWidget(BuildLines(false));
    lines->addStretch(1);
    layout->addLayout(lines);
}

QWidget* TChartPropGridPage::BuildPlanes() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->addWidget(NewLabel(box, "LabelMajor", "Major"), 0, 1, Qt::AlignCenter);
    grid->addWidget(NewLabel(box, "LabelMinor", "Minor"), 0, 2, Qt::AlignCenter);
    for (int i = 0; i < PlaneCount; ++i) {
        const TGridPlane& p = Planes[size_t(i)];
        FMajor[size_t(i)] = NewCheck(box, p.Major, "", [this] { MajorChange(); });
        FMinor[size_t(i)] = NewCheck(box, p.Minor, "", [this] { MinorChange(); });
        grid->addWidget(NewLabel(box, "", p.Caption), i + 1, 0);
        grid->addWidget(FMajor[size_t(i)], i + 1, 1, Qt::AlignCenter);
        grid->addWidget(FMinor[size_t(i)], i + 1, 2, Qt::AlignCenter);
    }
    grid->setRowStretch(PlaneCount + 1, 1);
    return box;
}

QWidget* TChartPropGridPage::BuildLines(bool Major) {
    auto* group = new QGroupBox(Major ? "Major" : "Minor", this);
    auto* grid = new QGridLayout(group);
    TLineControls& c = FLines[Major ? 0 : 1];
    c.Width = NewEdit(group, Major ? "CtrlMALW" : "CtrlMILW", pesInteger, 0, 100, [this, Major] {
        Grid(Major).SetGridWidth(FLines[Major ? 0 : 1].Width->ValueInt());
    });
    c.Style = NewList(group, Major ? "CtrlMALS" : "CtrlMILS", StyleItems, [this, Major] {
        QComboBox& list = *FLines[Major ? 0 : 1].Style;
        ListChanged(list);
        if (list.currentIndex() >= 0)
            Grid(Major).SetGridStyle(StylePatterns[size_t(list.currentIndex())]);
    });
    // The dashes read as the pattern only in a fixed-width face.
    c.Style->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    c.Color = NewColorBox(group, Major ? "CtrlMALC" : "CtrlMILC", [this, Major] {
        Grid(Major).SetGridColor(FLines[Major ? 0 : 1].Color->Selected());
    });
    grid->addWidget(NewLabel(group, "", "Line width:"), 0, 0);
    grid->addWidget(c.Width, 0, 1);
    grid->addWidget(NewLabel(group, "", "Line style:"), 1, 0);
    grid->addWidget(c.Style, 1, 1);
    grid->addWidget(NewLabel(group, "", "Line color:"), 2, 0);
    grid->addWidget(c.Color, 2, 1);
    return group;
}

TQorGrid3DProp& TChartPropGridPage::Grid(bool Major) const {
    return Major ? FForm.Chart().gridMajor() : FForm.Chart().gridMinor();
}

void TChartPropGridPage::Load() {
    const TQorGrid3DProp& major = Grid(true);
    const TQorGrid3DProp& minor = Grid(false);
    for (size_t i = 0; i < Planes.size(); ++i) {
        LoadCheck(*FMajor[i], (major.*Planes[i].Get)());
        LoadCheck(*FMinor[i], (minor.*Planes[i].Get)());
        FMinor[i]->setEnabled(FMajor[i]->Checked());
    }
    for (bool isMajor : {true, false}) {
        const TQorGrid3DProp& g = Grid(isMajor);
        const TLineControls& c = FLines[isMajor ? 0 : 1];
        LoadValue(*c.Width, g.GridWidth());
        LoadList(*c.Style, StyleIndex(g.GridStyle()));
        LoadColor(*c.Color, g.GridColor());
    }
}

void TChartPropGridPage::MajorChange() {
    TQorGrid3DProp& major = Grid(true);
    for (size_t i = 0; i < Planes.size(); ++i) {
        (major.*Planes[i].Set)(FMajor[i]->Checked());
        // A disabled minor box keeps its state and its flag.
        FMinor[i]->setEnabled(FMajor[i]->Checked());
    }
}

void TChartPropGridPage::MinorChange() {
    TQorGrid3DProp& minor = Grid(false);
    for (size_t i = 0; i < Planes.size(); ++i)
        (minor.*Planes[i].Set)(FMinor[i]->Checked());
}
