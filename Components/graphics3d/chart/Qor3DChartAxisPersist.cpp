// Axis and grid properties in the three stored forms: property text, storage values and
// binary records.
#include "chart/Qor3DChartAxis.h"

#include "QorPropBinary.h"
#include "QorPropText.h"
#include "QorStrg.h"

#include <array>

namespace {

constexpr const char* AxisMarker = "TQorChartAxis3DV7";
constexpr const char* GridMarker = "TQorGrid3DPropV7";

template <typename T> class TUpdate {
public:
    explicit TUpdate(T& Object) : FObject(Object) { FObject.BeginUpdate(); }
    TUpdate(const TUpdate&) = delete;
    TUpdate& operator=(const TUpdate&) = delete;
    ~TUpdate() { FObject.EndUpdate(); }

private:
    T& FObject;
};

// An ordinal read from a record replaces the field only when it names a value of the
// enumeration, so a damaged record cannot put an invalid position into the painter.
template <typename E> void ReadOrdinal(TQorBinaryReader& Reader, E& Field, int Last) {
    uint8_t b = 0;
    if (Reader.ReadByte(b) && b <= Last)
        Field = E(b);
}

struct TGridFlag {
    const char* Name;
    bool (TQorGrid3DProp::*Get)() const;
    void (TQorGrid3DProp::*Set)(bool);
};

constexpr std::array<TGridFlag, 12> GridFlags{{
    {"GridXYmax", &TQorGrid3DProp::GridXYmax, &TQorGrid3DProp::SetGridXYmax},
    {"GridXZmax", &TQorGrid3DProp::GridXZmax, &TQorGrid3DProp::SetGridXZmax},
    {"GridYXmax", &TQorGrid3DProp::GridYXmax, &TQorGrid3DProp::SetGridYXmax},
    {"GridYZmax", &TQorGrid3DProp::GridYZmax, &TQorGrid3DProp::SetGridYZmax},
    {"GridZXmax", &TQorGrid3DProp::GridZXmax, &TQorGrid3DProp::SetGridZXmax},
    {"GridZYmax", &TQorGrid3DProp::GridZYmax, &TQorGrid3DProp::SetGridZYmax},
    {"GridXYmin", &TQorGrid3DProp::GridXYmin, &TQorGrid3DProp::SetGridXYmin},
    {"GridXZmin", &TQorGrid3DProp::GridXZmin, &TQorGrid3DProp::SetGridXZmin},
    {"GridYXmin", &TQorGrid3DProp::GridYXmin, &TQorGrid3DProp::SetGridYXmin},
    {"GridYZmin", &TQorGrid3DProp::GridYZmin, &TQorGrid3DProp::SetGridYZmin},
    {"GridZXmin", &TQorGrid3DProp::GridZXmin, &TQorGrid3DProp::SetGridZXmin},
    {"GridZYmin", &TQorGrid3DProp::GridZYmin, &TQorGrid3DProp::SetGridZYmin},
}};

} // namespace

// ---- Axis: property text ----------------------------------------------------------------------

void TQorChartAxis3D::WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const {
    const std::string& p = Prefix;
    Writer.WriteString(p + "FileVerAxis3D", AxisMarker);
    Writer.WriteBool(p + "AutoMax", AutoMax());
    Writer.WriteBool(p + "AutoMin", AutoMin());
    Writer.WriteBool(p + "AutoSubSteps", AutoSubSteps());
    Writer.WriteInt(p + "AxisColor", AxisColor());
    Writer.WriteInt(p + "Axis1Position", Axis1Position());
    Writer.WriteInt(p + "Axis2Position", Axis2Position());
    Writer.WriteInt(p + "AxisWidth", AxisWidth());
    Writer.WriteString(p + "Caption", Caption());
    Writer.WriteFont(p + "CaptionFont", CaptionFont());
    Writer.WriteInt(p + "DecPlaces", DecPlaces());
    Writer.WriteInt(p + "DecPlacesEndPlus", DecPlacesEndPlus());
    Writer.WriteBool(p + "DecPlacesEqual", DecPlacesEqual());
    Writer.WriteInt(p + "DecPlacesMax", DecPlacesMax());
    Writer.WriteBool(p + "FlipText", FlipText());
    Writer.WriteFont(p + "Font", Font());
    Writer.WriteBool(p + "Logarithmic", Logarithmic());
    Writer.WriteDouble(p + "Maximum", Maximum());
    Writer.WriteDouble(p + "Minimum", Minimum());
    Writer.WriteInt(p + "NumSubSteps", NumSubSteps());
    Writer.WriteDouble(p + "RotText", RotText());
    Writer.WriteDouble(p + "RotTextT", RotTextT());
    Writer.WriteInt(p + "StepColor", StepColor());
    Writer.WriteInt(p + "StepWidth", StepWidth());
    Writer.WriteInt(p + "TextBackColor", TextBackColor());
    Writer.WriteInt(p + "TextJustify", TextJustify());
    Writer.WriteBool(p + "Visible", Visible());
    Writer.WriteBool(p + "VisibleCaption", VisibleCaption());
    Writer.WriteBool(p + "VisibleMin", VisibleMin());
    Writer.WriteBool(p + "VisibleMax", VisibleMax());
    Writer.WriteBool(p + "VisibleStep", VisibleStep());
    Writer.WriteBool(p + "VisibleStepText", VisibleStepText());
}

