#include "QorDataText.h"

#include "QorNumText.h"
#include "TestSupport.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

std::vector<double> ReadAll(std::string_view text, int n, bool* ok = nullptr) {
    TQorTokenReader r(text);
    std::vector<double> values;
    bool good = true;
    for (int i = 0; i < n; ++i) {
        double v = -1;
        good = r.ReadValue(v) && good;
        values.push_back(v);
    }
    if (ok != nullptr)
        *ok = good;
    return values;
}

} // namespace

TEST(QorDataText, ValueGrammar) {
    for (const char* good : {"0", "-1", "+2", "1.", ".5", "1.5e3", "1E-005", "-.5E+2", "007"})
        EXPECT_TRUE(IsDataValueToken(good)) << good;
    for (const char* bad :
         {"", "-", ".", "1,5", "1e", "1e+", "INF", "NAN", "0x10", "1.2.3", "1e5.0", "--1", "1 000"})
        EXPECT_FALSE(IsDataValueToken(bad)) << bad;
}

TEST(QorDataText, TokensAreSeparatedByAnyControlCharacter) {
    bool ok = false;
    EXPECT_TRUE(
        NearVector(ReadAll("2 2\r\n0\t1\x01 0\f1\n5 6 7 8", 8, &ok), {2, 2, 0, 1, 0, 1, 5, 6}));
    EXPECT_TRUE(ok);
}

TEST(QorDataText, MissingNumbersAtTheEndReadAsZero) {
    bool ok = false;
    EXPECT_TRUE(NearVector(ReadAll("1 2", 4, &ok), {1, 2, 0, 0}));
    EXPECT_TRUE(ok);
    TQorTokenReader r("");
    int32_t count = 7;
    EXPECT_TRUE(r.ReadCount(count));
    EXPECT_EQ(count, 0);
}

TEST(QorDataText, ANonNumberIsAnError) {
    TQorTokenReader r("1 1,5 2");
    double v = 0;
    EXPECT_TRUE(r.ReadValue(v));
    EXPECT_FALSE(r.ReadValue(v));
    EXPECT_EQ(v, 1);
}

TEST(QorDataText, CountsAreBoundedIntegers) {
    int32_t c = 0;
    EXPECT_TRUE(TQorTokenReader("-12").ReadCount(c));
    EXPECT_EQ(c, -12);
    EXPECT_TRUE(TQorTokenReader("+3").ReadCount(c));
    EXPECT_FALSE(TQorTokenReader("+-3").ReadCount(c)) << "one sign at most";
    EXPECT_EQ(c, 3);
    EXPECT_FALSE(TQorTokenReader("2147483648").ReadCount(c));
    EXPECT_FALSE(TQorTokenReader("1.0").ReadCount(c));
    EXPECT_FALSE(TQorTokenReader(std::string(33, '1')).ReadCount(c));
    float f = 0;
    EXPECT_FALSE(TQorTokenReader(std::string(65, '1')).ReadValue(f));
    EXPECT_TRUE(TQorTokenReader(std::string(64, '1')).ReadValue(f));
}

TEST(QorDataText, OutOfRangeValuesSaturate) {
    double v = 0;
    EXPECT_TRUE(TQorTokenReader("1e999").ReadValue(v));
    EXPECT_TRUE(std::isinf(v) && v > 0);
    EXPECT_TRUE(TQorTokenReader("-1e999").ReadValue(v));
    EXPECT_TRUE(std::isinf(v) && v < 0);
    EXPECT_TRUE(TQorTokenReader("1e-999").ReadValue(v));
    EXPECT_EQ(v, 0);
}

TEST(QorDataText, LinesAndTags) {
    EXPECT_EQ(FirstNonEmptyLine("\r\n\n  \r\n<3D>\r\n"), "  ");
    EXPECT_EQ(FirstNonEmptyLine("\r\n<3d hi> \t\r\n1"), "<3d hi> \t");
    EXPECT_EQ(FirstNonEmptyLine(""), "");
    EXPECT_EQ(NormalizedTag("<3d hi> \t"), "<3D HI>");
    TQorTokenReader r("<3D>\r\n2 2\n");
    std::string_view line;
    ASSERT_TRUE(r.ReadLine(line));
    EXPECT_EQ(line, "<3D>");
    int32_t c = 0;
    EXPECT_TRUE(r.ReadCount(c));
    EXPECT_EQ(c, 2);
}

TEST(QorDataText, WriterSeparatesByTabsAndWritesWidenedFloats) {
    TQorDataTextWriter w;
    w.WriteText("<3D>");
    w.EndLine();
    w.WriteCount(2);
    w.WriteCount(3);
    w.EndLine();
    w.WriteValue(0.1f);
    w.WriteValue(std::ldexp(1.0f, -12));
    w.WriteValue(std::ldexp(1.0f, -14));
    w.WriteValue(std::ldexp(1.0f, 50));
    w.WriteValue(0.0f);
    w.EndLine();
    EXPECT_EQ(w.Text(), "<3D>\r\n2\t3\r\n0.100000001490116\t0.000244140625\t6.103515625E-005\t"
                        "1.12589990684262E015\t0\r\n");
}

TEST(QorDataText, WriterUsesDotsUnderACommaLocale) {
    const TScopedLocaleDecSeparator comma(',');
    TQorDataTextWriter w;
    w.WriteValue(0.5);
    EXPECT_EQ(w.Text(), "0.5");
}

