#include "chart/Qor3DChart.h"
#include "QorPropList.h"
#include "QorUpdateBracket.h"
#include "chart/Qor3DChartSizing.h"

namespace {

// Raises the update count for a scope without the side effects of BeginUpdate.
class TNestedUpdate {
public:
    explicit TNestedUpdate(int& Count) : FCount(Count) { ++FCount; }
    ~TNestedUpdate() { --FCount; }
    TNestedUpdate(const TNestedUpdate&) = delete;
    TNestedUpdate& operator=(const TNestedUpdate&) = delete;

private:
    int& FCount;
};

} // namespace

TQor3DChart::TQor3DChart()
    : FAxisX(std::make_unique<TQorChartAxis3D>()), FAxisY(std::make_unique<TQorChartAxis3D>()),
      FAxisZ(std::make_unique<TQorChartAxis3D>()), FGridMajor(std::make_unique<TQorGrid3DProp>()),
      FGridMinor(std::make_unique<TQorGrid3DProp>()) {
    QorStoreDefaults(Properties(), *this);
    FAxisX->SetCaption("X");
    FAxisX->SetAxisColor(clRed);
    FAxisX->SetRotText(90);
    FAxisX->SetAxis1Position(apMinimum);
    FAxisX->SetAxis2Position(apMinimum);

    FAxisY->SetCaption("Y");
    FAxisY->SetAxisColor(clLime);
    FAxisY->SetRotText(45);
    FAxisY->SetAxis1Position(apMinimum);
    FAxisY->SetAxis2Position(apMaximum);
    FAxisY->SetTextJustify(taRightJustify);
    FAxisY->SetVisibleMin(false);

    FAxisZ->SetCaption("Z");
    FAxisZ->SetAxisColor(clBlue);
    FAxisZ->SetRotText(-90);
    FAxisZ->SetAxis1Position(apMinimum);
    FAxisZ->SetAxis2Position(apMinimum);
    FAxisZ->SetTextJustify(taRightJustify);

    for (TQorChartAxis3D* axis : {FAxisX.get(), FAxisY.get(), FAxisZ.get()})
        axis->OnChange = [this](TObject* Sender) {
            PartChanged(Sender);
        };
    FGridMinor->SetGridColor(clSilver);
    FGridMinor->SetGridStyle(0x2184);
    for (TQorGrid3DProp* grid : {FGridMajor.get(), FGridMinor.get()})
        grid->OnChange = [this](TObject* Sender) {
            PartChanged(Sender);
        };

    BuildPalette(FPalette, FColors, FColorCount);
    ApplyColorLayers(FPalette, FColorLayers);

    FViewRotX = 30;
    FViewRotY = 130;
    FViewMoveY = 0.1;
    FViewScale = 0.8;
    OnPaintGL = [this](TObject* Sender, const TRect& PaintRect) {
        PaintChart(Sender, PaintRect);
    };
}

TQor3DChart::~TQor3DChart() {
    for (TQorChartAxis3D* axis : {FAxisX.get(), FAxisY.get(), FAxisZ.get()})
        axis->OnChange = nullptr;
    for (TQorGrid3DProp* grid : {FGridMajor.get(), FGridMinor.get()})
        grid->OnChange = nullptr;
}

void TQor3DChart::PartChanged(TObject*) {
    Changed();
}

void TQor3DChart::BeginUpdate() {
    if (FUpdateCount == 0)
        FColorScaleChangedPending = false;
    TQor3DDraw::BeginUpdate();
}

void TQor3DChart::Changed() {
    FChangedWhileUpdating = true;
    if (FUpdateCount > 0)
        return;
    {
        // The axis changes of the conversion's UpdateRanges join this notification instead of
        // raising one of their own (whose bracket would also clear the marks of this batch).
        TNestedUpdate nested(FUpdateCount);
        ApplyLogarithmicChange();
    }
    if (FPaletteRebuildPending) {
        FPaletteRebuildPending = false;
        RebuildPalette();
        FColorScaleChangedPending = true;
    }
    PictureChanged();
    if (FColorScaleChangedPending) {
        FColorScaleChangedPending = false;
        if (OnColorScaleChanged)
            OnColorScaleChanged(this);
    }
    if (OnChange)
        OnChange(this);
}

void TQor3DChart::RebuildPalette() {
    BuildPalette(FPalette, FColors, FColorCount);
    ApplyColorLayers(FPalette, FColorLayers);
}

void TQor3DChart::Assign(const TObject& Source) {
    const TQorUpdateScope scope(*this);
    if (const auto* s = dynamic_cast<const TQor3DChart*>(&Source); s != nullptr && s != this) {
        SetAxisX(s->AxisX());
        SetAxisY(s->AxisY());
        SetAxisZ(s->AxisZ());
        SetgridMajor(s->gridMajor());
        SetgridMinor(s->gridMinor());
        QorAssign(Properties(), *this, *s);
    }
    TQor3DDraw::Assign(Source);
    UpdateRanges();
}

uint64_t TQor3DChart::MemoryLimit() const {
    return QorSizing::PhysicalMemory();
}