void TQorChartAxis3D::ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix) {
    const std::string& p = Prefix;
    TUpdate update(*this);
    const bool current = Reader.ReadString(p + "FileVerAxis3D", "") == AxisMarker;
    // Older blocks named four properties differently; the current name wins when both exist.
    const auto readBool = [&](const char* OldName, const char* Name, bool Value) {
        if (!current)
            Value = Reader.ReadBool(p + OldName, Value);
        return Reader.ReadBool(p + Name, Value);
    };
    const auto readPosition = [&](const char* Name, TQorAxisPosition Value) {
        const int v = Reader.ReadInt(p + Name, Value);
        return v >= apZero && v <= apMaximum ? TQorAxisPosition(v) : Value;
    };
    SetAutoMax(Reader.ReadBool(p + "AutoMax", AutoMax()));
    SetAutoMin(Reader.ReadBool(p + "AutoMin", AutoMin()));
    SetAutoSubSteps(Reader.ReadBool(p + "AutoSubSteps", AutoSubSteps()));
    SetAxisColor(Reader.ReadInt(p + "AxisColor", AxisColor()));
    SetAxis1Position(readPosition("Axis1Position", Axis1Position()));
    SetAxis2Position(readPosition("Axis2Position", Axis2Position()));
    SetAxisWidth(Reader.ReadInt(p + "AxisWidth", AxisWidth()));
    SetCaption(Reader.ReadString(p + "Caption", Caption()));
    TFont captionFont(CaptionFont());
    Reader.ReadFont(p + "CaptionFont", captionFont);
    SetCaptionFont(captionFont);
    SetDecPlaces(Reader.ReadInt(p + "DecPlaces", DecPlaces()));
    SetDecPlacesEndPlus(Reader.ReadInt(p + "DecPlacesEndPlus", DecPlacesEndPlus()));
    SetDecPlacesEqual(Reader.ReadBool(p + "DecPlacesEqual", DecPlacesEqual()));
    SetDecPlacesMax(Reader.ReadInt(p + "DecPlacesMax", DecPlacesMax()));
    SetFlipText(Reader.ReadBool(p + "FlipText", FlipText()));
    TFont font(Font());
    Reader.ReadFont(p + "Font", font);
    SetFont(font);
    SetLogarithmic(readBool("Logaritmic", "Logarithmic", Logarithmic()));
    SetMaximum(Reader.ReadDouble(p + "Maximum", Maximum()));
    SetMinimum(Reader.ReadDouble(p + "Minimum", Minimum()));
    SetNumSubSteps(Reader.ReadInt(p + "NumSubSteps", NumSubSteps()));
    SetRotText(Reader.ReadDouble(p + "RotText", RotText()));
    SetRotTextT(Reader.ReadDouble(p + "RotTextT", RotTextT()));
    SetStepColor(Reader.ReadInt(p + "StepColor", StepColor()));
    SetStepWidth(Reader.ReadInt(p + "StepWidth", StepWidth()));
    SetTextBackColor(Reader.ReadInt(p + "TextBackColor", TextBackColor()));
    const int justify = Reader.ReadInt(p + "TextJustify", TextJustify());
    if (justify == taLeftJustify || justify == taRightJustify)
        SetTextJustify(TLeftRight(justify));
    SetVisible(Reader.ReadBool(p + "Visible", Visible()));
    SetVisibleCaption(readBool("VisibleText", "VisibleCaption", VisibleCaption()));
    SetVisibleMin(readBool("WriteFirst", "VisibleMin", VisibleMin()));
    SetVisibleMax(readBool("WriteLast", "VisibleMax", VisibleMax()));
    SetVisibleStep(Reader.ReadBool(p + "VisibleStep", VisibleStep()));
    SetVisibleStepText(Reader.ReadBool(p + "VisibleStepText", VisibleStepText()));
}

