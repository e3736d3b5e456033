#include "chart/Qor3DChartAxis.h"

#include "QorNumText.h"
#include "QorPropList.h"

TQorChartAxis3D::TQorChartAxis3D() : FMeasureBitmap(1, 1, QImage::Format_RGB888) {
    QorStoreDefaults(Properties(), *this);
    FCaptionFont.OnChange = [this](TFont*) {
        Changed();
    };
    FFont.OnChange = [this](TFont*) {
        Changed();
    };
}

TQorChartAxis3D::~TQorChartAxis3D() {
    FCaptionFont.OnChange = nullptr;
    FFont.OnChange = nullptr;
}

void TQorChartAxis3D::Assign(const TObject& Source) {
    const auto* s = dynamic_cast<const TQorChartAxis3D*>(&Source);
    if (s == nullptr || s == this)
        return;
    const TQorUpdateScope scope(*this);
    QorAssign(Properties(), *this, *s);
}

void TQorChartAxis3D::SetAutoMax(bool v) {
    SetField(FAutoMax, v);
}
void TQorChartAxis3D::SetAutoMin(bool v) {
    SetField(FAutoMin, v);
}
void TQorChartAxis3D::SetAutoSubSteps(bool v) {
    SetField(FAutoSubSteps, v);
}
void TQorChartAxis3D::SetAxisColor(TColor v) {
    SetField(FAxisColor, v);
}
void TQorChartAxis3D::SetAxis1Position(TQorAxisPosition v) {
    SetField(FAxis1Position, v);
}
void TQorChartAxis3D::SetAxis2Position(TQorAxisPosition v) {
    SetField(FAxis2Position, v);
}
void TQorChartAxis3D::SetAxisWidth(int v) {
    SetField(FAxisWidth, v);
}
void TQorChartAxis3D::SetCaption(const std::string& v) {
    SetField(FCaption, v);
}
// The owned font notifies through its own change event when the copy alters it.
void TQorChartAxis3D::SetCaptionFont(const TFont& v) {
    FCaptionFont.Assign(v);
}
void TQorChartAxis3D::SetDecPlaces(int v) {
    SetField(FDecPlaces, v);
}
void TQorChartAxis3D::SetDecPlacesEndPlus(int v) {
    SetField(FDecPlacesEndPlus, v);
}
void TQorChartAxis3D::SetDecPlacesEqual(bool v) {
    SetField(FDecPlacesEqual, v);
}
void TQorChartAxis3D::SetDecPlacesMax(int v) {
    SetField(FDecPlacesMax, v);
}
char TQorChartAxis3D::DecSep() const {
    return FDecSepLocal ? LocaleDecSeparator() : FDecSep;
}
void TQorChartAxis3D::SetDecSep(char v) {
    SetField(FDecSep, v);
}
void TQorChartAxis3D::SetDecSepLocal(bool v) {
    SetField(FDecSepLocal, v);
}
void TQorChartAxis3D::SetFlipText(bool v) {
    SetField(FFlipText, v);
}
void TQorChartAxis3D::SetFont(const TFont& v) {
    FFont.Assign(v);
}
void TQorChartAxis3D::SetLogarithmic(bool v) {
    if (v == FLogarithmic)
        return;
    if (!FLogChangePending)
        FLogPrevious = FLogarithmic;
    FLogarithmic = v;
    FLogChangePending = true;
    Changed();
}
void TQorChartAxis3D::SetMaximum(double v) {
    SetField(FMaximum, v);
}
void TQorChartAxis3D::SetMinimum(double v) {
    SetField(FMinimum, v);
}
void TQorChartAxis3D::SetNumSubSteps(int v) {
    SetField(FNumSubSteps, v);
}
void TQorChartAxis3D::SetRotText(double v) {
    SetField(FRotText, v);
}
void TQorChartAxis3D::SetRotTextT(double v) {
    SetField(FRotTextT, v);
}
void TQorChartAxis3D::SetStepColor(TColor v) {
    SetField(FStepColor, v);
}
void TQorChartAxis3D::SetStepWidth(int v) {
    SetField(FStepWidth, v);
}
void TQorChartAxis3D::SetTextBackColor(TColor v) {
    SetField(FTextBackColor, v);
}
void TQorChartAxis3D::SetTextJustify(TLeftRight v) {
    SetField(FTextJustify, v);
}
void TQorChartAxis3D::SetVisible(bool v) {
    SetField(FVisible, v);
}
void TQorChartAxis3D::SetVisibleCaption(bool v) {
    SetField(FVisibleCaption, v);
}
void TQorChartAxis3D::SetVisibleMin(bool v) {
    SetField(FVisibleMin, v);
}
void TQorChartAxis3D::SetVisibleMax(bool v) {
    SetField(FVisibleMax, v);
}
void TQorChartAxis3D::SetVisibleStep(bool v) {
    SetField(FVisibleStep, v);
}
void TQorChartAxis3D::SetVisibleStepText(bool v) {
    SetField(FVisibleStepText, v);
}

void TQorChartAxis3D::Changed() {
    if (FBracket.Record() && OnChange)
        OnChange(this);
}

void TQorChartAxis3D::BeginUpdate() {
    FBracket.Begin();
}

void TQorChartAxis3D::EndUpdate() {
    if (FBracket.End())
        Changed();
}

TQorGrid3DProp::TQorGrid3DProp() {
    QorStoreDefaults(Properties(), *this);
}

void TQorGrid3DProp::Assign(const TObject& Source) {
    const auto* s = dynamic_cast<const TQorGrid3DProp*>(&Source);
    if (s == nullptr || s == this)
        return;
    const TQorUpdateScope scope(*this);
    QorAssign(Properties(), *this, *s);
}

void TQorGrid3DProp::Changed() {
    if (FBracket.Record() && OnChange)
        OnChange(this);
}

void TQorGrid3DProp::BeginUpdate() {
    FBracket.Begin();
}

void TQorGrid3DProp::EndUpdate() {
    if (FBracket.End())
        Changed();
}
