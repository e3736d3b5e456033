// The axis and grid properties, described once (key, kind, accessors, default, in the stored
// order), and their three stored forms: property text, storage values and binary records.
#include "chart/Qor3DChartAxis.h"

#include "QorPropList.h"

namespace {

constexpr const char* AxisMarker = "TQorChartAxis3DV7";
constexpr const char* GridMarker = "TQorGrid3DPropV7";

} // namespace

// ---- Axis -------------------------------------------------------------------------------------

const TQorPropList<TQorChartAxis3D>& TQorChartAxis3D::Properties() {
    using A = TQorChartAxis3D;
    using P = TQorProps<A>;
    constexpr auto readFirst = TQorOldKeyUse::ReadFirst;
    static const TQorPropList<A> list{
        P::Prop("AutoMax", &A::AutoMax, &A::SetAutoMax, &A::FAutoMax, true),
        P::Prop("AutoMin", &A::AutoMin, &A::SetAutoMin, &A::FAutoMin, true),
        P::Prop("AutoSubSteps", &A::AutoSubSteps, &A::SetAutoSubSteps, &A::FAutoSubSteps, false),
        P::Prop("AxisColor", &A::AxisColor, &A::SetAxisColor, &A::FAxisColor, clBlack),
        P::Ordinal("Axis1Position", &A::Axis1Position, &A::SetAxis1Position, &A::FAxis1Position,
                   apZero, apMaximum),
        P::Ordinal("Axis2Position", &A::Axis2Position, &A::SetAxis2Position, &A::FAxis2Position,
                   apZero, apMaximum),
        P::Prop("AxisWidth", &A::AxisWidth, &A::SetAxisWidth, &A::FAxisWidth, 2),
        P::Prop("Caption", &A::Caption, &A::SetCaption, &A::FCaption, ""),
        P::Prop(
            "CaptionFont", [](const A& a) { return a.CaptionFont(); }, &A::SetCaptionFont,
            &A::FCaptionFont, TFont{"Arial", 32, {fsBold}}),
        P::Prop("DecPlaces", &A::DecPlaces, &A::SetDecPlaces, &A::FDecPlaces, 0),
        P::Prop("DecPlacesEndPlus", &A::DecPlacesEndPlus, &A::SetDecPlacesEndPlus,
                &A::FDecPlacesEndPlus, 3),
        P::Prop("DecPlacesEqual", &A::DecPlacesEqual, &A::SetDecPlacesEqual, &A::FDecPlacesEqual,
                false),
        P::Prop("DecPlacesMax", &A::DecPlacesMax, &A::SetDecPlacesMax, &A::FDecPlacesMax, 9),
        P::Prop("FlipText", &A::FlipText, &A::SetFlipText, &A::FFlipText, false),
        P::Prop(
            "Font", [](const A& a) { return a.Font(); }, &A::SetFont, &A::FFont,
            TFont{"Arial", 28}),
        P::Prop("Logarithmic", &A::Logarithmic, &A::SetLogarithmic, &A::FLogarithmic, false)
            .WithOldKey("Logaritmic", readFirst),
        P::Prop("Maximum", &A::Maximum, &A::SetMaximum, &A::FMaximum, 100),
        P::Prop("Minimum", &A::Minimum, &A::SetMinimum, &A::FMinimum, 0),
        P::Prop("NumSubSteps", &A::NumSubSteps, &A::SetNumSubSteps, &A::FNumSubSteps, 1),
        P::Prop("RotText", &A::RotText, &A::SetRotText, &A::FRotText, 0),
        P::Prop("RotTextT", &A::RotTextT, &A::SetRotTextT, &A::FRotTextT, 0),
        P::Prop("StepColor", &A::StepColor, &A::SetStepColor, &A::FStepColor, clBlack),
        P::Prop("StepWidth", &A::StepWidth, &A::SetStepWidth, &A::FStepWidth, 2),
        P::Prop("TextBackColor", &A::TextBackColor, &A::SetTextBackColor, &A::FTextBackColor,
                clWhite),
        P::Ordinal("TextJustify", &A::TextJustify, &A::SetTextJustify, &A::FTextJustify,
                   taLeftJustify, taRightJustify),
        P::Prop("Visible", &A::Visible, &A::SetVisible, &A::FVisible, true),
        P::Prop("VisibleCaption", &A::VisibleCaption, &A::SetVisibleCaption, &A::FVisibleCaption,
                true)
            .WithOldKey("VisibleText", readFirst),
        P::Prop("VisibleMin", &A::VisibleMin, &A::SetVisibleMin, &A::FVisibleMin, true)
            .WithOldKey("WriteFirst", readFirst),
        P::Prop("VisibleMax", &A::VisibleMax, &A::SetVisibleMax, &A::FVisibleMax, true)
            .WithOldKey("WriteLast", readFirst),
        P::Prop("VisibleStep", &A::VisibleStep, &A::SetVisibleStep, &A::FVisibleStep, true),
        P::Prop("VisibleStepText", &A::VisibleStepText, &A::SetVisibleStepText,
                &A::FVisibleStepText, true),
    };
    return list;
}

void TQorChartAxis3D::WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const {
    Writer.WriteString(Prefix + "FileVerAxis3D", AxisMarker);
    QorWriteText(Properties(), *this, Writer, Prefix);
}