// ---- Axis: storage ----------------------------------------------------------------------------

bool TQorChartAxis3D::SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const {
    const std::string& p = Prefix;
    TQorStorageBatch batch(Storage);
    bool ok = Storage.WriteString(p + "FileVerAxis3D", AxisMarker);
    const auto b = [&](const char* Name, bool v) {
        ok = Storage.WriteBool(p + Name, v) && ok;
    };
    const auto i = [&](const char* Name, int v) {
        ok = Storage.WriteInteger(p + Name, v) && ok;
    };
    const auto d = [&](const char* Name, double v) {
        ok = Storage.WriteFloat(p + Name, v) && ok;
    };
    b("AutoMax", AutoMax());
    b("AutoMin", AutoMin());
    b("AutoSubSteps", AutoSubSteps());
    i("AxisColor", AxisColor());
    i("Axis1Position", Axis1Position());
    i("Axis2Position", Axis2Position());
    i("AxisWidth", AxisWidth());
    ok = Storage.WriteString(p + "Caption", Caption()) && ok;
    ok = Storage.WriteFont(p + "CaptionFont", CaptionFont()) && ok;
    i("DecPlaces", DecPlaces());
    i("DecPlacesEndPlus", DecPlacesEndPlus());
    b("DecPlacesEqual", DecPlacesEqual());
    i("DecPlacesMax", DecPlacesMax());
    b("FlipText", FlipText());
    ok = Storage.WriteFont(p + "Font", Font()) && ok;
    b("Logarithmic", Logarithmic());
    d("Maximum", Maximum());
    d("Minimum", Minimum());
    i("NumSubSteps", NumSubSteps());
    d("RotText", RotText());
    d("RotTextT", RotTextT());
    i("StepColor", StepColor());
    i("StepWidth", StepWidth());
    i("TextBackColor", TextBackColor());
    i("TextJustify", TextJustify());
    b("Visible", Visible());
    b("VisibleCaption", VisibleCaption());
    b("VisibleMin", VisibleMin());
    b("VisibleMax", VisibleMax());
    b("VisibleStep", VisibleStep());
    b("VisibleStepText", VisibleStepText());
    return batch.Close() && ok;
}

