// The chart's properties in the three stored forms. Each form holds, in this order, the
// drawing-control part, the axes X, Y, Z, the grids major and minor and the chart's own
// properties, as one flat sequence.
#include "chart/Qor3DChart.h"

#include "QorPropBinary.h"
#include "QorPropText.h"
#include "QorStrg.h"

namespace {

constexpr const char* ChartMarker = "TQor3DChartV7";

class TChartUpdate {
public:
    explicit TChartUpdate(TQor3DChart& Chart) : FChart(Chart) { FChart.BeginUpdate(); }
    TChartUpdate(const TChartUpdate&) = delete;
    TChartUpdate& operator=(const TChartUpdate&) = delete;
    ~TChartUpdate() { FChart.EndUpdate(); }

private:
    TQor3DChart& FChart;
};

} // namespace

// ---- Property text ----------------------------------------------------------------------------

void TQor3DChart::WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const {
    const std::string& p = Prefix;
    TQor3DDraw::WriteToText(Writer, p);
    AxisX().WriteToText(Writer, p + "AxisX_");
    AxisY().WriteToText(Writer, p + "AxisY_");
    AxisZ().WriteToText(Writer, p + "AxisZ_");
    gridMajor().WriteToText(Writer, p + "GridMajor_");
    gridMinor().WriteToText(Writer, p + "GridMinor_");
    for (int i = 1; i <= QorColorStopCount; ++i)
        Writer.WriteInt(p + "Color" + std::to_string(i), Color(i));
    Writer.WriteString(p + "ColorBitmapName", ColorBitmapName());
    Writer.WriteBool(p + "ColorBitmapApply", ColorBitmapApply());
    Writer.WriteInt(p + "ColorCount", ColorCount());
    Writer.WriteInt(p + "ColorLayers", ColorLayers());
    Writer.WriteChar(p + "DecSep", FDecSep);
    Writer.WriteBool(p + "DecSepLocal", DecSepLocal());
    Writer.WriteString(p + "Dim4Caption", Dim4Caption());
    Writer.WriteInt(p + "Dim4Direction", Dim4Direction());
    Writer.WriteInt(p + "Dim4FirstLayer", Dim4FirstLayer());
    Writer.WriteInt(p + "Dim4NthLayer", Dim4NthLayer());
    Writer.WriteDouble(p + "Dim4Height", Dim4Height());
    Writer.WriteInt(p + "Dim4CrossSection", Dim4CrossSection());
    Writer.WriteDouble(p + "Dim4CrossSectionOffset", Dim4CrossSectionOffset());
    Writer.WriteDouble(p + "HeightY", HeightY());
    Writer.WriteBool(p + "KeepAspectXY", FKeepAspectXY);
    Writer.WriteBool(p + "KeepAspectXZ", FKeepAspectXZ);
    Writer.WriteBool(p + "Shiny", Shiny());
    Writer.WriteInt(p + "Transparency", Transparency());
    Writer.WriteBool(p + "UseLowMemory", UseLowMemory());
    Writer.WriteBool(p + "Wired", Wired());
}

void TQor3DChart::ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix) {
    const std::string& p = Prefix;
    TChartUpdate update(*this);
    TQor3DDraw::ReadFromText(Reader, p);
    AxisX().ReadFromText(Reader, p + "AxisX_");
    AxisY().ReadFromText(Reader, p + "AxisY_");
    AxisZ().ReadFromText(Reader, p + "AxisZ_");
    gridMajor().ReadFromText(Reader, p + "GridMajor_");
    gridMinor().ReadFromText(Reader, p + "GridMinor_");
    for (int i = 1; i <= QorColorStopCount; ++i)
        SetColor(i, Reader.ReadInt(p + "Color" + std::to_string(i), Color(i)));
    SetColorBitmapName(Reader.ReadString(p + "ColorBitmapName", ColorBitmapName()));
    SetColorBitmapApply(Reader.ReadBool(p + "ColorBitmapApply", ColorBitmapApply()));
    SetColorCount(Reader.ReadInt(p + "ColorCount", ColorCount()));
    SetColorLayers(Reader.ReadInt(p + "ColorLayers", ColorLayers()));
    SetDecSep(Reader.ReadChar(p + "DecSep", FDecSep));
    SetDecSepLocal(Reader.ReadBool(p + "DecSepLocal", DecSepLocal()));
    SetDim4Caption(Reader.ReadString(p + "Dim4Caption", Dim4Caption()));
    SetDim4Direction(Reader.ReadInt(p + "Dim4Direction", Dim4Direction()));
    SetDim4FirstLayer(Reader.ReadInt(p + "Dim4FirstLayer", Dim4FirstLayer()));
    SetDim4NthLayer(Reader.ReadInt(p + "Dim4NthLayer", Dim4NthLayer()));
    SetDim4Height(Reader.ReadDouble(p + "Dim4Height", Dim4Height()));
    SetDim4CrossSection(Reader.ReadInt(p + "Dim4CrossSection", Dim4CrossSection()));
    SetDim4CrossSectionOffset(
        Reader.ReadDouble(p + "Dim4CrossSectionOffset", Dim4CrossSectionOffset()));
    SetHeightY(Reader.ReadDouble(p + "HeightY", HeightY()));
    SetKeepAspectXY(Reader.ReadBool(p + "KeepAspectXY", FKeepAspectXY));
    SetKeepAspectXZ(Reader.ReadBool(p + "KeepAspectXZ", FKeepAspectXZ));
    SetShiny(Reader.ReadBool(p + "Shiny", Shiny()));
    SetTransparency(Reader.ReadInt(p + "Transparency", Transparency()));
    SetUseLowMemory(Reader.ReadBool(p + "UseLowMemory", UseLowMemory()));
    SetWired(Reader.ReadBool(p + "Wired", Wired()));
}

