// Values a careless or hostile user may hand the shared units through a property file, a
// binary record or the settings, and files the shared units read and write: each must end in a
// sane value or a message that names its cause, never a crash, undefined behaviour, a hang, a
// runaway allocation or a label that lies. (The chart-file classes are in
// tests/graphics3d/io/HostileInputTest.cpp.)
#include "QorColSc.h"
#include "QorFileOutput.h"
#include "QorNumText.h"
#include "QorPropBinary.h"
#include "QorPropText.h"
#include "QorScale.h"
#include "QorStrg.h"
#include "TCanvas.h"
#include "TestSupport.h"
#include "UQorTypes.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A blank font name gave a font of no family: recording its text into the legend's picture
// crashed every render.
TEST(HostileInput, BlankFontNamesDrawTheLegendInTheDefaultFamily) {
    for (const char* name : {"", "  "}) {
        SCOPED_TRACE(std::string("name '") + name + "'");
        TQorColorScale legend;
        legend.Font().SetName(name);
        legend.SetCaption("caption");
        EXPECT_EQ(legend.Font().ToQFont().family(), QFont().family());
        QPicture picture;
        {
            QPainter painter(&picture);
            TQPainterCanvas canvas(painter);
            legend.DrawScale(canvas, TRect{0, 0, 80, 300});
        }
        QImage image(80, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.drawPicture(0, 0, picture);
        }
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 96;
        EXPECT_GT(dark, 20) << "labels and caption were drawn";
    }
}

// From about 1e24 the zero tick read 201326592 and others 7999999999999999980000000; past 1e29
// the legend fell back to 0 ... 1. Every label of the float range reads back as its tick, in a
// short exponent form, and zero is 0.
TEST(HostileInput, LabelsOfHugeValuesAreRightUpToTheFloatRange) {
    const double floatMax = std::numeric_limits<float>::max();
    for (const double top : {1e24, 1e25, 3e30, 3e38}) {
        for (const double bottom : {-top, 0.0}) {
            SCOPED_TRACE(std::to_string(bottom) + " ... " + std::to_string(top));
            TQorScaleSettings s;
            s.Min = bottom;
            s.Max = top;
            s.Length = 600;
            s.LabelSize = 12;
            const TQorScaleTicks ticks = CalcAutoScale(s);
            ASSERT_GE(ticks.Values.size(), 3u);
            for (size_t i = 0; i < ticks.Values.size(); ++i) {
                const std::string& label = ticks.Labels[i];
                EXPECT_LE(label.size(), 21u) << label;
                EXPECT_NEAR(TextToFloatDef(label, std::nan("")), ticks.Values[i], top * 1e-14)
                    << label;
            }
            const auto zero = std::find(ticks.Values.begin(), ticks.Values.end(), 0.0);
            ASSERT_NE(zero, ticks.Values.end());
            EXPECT_EQ(ticks.Labels[size_t(zero - ticks.Values.begin())], "0");
        }
    }
    TQorColorScale legend;
    legend.SetMin(-1e35);
    legend.SetMax(floatMax);
    QImage image(80, 300, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        TQPainterCanvas canvas(painter);
        legend.DrawScale(canvas, TRect{0, 0, 80, 300});
    }
    EXPECT_EQ(legend.Min(), -1e35);
    EXPECT_EQ(legend.Max(), floatMax);
}

// A 50 MB caption cost a render 1.9 GB; one copied into the settings slowed every exit. The
// text, binary and storage forms keep 4,096 characters (never half of one) of a caption and of
// a font name.
TEST(HostileInput, CaptionsAndFontNamesAreCutWhereTheyAreRead) {
    const std::string huge = "\xC3\xA9" + std::string(3 * MaxPropertyTextChars, 'x');
    const std::string kept = "\xC3\xA9" + std::string(MaxPropertyTextChars - 1, 'x');
    TQorColorScale source;
    source.SetCaption(huge);
    source.Font().SetName(huge);
    auto check = [&](const TQorColorScale& Legend, const char* Form) {
        EXPECT_EQ(Legend.Caption(), kept) << Form;
        EXPECT_EQ(Legend.Font().Name(), kept) << Form;
    };

    TQorPropTextWriter writer;
    source.WriteToText(writer, "", csmFull);
    TQorPropTextReader reader(writer.Text());
    TQorColorScale text;
    text.ReadFromText(reader, "", csmFull);
    check(text, "text");

    TQorBinaryWriter record;
    source.WriteToFile(record, csmFull);
    TQorBinaryReader recordReader(record.Bytes());
    TQorColorScale binary;
    EXPECT_EQ(binary.ReadFromFile(recordReader, csmFull), 0);
    check(binary, "binary");

    for (const bool registry : {true, false}) {
        TempDir dir;
        TQorStorage store;
        store.SetUseRegistry(registry);
        store.SetRegistryFile(dir.File("registry.json"));
        store.SetIniFileName(registry ? "Software\\plotyra" : dir.File("plotyra.ini"));
        store.SetIniSection("TFormMain");
        ASSERT_TRUE(source.SaveToStorage(store, "Legend", csmFull));
        TQorColorScale stored;
        stored.LoadFromStorage(store, "Legend", csmFull);
        check(stored, registry ? "registry" : "INI");
    }
}