void TQorChartAxis3D::LoadFromStorage(TQorStorage& Storage, const std::string& Prefix) {
    const std::string& p = Prefix;
    TQorStorageBatch batch(Storage);
    TUpdate update(*this);
    const auto b = [&](const char* Name, bool v) {
        return Storage.ReadBool(p + Name, v);
    };
    const auto i = [&](const char* Name, int v) {
        return Storage.ReadInteger(p + Name, v);
    };
    const auto d = [&](const char* Name, double v) {
        return Storage.ReadFloat(p + Name, v);
    };
    SetAutoMax(b("AutoMax", AutoMax()));
    SetAutoMin(b("AutoMin", AutoMin()));
    SetAutoSubSteps(b("AutoSubSteps", AutoSubSteps()));
    SetAxisColor(i("AxisColor", AxisColor()));
    if (const int v = i("Axis1Position", Axis1Position()); v >= apZero && v <= apMaximum)
        SetAxis1Position(TQorAxisPosition(v));
    if (const int v = i("Axis2Position", Axis2Position()); v >= apZero && v <= apMaximum)
        SetAxis2Position(TQorAxisPosition(v));
    SetAxisWidth(i("AxisWidth", AxisWidth()));
    SetCaption(Storage.ReadString(p + "Caption", Caption()));
    TFont captionFont(CaptionFont());
    Storage.ReadFont(p + "CaptionFont", captionFont);
    SetCaptionFont(captionFont);
    SetDecPlaces(i("DecPlaces", DecPlaces()));
    SetDecPlacesEndPlus(i("DecPlacesEndPlus", DecPlacesEndPlus()));
    SetDecPlacesEqual(b("DecPlacesEqual", DecPlacesEqual()));
    SetDecPlacesMax(i("DecPlacesMax", DecPlacesMax()));
    SetFlipText(b("FlipText", FlipText()));
    TFont font(Font());
    Storage.ReadFont(p + "Font", font);
    SetFont(font);
    SetLogarithmic(b("Logarithmic", Logarithmic()));
    SetMaximum(d("Maximum", Maximum()));
    SetMinimum(d("Minimum", Minimum()));
    SetNumSubSteps(i("NumSubSteps", NumSubSteps()));
    SetRotText(d("RotText", RotText()));
    SetRotTextT(d("RotTextT", RotTextT()));
    SetStepColor(i("StepColor", StepColor()));
    SetStepWidth(i("StepWidth", StepWidth()));
    SetTextBackColor(i("TextBackColor", TextBackColor()));
    if (const int v = i("TextJustify", TextJustify()); v == taLeftJustify || v == taRightJustify)
        SetTextJustify(TLeftRight(v));
    SetVisible(b("Visible", Visible()));
    SetVisibleCaption(b("VisibleCaption", VisibleCaption()));
    SetVisibleMin(b("VisibleMin", VisibleMin()));
    SetVisibleMax(b("VisibleMax", VisibleMax()));
    SetVisibleStep(b("VisibleStep", VisibleStep()));
    SetVisibleStepText(b("VisibleStepText", VisibleStepText()));
}

// ---- Axis: binary record ----------------------------------------------------------------------

int TQorChartAxis3D::WriteToFile(TQorBinaryWriter& Writer) const {
    Writer.WriteString(AxisMarker);
    Writer.WriteBool(AutoMax());
    Writer.WriteBool(AutoMin());
    Writer.WriteBool(AutoSubSteps());
    Writer.WriteInt(AxisColor());
    Writer.WriteByte(Axis1Position());
    Writer.WriteByte(Axis2Position());
    Writer.WriteInt(AxisWidth());
    Writer.WriteString(Caption());
    Writer.WriteFont(CaptionFont());
    Writer.WriteInt(DecPlaces());
    Writer.WriteInt(DecPlacesEndPlus());
    Writer.WriteBool(DecPlacesEqual());
    Writer.WriteInt(DecPlacesMax());
    Writer.WriteBool(FlipText());
    Writer.WriteFont(Font());
    Writer.WriteBool(Logarithmic());
    Writer.WriteDouble(Maximum());
    Writer.WriteDouble(Minimum());
    Writer.WriteInt(NumSubSteps());
    Writer.WriteDouble(RotText());
    Writer.WriteDouble(RotTextT());
    Writer.WriteInt(StepColor());
    Writer.WriteInt(StepWidth());
    Writer.WriteInt(TextBackColor());
    Writer.WriteByte(TextJustify());
    Writer.WriteBool(Visible());
    Writer.WriteBool(VisibleCaption());
    Writer.WriteBool(VisibleMin());
    Writer.WriteBool(VisibleMax());
    Writer.WriteBool(VisibleStep());
    Writer.WriteBool(VisibleStepText());
    return 0;
}

