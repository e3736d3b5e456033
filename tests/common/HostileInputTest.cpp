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