// "FontSize -2147483648" negated INT_MIN, and a height of INT_MIN changed at every save and
// load. Sizes and heights are clamped with their sign kept, and then stay as they are.
TEST(HostileInput, FontSizesAndHeightsAreClampedAndStable) {
    const struct {
        const char* Member;
        int Value;
        int Height;
    } cases[] = {{"Size", INT_MIN, TFont::MaxHeight},     {"Size", INT_MAX, -TFont::MaxHeight},
                 {"Height", INT_MIN, -TFont::MaxHeight},  {"Height", INT_MAX, TFont::MaxHeight},
                 {"Size", -2147483647, TFont::MaxHeight}, {"Height", -20, -20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Member) + " " + std::to_string(c.Value));
        TQorPropTextReader reader("[Font" + std::string(c.Member) + "]\r\n" +
                                  std::to_string(c.Value) + "\r\n");
        TFont font;
        reader.ReadFont("Font", font);
        EXPECT_EQ(font.Height(), c.Height);
        EXPECT_LE(std::abs(font.Size()), TFont::MaxSize);

        TQorPropTextWriter writer;
        writer.WriteFont("Font", font);
        TQorPropTextReader again(writer.Text());
        TFont text;
        again.ReadFont("Font", text);
        EXPECT_TRUE(text.SameAs(font)) << text.Height();

        TQorBinaryWriter record;
        record.WriteFont(font);
        TQorBinaryReader recordReader(record.Bytes());
        TFont binary;
        ASSERT_TRUE(recordReader.ReadFont(binary));
        EXPECT_TRUE(binary.SameAs(font)) << binary.Height();
    }
}

} // namespace

namespace {

// The settings file in Dir that a store in registry mode uses, and the messages it said.
struct TSettingsProbe {
    explicit TSettingsProbe(const TempDir& Dir) : File(Dir.File("registry.json")) {
        TQorStorage::SetProblemHandler([this](const std::string& m) { Messages.push_back(m); });
    }
    ~TSettingsProbe() { TQorStorage::SetProblemHandler(nullptr); }
    TSettingsProbe(const TSettingsProbe&) = delete;
    TSettingsProbe& operator=(const TSettingsProbe&) = delete;
    void Point(TQorStorage& Store) const {
        Store.SetRegistryFile(File);
        Store.SetIniFileName("Software\\plotyra");
        Store.SetIniSection("TFormMain");
    }
    std::string File;
    std::vector<std::string> Messages;
};

std::string Nested(int Depth) {
    std::string text = "{\"format\":\"Plotyra registry 1\",\"root\":";
    for (int i = 0; i < Depth; ++i)
        text += "{\"keys\":{\"k\":";
    text += "{}";
    for (int i = 0; i < Depth; ++i)
        text += "}}";
    return text + "}";
}

} // namespace