int TQorChartAxis3D::ReadFromFile(TQorBinaryReader& Reader) {
    std::string marker;
    if (const int r = Reader.ReadMarker(marker); r != 0)
        return r;
    if (marker != AxisMarker && marker != "DuvIzerorIzadi")
        return -3;
    TUpdate update(*this);
    const bool wasLogarithmic = FLogarithmic;
    Reader.ReadBool(FAutoMax);
    Reader.ReadBool(FAutoMin);
    Reader.ReadBool(FAutoSubSteps);
    Reader.ReadInt(FAxisColor);
    ReadOrdinal(Reader, FAxis1Position, apMaximum);
    ReadOrdinal(Reader, FAxis2Position, apMaximum);
    Reader.ReadInt(FAxisWidth);
    Reader.ReadString(FCaption);
    Reader.ReadFont(FCaptionFont);
    Reader.ReadInt(FDecPlaces);
    Reader.ReadInt(FDecPlacesEndPlus);
    Reader.ReadBool(FDecPlacesEqual);
    Reader.ReadInt(FDecPlacesMax);
    Reader.ReadBool(FFlipText);
    Reader.ReadFont(FFont);
    Reader.ReadBool(FLogarithmic);
    Reader.ReadDouble(FMaximum);
    Reader.ReadDouble(FMinimum);
    Reader.ReadInt(FNumSubSteps);
    Reader.ReadDouble(FRotText);
    Reader.ReadDouble(FRotTextT);
    Reader.ReadInt(FStepColor);
    Reader.ReadInt(FStepWidth);
    Reader.ReadInt(FTextBackColor);
    ReadOrdinal(Reader, FTextJustify, taRightJustify);
    Reader.ReadBool(FVisible);
    Reader.ReadBool(FVisibleCaption);
    Reader.ReadBool(FVisibleMin);
    Reader.ReadBool(FVisibleMax);
    Reader.ReadBool(FVisibleStep);
    Reader.ReadBool(FVisibleStepText);
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

void TQorGrid3DProp::WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const {
    Writer.WriteInt(Prefix + "GridColor", GridColor());
    Writer.WriteInt(Prefix + "GridStyle", GridStyle());
    Writer.WriteInt(Prefix + "GridWidth", GridWidth());
    for (const TGridFlag& f : GridFlags)
        Writer.WriteBool(Prefix + f.Name, (this->*f.Get)());
}

void TQorGrid3DProp::ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix) {
    TUpdate update(*this);
    SetGridColor(Reader.ReadInt(Prefix + "GridColor", GridColor()));
    SetGridStyle(uint16_t(Reader.ReadInt(Prefix + "GridStyle", GridStyle())));
    SetGridWidth(Reader.ReadInt(Prefix + "GridWidth", GridWidth()));
    for (const TGridFlag& f : GridFlags)
        (this->*f.Set)(Reader.ReadBool(Prefix + f.Name, (this->*f.Get)()));
}

bool TQorGrid3DProp::SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const {
    TQorStorageBatch batch(Storage);
    bool ok = Storage.WriteInteger(Prefix + "GridColor", GridColor());
    ok = Storage.WriteInteger(Prefix + "GridStyle", GridStyle()) && ok;
    ok = Storage.WriteInteger(Prefix + "GridWidth", GridWidth()) && ok;
    for (const TGridFlag& f : GridFlags)
        ok = Storage.WriteBool(Prefix + f.Name, (this->*f.Get)()) && ok;
    return batch.Close() && ok;
}

void TQorGrid3DProp::LoadFromStorage(TQorStorage& Storage, const std::string& Prefix) {
    TQorStorageBatch batch(Storage);
    TUpdate update(*this);
    SetGridColor(Storage.ReadInteger(Prefix + "GridColor", GridColor()));
    SetGridStyle(uint16_t(Storage.ReadInteger(Prefix + "GridStyle", GridStyle())));
    SetGridWidth(Storage.ReadInteger(Prefix + "GridWidth", GridWidth()));
    for (const TGridFlag& f : GridFlags)
        (this->*f.Set)(Storage.ReadBool(Prefix + f.Name, (this->*f.Get)()));
}

int TQorGrid3DProp::WriteToFile(TQorBinaryWriter& Writer) const {
    Writer.WriteString(GridMarker);
    Writer.WriteInt(GridColor());
    Writer.WriteWord(GridStyle());
    Writer.WriteInt(GridWidth());
    for (const TGridFlag& f : GridFlags)
        Writer.WriteBool((this->*f.Get)());
    return 0;
}

int TQorGrid3DProp::ReadFromFile(TQorBinaryReader& Reader) {
    std::string marker;
    if (const int r = Reader.ReadMarker(marker); r != 0)
        return r;
    if (marker != GridMarker)
        return -3;
    TUpdate update(*this);
    Reader.ReadInt(FGridColor);
    Reader.ReadWord(FGridStyle);
    Reader.ReadInt(FGridWidth);
    for (bool* flag :
         {&FGridXYmax, &FGridXZmax, &FGridYXmax, &FGridYZmax, &FGridZXmax, &FGridZYmax, &FGridXYmin,
          &FGridXZmin, &FGridYXmin, &FGridYZmin, &FGridZXmin, &FGridZYmin})
        Reader.ReadBool(*flag);
    Changed();
    return Reader.Incomplete() ? -4 : 0;
}