// ---- Storage ----------------------------------------------------------------------------------

bool TQor3DChart::SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const {
    const std::string& p = Prefix;
    TQorStorageBatch batch(Storage);
    bool ok = TQor3DDraw::SaveToStorage(Storage, p);
    ok = AxisX().SaveToStorage(Storage, p + "AxisX") && ok;
    ok = AxisY().SaveToStorage(Storage, p + "AxisY") && ok;
    ok = AxisZ().SaveToStorage(Storage, p + "AxisZ") && ok;
    ok = gridMajor().SaveToStorage(Storage, p + "GridMajor") && ok;
    ok = gridMinor().SaveToStorage(Storage, p + "GridMinor") && ok;
    const auto b = [&](const char* Name, bool v) {
        ok = Storage.WriteBool(p + Name, v) && ok;
    };
    const auto i = [&](const std::string& Name, int v) {
        ok = Storage.WriteInteger(p + Name, v) && ok;
    };
    const auto d = [&](const char* Name, double v) {
        ok = Storage.WriteFloat(p + Name, v) && ok;
    };
    const auto s = [&](const char* Name, const std::string& v) {
        ok = Storage.WriteString(p + Name, v) && ok;
    };
    for (int c = 1; c <= QorColorStopCount; ++c)
        i("Color" + std::to_string(c), Color(c));
    s("ColorBitmapName", ColorBitmapName());
    b("ColorBitmapApply", ColorBitmapApply());
    i("ColorCount", ColorCount());
    i("ColorLayers", ColorLayers());
    ok = Storage.WriteChar(p + "DecSep", FDecSep) && ok;
    b("DecSepLocal", DecSepLocal());
    s("Dim4Caption", Dim4Caption());
    i("Dim4Direction", Dim4Direction());
    i("Dim4FirstLayer", Dim4FirstLayer());
    i("Dim4NthLayer", Dim4NthLayer());
    d("Dim4Height", Dim4Height());
    i("Dim4CrossSection", Dim4CrossSection());
    d("Dim4CrossSectionOffset", Dim4CrossSectionOffset());
    d("HeightY", HeightY());
    b("KeepAspectXY", FKeepAspectXY);
    b("KeepAspectXZ", FKeepAspectXZ);
    b("Shiny", Shiny());
    i("Transparency", Transparency());
    b("UseLowMemory", UseLowMemory());
    b("Wired", Wired());
    return batch.Close() && ok;
}

void TQor3DChart::LoadFromStorage(TQorStorage& Storage, const std::string& Prefix) {
    const std::string& p = Prefix;
    TQorStorageBatch batch(Storage);
    TChartUpdate update(*this);
    TQor3DDraw::LoadFromStorage(Storage, p);
    AxisX().LoadFromStorage(Storage, p + "AxisX");
    AxisY().LoadFromStorage(Storage, p + "AxisY");
    AxisZ().LoadFromStorage(Storage, p + "AxisZ");
    gridMajor().LoadFromStorage(Storage, p + "GridMajor");
    gridMinor().LoadFromStorage(Storage, p + "GridMinor");
    const auto b = [&](const char* Name, bool v) {
        return Storage.ReadBool(p + Name, v);
    };
    const auto i = [&](const std::string& Name, int v) {
        return Storage.ReadInteger(p + Name, v);
    };
    const auto d = [&](const char* Name, double v) {
        return Storage.ReadFloat(p + Name, v);
    };
    for (int c = 1; c <= QorColorStopCount; ++c)
        SetColor(c, i("Color" + std::to_string(c), Color(c)));
    SetColorBitmapName(Storage.ReadString(p + "ColorBitmapName", ColorBitmapName()));
    SetColorBitmapApply(b("ColorBitmapApply", ColorBitmapApply()));
    SetColorCount(i("ColorCount", ColorCount()));
    SetColorLayers(i("ColorLayers", ColorLayers()));
    SetDecSep(Storage.ReadChar(p + "DecSep", FDecSep));
    SetDecSepLocal(b("DecSepLocal", DecSepLocal()));
    SetDim4Caption(Storage.ReadString(p + "Dim4Caption", Dim4Caption()));
    SetDim4Direction(i("Dim4Direction", Dim4Direction()));
    SetDim4FirstLayer(i("Dim4FirstLayer", Dim4FirstLayer()));
    SetDim4NthLayer(i("Dim4NthLayer", Dim4NthLayer()));
    SetDim4Height(d("Dim4Height", Dim4Height()));
    SetDim4CrossSection(i("Dim4CrossSection", Dim4CrossSection()));
    SetDim4CrossSectionOffset(d("Dim4CrossSectionOffset", Dim4CrossSectionOffset()));
    SetHeightY(d("HeightY", HeightY()));
    SetKeepAspectXY(b("KeepAspectXY", FKeepAspectXY));
    SetKeepAspectXZ(b("KeepAspectXZ", FKeepAspectXZ));
    SetShiny(b("Shiny", Shiny()));
    SetTransparency(i("Transparency", Transparency()));
    SetUseLowMemory(b("UseLowMemory", UseLowMemory()));
    SetWired(b("Wired", Wired()));
}