// Garbage, a cut-off file, one too large or too deep, a link to /dev/zero and a FIFO were read
// as defaults without a word and overwritten at exit (the link grew memory without bound, the
// FIFO hung the start). Each is now said once, kept as registry.json.bad, and the defaults
// then save normally.
TEST(HostileInput, UnreadableSettingsAreSaidOnceAndKeptAside) {
    const struct {
        const char* Name;
        std::function<void(const std::string&)> Make;
        const char* Reason;
    } cases[] = {
        {"garbage", [](const std::string& f) { WriteFileText(f, "\x01\xFFgarbage"); }, "JSON"},
        {"cut off",
         [](const std::string& f) { WriteFileText(f, R"({"root":{"keys":{"Software":{)"); },
         "JSON"},
        {"too large",
         [](const std::string& f) {
             WriteFileText(f, "{}");
             ASSERT_EQ(truncate(f.c_str(), off_t(65) << 20), 0);
         },
         "larger than 64 MiB"},
        {"too deep", [](const std::string& f) { WriteFileText(f, Nested(150)); }, "deeper"},
        {"/dev/zero", [](const std::string& f) { ASSERT_EQ(symlink("/dev/zero", f.c_str()), 0); },
         "not a regular file"},
        {"FIFO", [](const std::string& f) { ASSERT_EQ(mkfifo(f.c_str(), 0600), 0); },
         "not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        TSettingsProbe probe(dir);
        c.Make(probe.File);
        struct stat before {};
        ASSERT_EQ(lstat(probe.File.c_str(), &before), 0);
        TQorStorage store;
        probe.Point(store);
        std::string value;
        ASSERT_TRUE(EndsWithoutBlocking(probe.File, [&] {
            value = store.ReadString("Value", "default");
            TQorStorage again;
            probe.Point(again);
            again.ReadString("Value", "default");
        }));
        EXPECT_EQ(value, "default");
        ASSERT_EQ(probe.Messages.size(), 1u) << "said once";
        EXPECT_NE(probe.Messages[0].find(c.Reason), std::string::npos) << probe.Messages[0];
        EXPECT_NE(probe.Messages[0].find("kept as " + probe.File + ".bad"), std::string::npos)
            << probe.Messages[0];
        struct stat kept {};
        ASSERT_EQ(lstat((probe.File + ".bad").c_str(), &kept), 0);
        EXPECT_EQ(kept.st_ino, before.st_ino) << "the very file, moved";

        ASSERT_TRUE(store.WriteString("Value", "saved"));
        TQorStorage reader;
        probe.Point(reader);
        EXPECT_EQ(reader.ReadString("Value", ""), "saved");
        EXPECT_EQ(probe.Messages.size(), 1u);
    }
}

// A settings file that is a link (kept with other dotfiles) is written through the link, also
// when its file does not exist yet.
TEST(HostileInput, SettingsKeptBehindALinkAreSavedThroughIt) {
    TempDir dir;
    TSettingsProbe probe(dir);
    ASSERT_EQ(symlink("dotfiles/registry.json", probe.File.c_str()), 0);
    std::filesystem::create_directories(dir.File("dotfiles"));
    TQorStorage store;
    probe.Point(store);
    EXPECT_EQ(store.ReadString("Value", "default"), "default");
    ASSERT_TRUE(store.WriteString("Value", "saved"));
    EXPECT_TRUE(std::filesystem::is_symlink(probe.File));
    EXPECT_NE(ReadFileText(dir.File("dotfiles/registry.json")).find("saved"), std::string::npos);
    EXPECT_TRUE(probe.Messages.empty()) << probe.Messages[0];
}

// A folder in the settings file's place lost every save without a word; it is left alone, and
// both the start and the failed save say so.
TEST(HostileInput, SettingsThatCannotBeSavedSaySo) {
    TempDir dir;
    TSettingsProbe probe(dir);
    std::filesystem::create_directories(probe.File + "/inside");
    TQorStorage store;
    probe.Point(store);
    EXPECT_FALSE(store.CheckSaving());
    EXPECT_EQ(store.ReadString("Value", "default"), "default");
    EXPECT_FALSE(store.WriteString("Value", "lost"));
    EXPECT_TRUE(std::filesystem::is_directory(probe.File + "/inside"));
    ASSERT_EQ(probe.Messages.size(), 2u);
    EXPECT_NE(probe.Messages[0].find("cannot be saved to " + probe.File + ": it is a folder"),
              std::string::npos)
        << probe.Messages[0];
    EXPECT_NE(probe.Messages[1].find("leaves the file as it is (a folder)"), std::string::npos)
        << probe.Messages[1];
}

// Outputs that are links: a link to a file was replaced by a regular file (its target left
// stale), a loop of links too, with success; a link into a missing folder failed without a
// reason. A link is followed and its file written atomically in its own folder; every failure
// names its cause; names are bytes.
TEST(HostileInput, OutputsFollowLinksAndNameEveryFailure) {
    TempDir dir;
    const std::string target = dir.File("real/data.txt");
    WriteFileText(target, "old");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    const std::string link = dir.File("link.txt");
    ASSERT_EQ(symlink("real/data.txt", link.c_str()), 0);
    const std::string chain = dir.File("chain.txt");
    ASSERT_EQ(symlink(link.c_str(), chain.c_str()), 0);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(chain, "new", &error)) << error;
    EXPECT_EQ(ReadFileText(target), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_symlink(chain));
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "the replaced file's permissions stay";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("real")),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left";

    const std::string loop = dir.File("loop");
    ASSERT_EQ(symlink("loop2", loop.c_str()), 0);
    ASSERT_EQ(symlink("loop", dir.File("loop2").c_str()), 0);
    const std::string byteName = dir.File("caf\xE9.txt");
    const struct {
        std::string Name;
        std::string Error;
    } failures[] = {
        {loop, "Too many levels of symbolic links"},
        {"", "the name is empty"},
        {"/dev/full", "No space left on device"},
        {dir.Path().string(), "is a folder"},
        {dir.File("dangling"), "the folder " + dir.File("missing") + " does not exist"},
    };
    ASSERT_EQ(symlink("missing/file.txt", dir.File("dangling").c_str()), 0);
    for (const auto& f : failures) {
        SCOPED_TRACE(f.Name);
        EXPECT_FALSE(WriteFileAtomically(f.Name, "text", &error));
        EXPECT_EQ(error, f.Error);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(loop)) << "a loop stays as it was";
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));

    ASSERT_TRUE(WriteFileAtomically(byteName, "bytes", &error)) << error;
    EXPECT_EQ(ReadFileText(byteName), "bytes");
}
