#include "chart/Qor3DChart.h"
#include "draw/Qor3DDraw.h"

#include "Qor3DPropertySamples.h"
#include "QorChangeCount.h"
#include "QorNumText.h"
#include "QorPropBinary.h"
#include "QorPropText.h"
#include "QorStrg.h"
#include "TestSupport.h"
#include "UQorLists.h"

#include <gtest/gtest.h>

namespace {

std::string ChartText(const TQor3DChart& chart, const std::string& prefix = "") {
    TQorPropTextWriter w;
    chart.WriteToText(w, prefix);
    return w.Text();
}

void ReadText(TQor3DChart& chart, const std::string& text, const std::string& prefix = "") {
    TQorPropTextReader r(text);
    chart.ReadFromText(r, prefix);
}

// Storage in the registry file of Dir, under Key and Section.
void UseRegistry(TQorStorage& Storage, const TempDir& Dir, const std::string& Key,
                 const std::string& Section) {
    Storage.SetRegistryFile(Dir.File("registry.json"));
    Storage.SetIniFileName(Key);
    Storage.SetIniSection(Section);
}

// A chart whose every stored group differs from the defaults.
void Restyle(TQor3DChart& c) {
    c.SetBackgroundColor(clNavy);
    c.SetPerspectiveON(false);
    c.SetViewRotX(-45.5);
    c.SetTranslZ(0.125);
    c.AxisX().SetAutoMax(false);
    c.AxisX().SetCaption("Time [s]");
    c.AxisX().SetMaximum(12.5);
    c.AxisY().SetAxis2Position(apZero);
    TFont f = c.AxisY().CaptionFont();
    f.SetName("Liberation Serif");
    f.SetStyle({fsItalic, fsStrikeOut});
    f.SetHeight(-40);
    c.AxisY().SetCaptionFont(f);
    c.AxisZ().SetRotTextT(-12.25);
    c.AxisZ().SetVisibleStepText(false);
    c.gridMajor().SetGridStyle(0x1234);
    c.gridMinor().SetGridZYmin(false);
    c.SetColor(3, clMaroon);
    c.SetColorCount(4);
    c.SetColorLayers(12);
    c.SetDecSep(',');
    c.SetDim4Caption("Temperature");
    c.SetDim4Direction(5);
    c.SetDim4Height(0.25);
    c.SetDim4CrossSectionOffset(-1.5e-7);
    c.SetHeightY(1.25);
    c.SetKeepAspectXZ(false);
    c.SetShiny(false);
    c.SetTransparency(3);
    c.SetUseLowMemory(true);
    c.SetWired(true);
}

// ---- Property text ----------------------------------------------------------------------------

TEST(ChartPropertyText, RoundTripKeepsEveryProperty) {
    TQor3DChart source;
    Restyle(source);
    const std::string text = ChartText(source, "P");
    TQor3DChart target;
    int changes = 0;
    target.OnChange = CountInto(changes);
    ReadText(target, text, "P");
    EXPECT_EQ(ChartText(target, "P"), text);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(target.AxisY().CaptionFont().Style().Contains(fsStrikeOut));
    // The drawing-control part comes first.
    EXPECT_LT(text.find("[PViewMoveZ]"), text.find("[PAxisX_FileVerAxis3D]"));
    EXPECT_DOUBLE_EQ(target.ViewRotX(), -45.5);
    EXPECT_DOUBLE_EQ(target.TranslZ(), 0.125);
    EXPECT_FALSE(target.PerspectiveON());
}

TEST(ChartPropertyText, LayoutOfTheBlock) {
    TQor3DChart chart;
    chart.AxisX().SetCaption("two\r\nlines");
    const std::string text = ChartText(chart);
    EXPECT_EQ(text.rfind("[FileVer]\r\nTQor3DDrawV7.2\r\n[BackgroundColor]\r\n16777215\r\n", 0),
              0u);
    for (const char* part : {"[AxisX_FileVerAxis3D]\r\nTQorChartAxis3DV7\r\n[AxisX_AutoMax]\r\n"
                             "TRUE\r\n",
                             "[AxisX_CaptionFontCharset]", "[AxisY_FontStylefsBold]",
                             "[GridMajor_GridStyle]\r\n57735\r\n", "[GridMinor_GridColor]",
                             "[AxisX_Caption]\r\ntwo  lines\r\n", "[Wired]\r\nFALSE\r\n"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_LT(text.find("[GridMinor_GridZYmin]"), text.find("[Color1]"));
}

TEST(ChartPropertyText, KeysAreFoundWithoutCaseInWrittenOrderOnly) {
    TQor3DChart chart;
    // AxisX_Caption comes after AxisX_Minimum in the written order, so it is found; the key
    // read next (AxisX_Minimum) lies before the position and is reported missing.
    ReadText(chart, "[axisx_automax]\r\nfalse\r\n[AXISX_CAPTION]\r\nLate\r\n"
                    "[AxisX_Minimum]\r\n-4\r\n[AxisX_Maximum]\r\n1,5\r\n");
    EXPECT_FALSE(chart.AxisX().AutoMax());
    EXPECT_EQ(chart.AxisX().Caption(), "Late");
    EXPECT_DOUBLE_EQ(chart.AxisX().Maximum(), 1.5) << "a comma reads as decimal separator";
    EXPECT_DOUBLE_EQ(chart.AxisX().Minimum(), 0) << "key out of order keeps its value";
}

TEST(ChartPropertyText, ValuesGoThroughTheSetters) {
    TQor3DChart chart;
    ReadText(chart, "[RotX]\r\n450\r\n[ColorCount]\r\n9\r\n[Transparency]\r\n11\r\n"
                    "[Dim4Height]\r\n-1\r\n[ColorLayers]\r\nabc\r\n");
    EXPECT_EQ(chart.ColorCount(), 6);
    EXPECT_EQ(chart.Transparency(), 10);
    EXPECT_EQ(chart.Dim4Height(), 0);
    EXPECT_EQ(chart.ColorLayers(), 0) << "a value that does not convert is ignored";
    TQor3DDraw draw;
    TQorPropTextReader r(std::string_view("[FileVer]\r\nx\r\n[RotX]\r\n450\r\n"));
    draw.ReadFromText(r, "");
    EXPECT_DOUBLE_EQ(draw.RotX(), 90);
}

TEST(ChartPropertyText, KeyAtTheVeryEndIsMissing) {
    TQor3DChart chart;
    ReadText(chart, "[Transparency]\r\n4\r\n[Wired]");
    EXPECT_EQ(chart.Transparency(), 4);
    EXPECT_FALSE(chart.Wired());
}

TEST(ChartPropertyText, OldAxisKeyNamesBeforeTheCurrentVersion) {
    TQor3DChart chart;
    ReadText(chart, "[AxisX_Logaritmic]\r\nTRUE\r\n[AxisX_VisibleText]\r\nFALSE\r\n"
                    "[AxisX_WriteFirst]\r\nFALSE\r\n[AxisX_WriteLast]\r\nFALSE\r\n"
                    "[AxisX_VisibleMax]\r\nTRUE\r\n");
    EXPECT_TRUE(chart.AxisX().Logarithmic());
    EXPECT_FALSE(chart.AxisX().VisibleCaption());
    EXPECT_FALSE(chart.AxisX().VisibleMin());
    EXPECT_TRUE(chart.AxisX().VisibleMax()) << "the current key wins";

    TQor3DChart current;
    ReadText(current, "[AxisX_FileVerAxis3D]\r\nTQorChartAxis3DV7\r\n"
                      "[AxisX_Logaritmic]\r\nTRUE\r\n");
    EXPECT_FALSE(current.AxisX().Logarithmic());
}

TEST(DrawPropertyText, BlocksWithoutVersionSwapTheTwoDistances) {
    const std::string block = "[TranslZ]\r\n1\r\n[ViewMoveZ]\r\n-7\r\n[TranslationZ]\r\n-9\r\n";
    TQor3DDraw old;
    TQorPropTextReader r1(block);
    old.ReadFromText(r1, "");
    EXPECT_DOUBLE_EQ(old.TranslZ(), -7);
    EXPECT_DOUBLE_EQ(old.ViewMoveZ(), -9);

    TQor3DDraw current;
    TQorPropTextReader r2("[FileVer]\r\nTQor3DDrawV7.2\r\n" + block);
    current.ReadFromText(r2, "");
    EXPECT_DOUBLE_EQ(current.TranslZ(), 1);
    EXPECT_DOUBLE_EQ(current.ViewMoveZ(), -7);
}

TEST(ChartPropertyText, StoredDecimalSeparatorIsWrittenWhateverTheLocale) {
    TScopedLocaleDecSeparator locale(';');
    TQor3DChart chart;
    chart.SetDecSep(',');
    ASSERT_TRUE(chart.DecSepLocal());
    EXPECT_EQ(chart.DecSep(), ';');
    EXPECT_NE(ChartText(chart).find("[DecSep]\r\n,\r\n"), std::string::npos);
}

// ---- Binary records ---------------------------------------------------------------------------

template <class T> std::string Bytes(const T& Object) {
    TQorBinaryWriter w;
    EXPECT_EQ(Object.WriteToFile(w), 0);
    return w.Bytes();
}

// A record's marker alone.
std::string Marker(const std::string& Text) {
    TQorBinaryWriter w;
    w.WriteString(Text);
    return w.Bytes();
}

TEST(ChartBinary, RoundTripStoresTheFieldsAsTheyStand) {
    TQor3DChart source;
    Restyle(source);
    const std::string bytes = Bytes(source);
    EXPECT_EQ(bytes.substr(4, 13), "TQor3DChartV7");
    TQor3DChart target;
    int changes = 0;
    target.OnChange = CountInto(changes);
    TQorBinaryReader r(bytes);
    EXPECT_EQ(target.ReadFromFile(r), 0);
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_EQ(Bytes(target), bytes);
    EXPECT_EQ(ChartText(target), ChartText(source));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(target.Palette(), source.Palette()) << "the palette follows the stored stops";
}

TEST(ChartBinary, UncheckedValuesAndNoSetterEffects) {
    TQor3DChart chart;
    std::string bytes = Bytes(chart);
    // ColorCount sits right after the colours, the picture name and its flag.
    TQorBinaryWriter tail;
    for (int i = 1; i <= 6; ++i)
        tail.WriteInt(chart.Color(i));
    tail.WriteString("");
    tail.WriteBool(false);
    const size_t at = bytes.find(tail.Bytes(), bytes.size() - 200);
    ASSERT_NE(at, std::string::npos);
    const int32_t nine = 9;
    bytes.replace(at + tail.Bytes().size(), 4, reinterpret_cast<const char*>(&nine), 4);
    TQorBinaryReader r(bytes);
    ASSERT_EQ(chart.ReadFromFile(r), 0);
    EXPECT_EQ(chart.ColorCount(), 9);
}

TEST(ChartBinary, ResultCodes) {
    TQor3DChart chart;
    const std::string good = Bytes(chart);
    const auto read = [](const std::string& bytes) {
        TQor3DChart c;
        TQorBinaryReader r(bytes);
        const int result = c.ReadFromFile(r);
        EXPECT_EQ(c.UpdateCount(), 0) << "the batch is closed in every case";
        return result;
    };
    EXPECT_EQ(read(Marker(std::string(500, 'T'))), -2);
    EXPECT_EQ(read(Marker("TQor3DChartV6")), -3);
    EXPECT_EQ(read(""), -3);
    EXPECT_EQ(read(good.substr(0, good.size() - 1)), -1) << "chart tail cut";
    EXPECT_EQ(read(good.substr(0, 17 + 4 + 14 + 10)), -1) << "drawing-control record cut";
    // The first axis record starts after the chart marker and the drawing-control record.
    const size_t axis = 4 + 13 + 4 + 14 + 4 + 1 + 1 + 19 * 8;
    EXPECT_EQ(good.substr(axis + 4, 17), "TQorChartAxis3DV7");
    EXPECT_EQ(read(good.substr(0, axis + 40)), -4) << "axis record cut";
    std::string badAxis = good;
    badAxis.replace(axis + 4, 17, "TQorChartAxis3DV6");
    EXPECT_EQ(read(badAxis), -3);
    // A huge string length inside a record is a read error, not an allocation.
    std::string hugeCaption = good;
    const int32_t huge = 0x7FFFFFF0;
    hugeCaption.replace(axis + 4 + 17 + 3 + 4 + 2 + 4, 4, reinterpret_cast<const char*>(&huge), 4);
    EXPECT_EQ(read(hugeCaption), -4);
}

TEST(DrawBinary, AcceptedOldMarkersAndTheTwoExtraBytes) {
    TQor3DDraw source;
    source.SetRotX(33);
    source.SetViewMoveZ(-6);
    const std::string record = Bytes(source).substr(4 + 14);
    for (const char* marker : {"TQor3DDrawV7.2", "TQor3DDrawV7", "DuvIzerorIzadi"}) {
        TQor3DDraw d;
        const std::string bytes = Marker(marker) + record + "next";
        TQorBinaryReader r(bytes);
        EXPECT_EQ(d.ReadFromFile(r), 0) << marker;
        EXPECT_DOUBLE_EQ(d.ViewMoveZ(), -6);
        EXPECT_EQ(r.Remaining(), 4u);
    }
    TQor3DDraw d;
    int changes = 0;
    d.OnChange = CountInto(changes);
    const std::string bytes = Marker("TQor3DDrawV7.1") + record + "xynext";
    TQorBinaryReader r(bytes);
    EXPECT_EQ(d.ReadFromFile(r), 0);
    EXPECT_EQ(r.Remaining(), 4u) << "two bytes after the doubles are skipped";
    EXPECT_DOUBLE_EQ(d.RotX(), 33);
    EXPECT_EQ(changes, 1);
}

// Records are stored as they stand: no setter limits, an invalid ordinal keeps the value held,
// a logarithmic switch is tracked; the old marker reads as the current one, but not for grids.
TEST(AxisBinary, RecordsAreStoredAsTheyStand) {
    TQorChartAxis3D source;
    source.SetRotText(720);
    source.SetNumSubSteps(-3);
    source.SetLogarithmic(true);
    std::string bytes = Bytes(source);
    bytes[4 + 17 + 3 + 4] = 7; // Axis1Position
    const std::string old = Marker("DuvIzerorIzadi");
    for (const std::string& record : {bytes, old + bytes.substr(4 + 17)}) {
        TQorChartAxis3D axis;
        axis.SetAxis1Position(apMaximum);
        TQorBinaryReader r(record);
        ASSERT_EQ(axis.ReadFromFile(r), 0);
        EXPECT_EQ(axis.NumSubSteps(), -3);
        EXPECT_EQ(axis.RotText(), source.RotText());
        EXPECT_EQ(axis.Axis1Position(), apMaximum);
        EXPECT_TRUE(axis.Logarithmic());
        EXPECT_TRUE(axis.LogChangePending());
        EXPECT_FALSE(axis.LogPrevious());
    }
    TQorGrid3DProp grid;
    TQorBinaryReader r(old);
    EXPECT_EQ(grid.ReadFromFile(r), -3) << "grids accept only their own marker";
}

// ---- Storage ----------------------------------------------------------------------------------

class ChartStorage : public ::testing::TestWithParam<bool> {
protected:
    TempDir dir;
    TQorStorage storage;
    void SetUp() override {
        storage.SetRegistryFile(dir.File("registry.json"));
        storage.SetUseRegistry(GetParam());
        storage.SetIniFileName(GetParam() ? "Software\\plotyra" : dir.File("plotyra.ini"));
        storage.SetIniSection("TFormMain");
    }
};

TEST_P(ChartStorage, RoundTripUnderTheComponentName) {
    TQor3DChart source;
    Restyle(source);
    ASSERT_TRUE(source.SaveToStorage(storage, "Qor3DChart"));
    EXPECT_EQ(storage.ReadString("Qor3DChartFileVer", ""), "TQor3DDrawV7.2");
    EXPECT_EQ(storage.ReadString("Qor3DChartAxisXFileVerAxis3D", ""), "TQorChartAxis3DV7");
    EXPECT_EQ(storage.ReadString("Qor3DChartAxisXAutoMax", ""), "0");
    EXPECT_EQ(storage.ReadString("Qor3DChartAxisYCaptionFont_Name", ""), "Liberation Serif");
    EXPECT_EQ(storage.ReadString("Qor3DChartGridMajorGridStyle", ""), "4660");
    EXPECT_EQ(storage.ReadString("Qor3DChartDecSep", ""), ",");

    TQor3DChart target;
    int changes = 0;
    target.OnChange = CountInto(changes);
    target.LoadFromStorage(storage, "Qor3DChart");
    EXPECT_EQ(ChartText(target), ChartText(source));
    EXPECT_EQ(changes, 1);
}

TEST_P(ChartStorage, MissingAndDamagedValuesKeepTheCurrentOnes) {
    TQor3DChart chart;
    chart.SetHeightY(2.5);
    ASSERT_TRUE(storage.WriteString("Qor3DChartHeightY", "not a number"));
    ASSERT_TRUE(storage.WriteString("Qor3DChartTransparency", "8"));
    chart.LoadFromStorage(storage, "Qor3DChart");
    EXPECT_DOUBLE_EQ(chart.HeightY(), 2.5);
    EXPECT_EQ(chart.Transparency(), 8);
    EXPECT_EQ(chart.AxisX().Caption(), "X");
}

INSTANTIATE_TEST_SUITE_P(Modes, ChartStorage, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Registry" : "Ini"; });

TEST(ChartStorageRegistry, KeysAreFoundWithoutCase) {
    TempDir dir;
    TQorStorage writer;
    UseRegistry(writer, dir, "Software\\Plotyra", "TFormMain");
    TQor3DChart source;
    source.SetTransparency(6);
    ASSERT_TRUE(source.SaveToStorage(writer, "Qor3DChart"));
    TQorStorage reader;
    UseRegistry(reader, dir, "SOFTWARE\\plotyra", "tformmain");
    TQor3DChart target;
    target.LoadFromStorage(reader, "QOR3DCHART");
    EXPECT_EQ(target.Transparency(), 6);
}

TEST(DrawNamedSets, SaveListLoadDeleteInTheRegistryOnly) {
    TempDir dir;
    TQorStorage storage;
    UseRegistry(storage, dir, "Software\\plotyra", "TForm3DChartProp");
    TQor3DDraw draw;
    draw.SetName("Qor3DChart");
    draw.SetViewScale(1.75);
    ASSERT_TRUE(draw.SaveNamedSet(storage, "Wide"));
    draw.SetViewScale(0.25);
    ASSERT_TRUE(draw.SaveNamedSet(storage, "Close"));
    EXPECT_EQ(storage.IniFileName(), "Software\\plotyra");

    TQorStringList list;
    draw.ListNamedSets(storage, &list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0), "Close");
    EXPECT_EQ(list.Items(1), "Wide");
    draw.ListNamedSets(storage, nullptr);

    TQorStorage direct;
    UseRegistry(direct, dir, "Software\\plotyra\\Qor3DChart\\Custom3D\\Wide", "TForm3DChartProp");
    EXPECT_EQ(direct.ReadString("Prop_ViewScale", ""), FloatToTextG(1.75));

    draw.LoadNamedSet(storage, "Wide");
    EXPECT_DOUBLE_EQ(draw.ViewScale(), 1.75);
    draw.DeleteNamedSet(storage, "Wide");
    draw.ListNamedSets(storage, &list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0), "Close");

    TQorStorage ini;
    ini.SetUseRegistry(false);
    ini.SetIniFileName(dir.File("sets.ini"));
    EXPECT_TRUE(draw.SaveNamedSet(ini, "Wide"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("sets.ini")));
    draw.ListNamedSets(ini, &list);
    EXPECT_EQ(list.Count(), 1) << "untouched without the registry";
}

TEST(DrawStorage, SaveUnderTheComponentName) {
    TempDir dir;
    TQorStorage storage;
    UseRegistry(storage, dir, "Software\\plotyra", "TFormMain");
    TQor3DDraw draw;
    draw.SetName("Qor3DChart");
    draw.SetLightsON(false);
    ASSERT_TRUE(draw.SaveToStorageByName(storage));
    EXPECT_EQ(storage.ReadString("Qor3DChartLightsON", ""), "0");
    TQor3DDraw other;
    other.SetName("Qor3DChart");
    other.LoadFromStorageByName(storage);
    EXPECT_FALSE(other.LightsON());
}

TEST(ChartNamedSets, TheChartsSetsHoldEveryPropertyUnderProp) {
    TempDir dir;
    TQorStorage storage;
    UseRegistry(storage, dir, "Software\\plotyra", "TForm3DChartProp");
    TQor3DChart chart;
    chart.SetName("Qor3DChart");
    chart.AxisX().SetCaption("Depth");
    ASSERT_TRUE(chart.SaveNamedSet(storage, "Mine"));
    ASSERT_TRUE(chart.SaveToStorageByName(storage));
    EXPECT_EQ(storage.ReadString("Qor3DChartAxisXCaption", ""), "Depth");

    TQorStorage set;
    UseRegistry(set, dir, "Software\\plotyra\\Qor3DChart\\Custom3D\\Mine", "TForm3DChartProp");
    EXPECT_EQ(set.ReadString("Prop_AxisXCaptionFont_Height", ""),
              std::to_string(chart.AxisX().CaptionFont().Height()));
    EXPECT_EQ(set.ReadString("Prop_FileVer", ""), "TQor3DDrawV7.2");

    TQor3DChart other;
    other.SetName("Qor3DChart");
    other.LoadNamedSet(storage, "Mine");
    EXPECT_EQ(other.AxisX().Caption(), "Depth");
}

// ---- Every property through every form --------------------------------------------------------

// Text, storage (an INI file in a temporary folder) and binary record, each written from the
// source and read into the target, then Assign.
template <class T> std::vector<TPropertyForm<T>> EveryForm() {
    return {
        {"property text",
         [](const T& s, T& t) {
             TQorPropTextWriter w;
             s.WriteToText(w, "P_");
             TQorPropTextReader r(w.Text());
             t.ReadFromText(r, "P_");
         }},
        {"storage",
         [](const T& s, T& t) {
             TTempIniStorage ini;
             ASSERT_TRUE(s.SaveToStorage(ini.Storage, "Q"));
             t.LoadFromStorage(ini.Storage, "Q");
         }},
        {"binary record",
         [](const T& s, T& t) {
             TQorBinaryWriter w;
             ASSERT_EQ(s.WriteToFile(w), 0);
             TQorBinaryReader r(w.Bytes());
             ASSERT_EQ(t.ReadFromFile(r), 0);
         }},
        {"Assign",
         [](const T& s, T& t) {
             t.Assign(s);
         }},
    };
}

// OwnValues reads the properties T's list stores (in its order), Values all T's forms hold.
template <class T>
void ExpectEveryPropertyStoredAndKept(void (*Restyle)(T&), TPropertyValues (*Values)(const T&),
                                      TPropertyValues (*OwnValues)(const T&)) {
    EXPECT_EQ(OwnValues(T()).Names(), StoredKeys(T::Properties()));
    ExpectEveryPropertyKept<T>(Restyle, Values, EveryForm<T>());
}

} // namespace

// The chart's forms hold its drawing-control part, the five owned objects and its own
// properties; every one of them comes back.
TEST(EveryProperty, DrawingControlAxisGridAndChart) {
    ExpectEveryPropertyStoredAndKept<TQor3DDraw>(RestyleDraw, DrawValues, DrawValues);
    ExpectEveryPropertyStoredAndKept<TQorChartAxis3D>(RestyleAxis, AxisValues, AxisValues);
    ExpectEveryPropertyStoredAndKept<TQorGrid3DProp>(RestyleGrid, GridValues, GridValues);
    ExpectEveryPropertyStoredAndKept<TQor3DChart>(RestyleChart, ChartValues, ChartOwnValues);
}
