// The chart's own properties, described once (key, kind, accessors, default, in the stored
// order), and the chart's three stored forms. Each form holds, in this order, the
// drawing-control part, the axes X, Y, Z, the grids major and minor and the chart's own
// properties, as one flat sequence.
#include "chart/Qor3DChart.h"

#include "QorPropList.h"
#include "QorUpdateBracket.h"

namespace {

constexpr const char* ChartMarker = "TQor3DChartV7";

// The owned parts in the order of the stored forms, with the names their text keys and storage
// idents begin with (const or not, as the chart is).
template <typename Chart, typename F> void ForEachPart(Chart& C, F&& Fn) {
    Fn("AxisX", C.AxisX());
    Fn("AxisY", C.AxisY());
    Fn("AxisZ", C.AxisZ());
    Fn("GridMajor", C.gridMajor());
    Fn("GridMinor", C.gridMinor());
}

} // namespace

const TQorPropList<TQor3DChart>& TQor3DChart::Properties() {
    using C = TQor3DChart;
    using P = TQorProps<C>;
    static const TQorPropList<C> list{
        P::Prop("Color1", &C::Color1, &C::SetColor1, P::Element(&C::FColors, 0), clFuchsia),
        P::Prop("Color2", &C::Color2, &C::SetColor2, P::Element(&C::FColors, 1), clBlue),
        P::Prop("Color3", &C::Color3, &C::SetColor3, P::Element(&C::FColors, 2), clAqua),
        P::Prop("Color4", &C::Color4, &C::SetColor4, P::Element(&C::FColors, 3), clGreen),
        P::Prop("Color5", &C::Color5, &C::SetColor5, P::Element(&C::FColors, 4), clYellow),
        P::Prop("Color6", &C::Color6, &C::SetColor6, P::Element(&C::FColors, 5), clRed),
        // Assign copies the picture itself before its name, which may load another.
        P::Copy("ColorBitmap", [](C& t, const C& s) { t.SetColorBitmap(s.ColorBitmap()); }),
        P::Prop("ColorBitmapName", &C::ColorBitmapName, &C::SetColorBitmapName,
                &C::FColorBitmapName, ""),
        P::Prop("ColorBitmapApply", &C::ColorBitmapApply, &C::SetColorBitmapApply,
                &C::FColorBitmapApply, false),
        P::Prop("ColorCount", &C::ColorCount, &C::SetColorCount, &C::FColorCount, 6),
        P::Prop("ColorLayers", &C::ColorLayers, &C::SetColorLayers, &C::FColorLayers, 0),
        // After the stops and the banding, so the copied table replaces their rebuild.
        P::Copy("Palette", [](C& t, const C& s) { t.SetPaletteTable(s.Palette()); }),
        // Stored as the character kept, copied as the one in effect.
        P::Prop("DecSep", &C::DecSep, &C::SetDecSep, &C::FDecSep, '.').WritingField(),
        P::Prop("DecSepLocal", &C::DecSepLocal, &C::SetDecSepLocal, &C::FDecSepLocal, true),
        P::Prop("Dim4Caption", &C::Dim4Caption, &C::SetDim4Caption, &C::FDim4Caption, ""),
        P::Prop("Dim4Direction", &C::Dim4Direction, &C::SetDim4Direction, &C::FDim4Direction, 1),
        P::Prop("Dim4FirstLayer", &C::Dim4FirstLayer, &C::SetDim4FirstLayer, &C::FDim4FirstLayer,
                1),
        P::Prop("Dim4NthLayer", &C::Dim4NthLayer, &C::SetDim4NthLayer, &C::FDim4NthLayer, 1),
        P::Prop("Dim4Height", &C::Dim4Height, &C::SetDim4Height, &C::FDim4Height, 0),
        P::Prop("Dim4CrossSection", &C::Dim4CrossSection, &C::SetDim4CrossSection,
                &C::FDim4CrossSection, 0),
        P::Prop("Dim4CrossSectionOffset", &C::Dim4CrossSectionOffset, &C::SetDim4CrossSectionOffset,
                &C::FDim4CrossSectionOffset, 0),
        P::Prop("HeightY", &C::HeightY, &C::SetHeightY, &C::FHeightY, 0.7),
        // Stored as the flags kept, copied as read back (which also asks the axes).
        P::Prop("KeepAspectXY", &C::KeepAspectXY, &C::SetKeepAspectXY, &C::FKeepAspectXY, false)
            .WritingField(),
        P::Prop("KeepAspectXZ", &C::KeepAspectXZ, &C::SetKeepAspectXZ, &C::FKeepAspectXZ, true)
            .WritingField(),
        P::Prop("Shiny", &C::Shiny, &C::SetShiny, &C::FShiny, true),
        P::Prop("Transparency", &C::Transparency, &C::SetTransparency, &C::FTransparency, 0),
        P::Prop("UseLowMemory", &C::UseLowMemory, &C::SetUseLowMemory, &C::FUseLowMemory, false),
        P::Prop("Wired", &C::Wired, &C::SetWired, &C::FWired, false),
    };
    return list;
}