TEST(QorDataText, FileViewMapsOrReadsWholeFiles) {
    TempDir dir;
    const std::string path = dir.File("a.p3d");
    WriteFileText(path, "<3D>\r\n1 1\r\n");
    TQorFileView view;
    ASSERT_TRUE(view.Open(path));
    EXPECT_EQ(view.Text(), "<3D>\r\n1 1\r\n");
    const std::string empty = dir.File("empty.txt");
    WriteFileText(empty, "");
    ASSERT_TRUE(view.Open(empty));
    EXPECT_TRUE(view.Text().empty());
    EXPECT_FALSE(view.Open(dir.File("missing.txt")));
    EXPECT_FALSE(view.Open(dir.Path().string())); // a folder
}

// The writer's number format is FloatToTextG with "." for every kind of double: widened floats,
// arbitrary bit patterns, the borders of fixed notation, and the words for non-finite values.
TEST(QorDataText, FormatDataNumberIsTheGeneralFormat) {
    uint64_t state = 0x9E3779B97F4A7C15u;
    const auto next = [&] {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return state;
    };
    std::vector<double> values = {0.0,       -0.0,
                                  1e-4,      9.99999999999999e-5,
                                  1e15,      1e16,
                                  -1e15,     HUGE_VAL,
                                  -HUGE_VAL, std::nan(""),
                                  0.1f,      1.0 / 3,
                                  5e-324,    1.7976931348623157e308};
    for (int i = 0; i < 20000; ++i) {
        double d = 0;
        const uint64_t bits = next();
        std::memcpy(&d, &bits, sizeof d);
        values.push_back(d);
        float f = 0;
        const uint32_t fbits = uint32_t(next());
        std::memcpy(&f, &fbits, sizeof f);
        values.push_back(double(f));
    }
    for (const double v : values) {
        std::string expected = FloatToTextG(v);
        SetDecSeparators(expected, '.');
        char buffer[40];
        EXPECT_EQ(std::string(buffer, FormatDataNumber(buffer, v)), expected) << v;
    }
}

// A file is read through a window: tokens that straddle its end, long lines and the end of a
// stretch read exactly as from memory.
TEST(QorDataText, FileReaderMatchesTheTextInMemory) {
    TempDir dir;
    std::string text;
    for (int i = 0; text.size() < (size_t(600) << 10); ++i)
        text += std::to_string(i * 0.37) + (i % 1000 == 999 ? "\r\n" : "\t");
    const std::string path = dir.File("big.txt");
    WriteFileText(path, text);
    TQorTextSource file;
    ASSERT_TRUE(file.Open(path));
    const TQorTextScan scan = ScanText(file, 0, file.Size());
    TQorTokenReader fromFile(file, 0, file.Size());
    TQorTokenReader fromMemory(text);
    uint64_t tokens = 0;
    for (;;) {
        double a = -1, b = -2;
        ASSERT_TRUE(fromFile.ReadValue(a));
        ASSERT_TRUE(fromMemory.ReadValue(b));
        ASSERT_EQ(a, b) << "token " << tokens;
        if (fromMemory.MissingNumbers() > 0)
            break;
        ++tokens;
    }
    EXPECT_EQ(tokens, scan.Tokens);
    EXPECT_EQ(fromFile.MissingNumbers(), 1u);
    EXPECT_FALSE(file.Changed());
    TQorTokenReader skipper(file, 0, file.Size());
    EXPECT_EQ(skipper.SkipTokens(UINT64_MAX), scan.Tokens);
}

// The tag line: the first non-empty line (CR LF or LF), at most a head of it, and where the
// numbers of a tagged form begin (after the file's first line, whatever it holds).
TEST(QorDataText, TagLinesFromASource) {
    const auto tag = [](const std::string& text) {
        const TQorTextSource source(text);
        return ReadTagLine(source);
    };
    EXPECT_EQ(tag("<3D>\r\n2 2").Head, "<3D>");
    EXPECT_EQ(tag("<3D>\r\n2 2").AfterFirstLine, 6u);
    const TQorTagLine late = tag("\r\n\n<4d hi> \t\r\n1");
    EXPECT_EQ(late.Head, "<4d hi> \t");
    EXPECT_EQ(late.AfterFirstLine, 2u) << "the numbers follow the file's first line";
    EXPECT_FALSE(tag("\r\n\r\n").Found);
    EXPECT_EQ(tag("<3D>").Head, "<3D>");
    EXPECT_EQ(NormalizedTag(tag("<3D>" + std::string(100000, ' ') + "\r\n1").Head), "<3D>");
    EXPECT_NE(NormalizedTag(tag("<3D>" + std::string(1000, ' ') + "x\r\n1").Head), "<3D>");
}

// Line starts with "[" are found across the windows of a file and across pieces that begin
// inside a line.
TEST(QorDataText, ScanFindsTheFirstBracketLine) {
    TempDir dir;
    std::string text(300000, ' ');
    text[299000] = '\n';
    text[299001] = '[';
    text += "\r\n[";
    const std::string path = dir.File("b.txt");
    WriteFileText(path, text);
    TQorTextSource file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(ScanText(file, 0, file.Size()).FirstBracketLine, 299001u);
    EXPECT_EQ(ScanText(file, 299001, file.Size(), false).FirstBracketLine, 300002u);
    EXPECT_EQ(ScanText(file, 299001, file.Size(), true).FirstBracketLine, 299001u);
    EXPECT_EQ(ScanText(file, 0, file.Size()).Tokens, 2u);
}