// ---- Binary record ----------------------------------------------------------------------------

int TQor3DChart::WriteToFile(TQorBinaryWriter& Writer) const {
    Writer.WriteString(ChartMarker);
    for (const int r : {TQor3DDraw::WriteToFile(Writer), AxisX().WriteToFile(Writer),
                        AxisY().WriteToFile(Writer), AxisZ().WriteToFile(Writer),
                        gridMajor().WriteToFile(Writer), gridMinor().WriteToFile(Writer)})
        if (r != 0)
            return r;
    for (int i = 1; i <= QorColorStopCount; ++i)
        Writer.WriteInt(Color(i));
    Writer.WriteString(ColorBitmapName());
    Writer.WriteBool(ColorBitmapApply());
    Writer.WriteInt(ColorCount());
    Writer.WriteInt(ColorLayers());
    Writer.WriteByte(uint8_t(FDecSep));
    Writer.WriteBool(DecSepLocal());
    Writer.WriteString(Dim4Caption());
    Writer.WriteInt(Dim4Direction());
    Writer.WriteInt(Dim4FirstLayer());
    Writer.WriteInt(Dim4NthLayer());
    Writer.WriteDouble(Dim4Height());
    Writer.WriteInt(Dim4CrossSection());
    Writer.WriteDouble(Dim4CrossSectionOffset());
    Writer.WriteDouble(HeightY());
    Writer.WriteBool(FKeepAspectXY);
    Writer.WriteBool(FKeepAspectXZ);
    Writer.WriteBool(Shiny());
    Writer.WriteInt(Transparency());
    Writer.WriteBool(UseLowMemory());
    Writer.WriteBool(Wired());
    return 0;
}

int TQor3DChart::ReadFromFile(TQorBinaryReader& Reader) {
    std::string marker;
    if (const int r = Reader.ReadMarker(marker); r != 0)
        return r;
    if (marker != ChartMarker)
        return -3;
    TChartUpdate update(*this);
    const auto parts = {
        +[](TQor3DChart& c, TQorBinaryReader& r) { return c.TQor3DDraw::ReadFromFile(r); },
        +[](TQor3DChart& c, TQorBinaryReader& r) { return c.AxisX().ReadFromFile(r); },
        +[](TQor3DChart& c, TQorBinaryReader& r) { return c.AxisY().ReadFromFile(r); },
        +[](TQor3DChart& c, TQorBinaryReader& r) { return c.AxisZ().ReadFromFile(r); },
        +[](TQor3DChart& c, TQorBinaryReader& r) { return c.gridMajor().ReadFromFile(r); },
        +[](TQor3DChart& c, TQorBinaryReader& r) { return c.gridMinor().ReadFromFile(r); },
    };
    for (const auto& part : parts)
        if (const int r = part(*this, Reader); r != 0)
            return r;
    // The record is stored as it stands: no setters, no limits, no picture loading.
    for (TColor& c : FColors)
        Reader.ReadInt(c);
    Reader.ReadString(FColorBitmapName);
    Reader.ReadBool(FColorBitmapApply);
    Reader.ReadInt(FColorCount);
    Reader.ReadInt(FColorLayers);
    uint8_t decSep = uint8_t(FDecSep);
    if (Reader.ReadByte(decSep))
        FDecSep = char(decSep);
    Reader.ReadBool(FDecSepLocal);
    Reader.ReadString(FDim4Caption);
    Reader.ReadInt(FDim4Direction);
    Reader.ReadInt(FDim4FirstLayer);
    Reader.ReadInt(FDim4NthLayer);
    Reader.ReadDouble(FDim4Height);
    Reader.ReadInt(FDim4CrossSection);
    Reader.ReadDouble(FDim4CrossSectionOffset);
    Reader.ReadDouble(FHeightY);
    Reader.ReadBool(FKeepAspectXY);
    Reader.ReadBool(FKeepAspectXZ);
    Reader.ReadBool(FShiny);
    Reader.ReadInt(FTransparency);
    Reader.ReadBool(FUseLowMemory);
    Reader.ReadBool(FWired);
    // The palette follows the stops that were just stored.
    FPaletteRebuildPending = true;
    Changed();
    return Reader.Incomplete() ? -1 : 0;
}