// ---- Property text ----------------------------------------------------------------------------

void TQor3DChart::WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const {
    TQor3DDraw::WriteToText(Writer, Prefix);
    ForEachPart(*this, [&](const char* Name, const auto& Part) {
        Part.WriteToText(Writer, Prefix + Name + "_");
    });
    QorWriteText(Properties(), *this, Writer, Prefix);
}

void TQor3DChart::ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix) {
    const TQorUpdateScope scope(*this);
    TQor3DDraw::ReadFromText(Reader, Prefix);
    ForEachPart(*this, [&](const char* Name, auto& Part) {
        Part.ReadFromText(Reader, Prefix + Name + "_");
    });
    QorReadText(Properties(), *this, Reader, Prefix);
}

// ---- Storage ----------------------------------------------------------------------------------

bool TQor3DChart::SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const {
    TQorStorageBatch batch(Storage);
    bool ok = TQor3DDraw::SaveToStorage(Storage, Prefix);
    ForEachPart(*this, [&](const char* Name, const auto& Part) {
        ok = Part.SaveToStorage(Storage, Prefix + Name) && ok;
    });
    ok = QorSaveToStorage(Properties(), *this, Storage, Prefix) && ok;
    return batch.Close() && ok;
}

void TQor3DChart::LoadFromStorage(TQorStorage& Storage, const std::string& Prefix) {
    TQorStorageBatch batch(Storage);
    const TQorUpdateScope scope(*this);
    TQor3DDraw::LoadFromStorage(Storage, Prefix);
    ForEachPart(
        *this, [&](const char* Name, auto& Part) { Part.LoadFromStorage(Storage, Prefix + Name); });
    QorLoadFromStorage(Properties(), *this, Storage, Prefix);
}

// ---- Binary record ----------------------------------------------------------------------------

int TQor3DChart::WriteToFile(TQorBinaryWriter& Writer) const {
    Writer.WriteString(ChartMarker);
    int result = TQor3DDraw::WriteToFile(Writer);
    ForEachPart(*this, [&](const char*, const auto& Part) {
        if (result == 0)
            result = Part.WriteToFile(Writer);
    });
    if (result != 0)
        return result;
    QorWriteBinary(Properties(), *this, Writer);
    return 0;
}

int TQor3DChart::ReadFromFile(TQorBinaryReader& Reader) {
    std::string marker;
    if (const int r = Reader.ReadMarker(marker); r != 0)
        return r;
    if (marker != ChartMarker)
        return -3;
    const TQorUpdateScope scope(*this);
    int result = TQor3DDraw::ReadFromFile(Reader);
    ForEachPart(*this, [&](const char*, auto& Part) {
        if (result == 0)
            result = Part.ReadFromFile(Reader);
    });
    if (result != 0)
        return result;
    // The record is stored as it stands: no setters, no limits, no picture loading.
    QorReadBinary(Properties(), *this, Reader, TQorBinaryRead::IntoFields);
    // The palette follows the stops that were just stored.
    FPaletteRebuildPending = true;
    Changed();
    return Reader.Incomplete() ? -1 : 0;
}