void TQorChartAxis3D::ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix) {
    const TQorUpdateScope scope(*this);
    // Older blocks named four properties differently; the current name wins when both exist.
    const bool old = Reader.ReadString(Prefix + "FileVerAxis3D", "") != AxisMarker;
    QorReadText(Properties(), *this, Reader, Prefix, old);
}

bool TQorChartAxis3D::SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const {
    TQorStorageBatch batch(Storage);
    bool ok = Storage.WriteString(Prefix + "FileVerAxis3D", AxisMarker);
    ok = QorSaveToStorage(Properties(), *this, Storage, Prefix) && ok;
    return batch.Close() && ok;
}

void TQorChartAxis3D::LoadFromStorage(TQorStorage& Storage, const std::string& Prefix) {
    TQorStorageBatch batch(Storage);
    const TQorUpdateScope scope(*this);
    QorLoadFromStorage(Properties(), *this, Storage, Prefix);
}

int TQorChartAxis3D::WriteToFile(TQorBinaryWriter& Writer) const {
    Writer.WriteString(AxisMarker);
    QorWriteBinary(Properties(), *this, Writer);
    return 0;
}

int TQorChartAxis3D::ReadFromFile(TQorBinaryReader& Reader) {
    std::string marker;
    if (const int r = Reader.ReadMarker(marker); r != 0)
        return r;
    if (marker != AxisMarker && marker != "DuvIzerorIzadi")
        return -3;
    const TQorUpdateScope scope(*this);
    const bool wasLogarithmic = FLogarithmic;
    QorReadBinary(Properties(), *this, Reader, TQorBinaryRead::IntoFields);
    // The chart's stored coordinates follow the logarithmic state, so a change read from
    // a record is tracked like one made through the setter.
    if (FLogarithmic != wasLogarithmic && !FLogChangePending) {
        FLogPrevious = wasLogarithmic;
        FLogChangePending = true;
    }
    Changed();
    return Reader.Incomplete() ? -4 : 0;
}

// ---- Grid -------------------------------------------------------------------------------------

const TQorPropList<TQorGrid3DProp>& TQorGrid3DProp::Properties() {
    using G = TQorGrid3DProp;
    using P = TQorProps<G>;
    static const TQorPropList<G> list{
        P::Prop("GridColor", &G::GridColor, &G::SetGridColor, &G::FGridColor, clBlack),
        P::Prop("GridStyle", &G::GridStyle, &G::SetGridStyle, &G::FGridStyle, 0xE187),
        P::Prop("GridWidth", &G::GridWidth, &G::SetGridWidth, &G::FGridWidth, 1),
        P::Prop("GridXYmax", &G::GridXYmax, &G::SetGridXYmax, &G::FGridXYmax, false),
        P::Prop("GridXZmax", &G::GridXZmax, &G::SetGridXZmax, &G::FGridXZmax, true),
        P::Prop("GridYXmax", &G::GridYXmax, &G::SetGridYXmax, &G::FGridYXmax, true),
        P::Prop("GridYZmax", &G::GridYZmax, &G::SetGridYZmax, &G::FGridYZmax, true),
        P::Prop("GridZXmax", &G::GridZXmax, &G::SetGridZXmax, &G::FGridZXmax, true),
        P::Prop("GridZYmax", &G::GridZYmax, &G::SetGridZYmax, &G::FGridZYmax, false),
        P::Prop("GridXYmin", &G::GridXYmin, &G::SetGridXYmin, &G::FGridXYmin, true),
        P::Prop("GridXZmin", &G::GridXZmin, &G::SetGridXZmin, &G::FGridXZmin, false),
        P::Prop("GridYXmin", &G::GridYXmin, &G::SetGridYXmin, &G::FGridYXmin, false),
        P::Prop("GridYZmin", &G::GridYZmin, &G::SetGridYZmin, &G::FGridYZmin, false),
        P::Prop("GridZXmin", &G::GridZXmin, &G::SetGridZXmin, &G::FGridZXmin, false),
        P::Prop("GridZYmin", &G::GridZYmin, &G::SetGridZYmin, &G::FGridZYmin, true),
    };
    return list;
}

void TQorGrid3DProp::WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const {
    QorWriteText(Properties(), *this, Writer, Prefix);
}

void TQorGrid3DProp::ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix) {
    const TQorUpdateScope scope(*this);
    QorReadText(Properties(), *this, Reader, Prefix);
}

bool TQorGrid3DProp::SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const {
    TQorStorageBatch batch(Storage);
    const bool ok = QorSaveToStorage(Properties(), *this, Storage, Prefix);
    return batch.Close() && ok;
}

void TQorGrid3DProp::LoadFromStorage(TQorStorage& Storage, const std::string& Prefix) {
    TQorStorageBatch batch(Storage);
    const TQorUpdateScope scope(*this);
    QorLoadFromStorage(Properties(), *this, Storage, Prefix);
}

int TQorGrid3DProp::WriteToFile(TQorBinaryWriter& Writer) const {
    Writer.WriteString(GridMarker);
    QorWriteBinary(Properties(), *this, Writer);
    return 0;
}

int TQorGrid3DProp::ReadFromFile(TQorBinaryReader& Reader) {
    std::string marker;
    if (const int r = Reader.ReadMarker(marker); r != 0)
        return r;
    if (marker != GridMarker)
        return -3;
    const TQorUpdateScope scope(*this);
    QorReadBinary(Properties(), *this, Reader, TQorBinaryRead::IntoFields);
    Changed();
    return Reader.Incomplete() ? -4 : 0;
}
