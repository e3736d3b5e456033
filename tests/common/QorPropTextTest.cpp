#include "QorPropText.h"

#include "QorNumText.h"

#include <gtest/gtest.h>

TEST(QorPropText, WriterUsesTwoLinesPerPropertyWithCrLf) {
    TQorPropTextWriter w;
    w.WriteString("FileVer", "TQor3DDrawV7.2");
    w.WriteInt("BackgroundColor", 16777215);
    w.WriteBool("LightsON", true);
    w.WriteDouble("XMin", -2.5);
    w.WriteChar("DecSep", ',');
    EXPECT_EQ(w.Text(), "[FileVer]\r\nTQor3DDrawV7.2\r\n[BackgroundColor]\r\n16777215\r\n"
                        "[LightsON]\r\nTRUE\r\n[XMin]\r\n-2.5\r\n[DecSep]\r\n,\r\n");
}

TEST(QorPropText, LineBreaksInStringsBecomeBlanks) {
    TQorPropTextWriter w;
    w.WriteString("Caption", "two\r\nlines\n");
    w.WriteInt("After", 7);
    TQorPropTextReader r(w.Text());
    EXPECT_EQ(r.ReadString("Caption", ""), "two  lines ");
    EXPECT_EQ(r.ReadInt("After", 0), 7);
}

TEST(QorPropText, KeysAreCaseInsensitiveAndFoundInWrittenOrder) {
    TQorPropTextReader r("[axisx_automax]\r\ntrue\r\n[B]\r\n2\r\n[C]\r\n3\r\n");
    EXPECT_TRUE(r.ReadBool("AxisX_AutoMax", false));
    EXPECT_EQ(r.ReadInt("C", 0), 3);
    // B lies before the position: missing, and the reader rewinds for the next key.
    EXPECT_EQ(r.ReadInt("B", -1), -1);
    EXPECT_EQ(r.Position(), 0u);
    EXPECT_EQ(r.ReadInt("B", -1), 2);
}

TEST(QorPropText, BadValuesKeepTheCurrentValue) {
    TQorPropTextReader r("[I]\r\n12x\r\n[D]\r\nabc\r\n[C]\r\n\r\n[Big]\r\n99999999999\r\n");
    EXPECT_EQ(r.ReadInt("I", 5), 5);
    EXPECT_DOUBLE_EQ(r.ReadDouble("D", 1.25), 1.25);
    EXPECT_EQ(r.ReadChar("C", '.'), '.');
    EXPECT_EQ(r.ReadInt("Big", 4), 4);
    EXPECT_FALSE(r.ReadBool("Missing", false));
    EXPECT_TRUE(r.ReadBool("Missing", true));
}

TEST(QorPropText, CommaDoubleReadsOnAnySystem) {
    TQorPropTextReader r("[A]\n1,5\n[B]\n 2.25 \n");
    EXPECT_DOUBLE_EQ(r.ReadDouble("A", 0), 1.5);
    EXPECT_DOUBLE_EQ(r.ReadDouble("B", 0), 2.25);
}

TEST(QorPropText, KeyOnTheLastLineIsMissing) {
    TQorPropTextReader r("[A]\r\n1\r\n[B]");
    EXPECT_EQ(r.ReadInt("A", 0), 1);
    EXPECT_EQ(r.ReadString("B", "kept"), "kept");
    EXPECT_EQ(r.ReadInt("A", 0), 1); // rewound
}

TEST(QorPropText, FontRoundTripAndKeys) {
    TFont f("Arial", 32, {fsBold, fsUnderline});
    f.SetColor(clRed);
    TQorPropTextWriter w;
    w.WriteFont("AxisX_CaptionFont", f);
    EXPECT_NE(w.Text().find("[AxisX_CaptionFontCharset]\r\n1\r\n"), std::string::npos);
    EXPECT_NE(w.Text().find("[AxisX_CaptionFontStylefsBold]\r\nTRUE\r\n"), std::string::npos);
    EXPECT_NE(w.Text().find("[AxisX_CaptionFontStylefsItalic]\r\nFALSE\r\n"), std::string::npos);

    TFont g;
    int changes = 0;
    g.OnChange = [&](TFont*) {
        ++changes;
    };
    TQorPropTextReader r(w.Text());
    r.ReadFont("AxisX_CaptionFont", g);
    EXPECT_TRUE(g.SameAs(f));
    EXPECT_GT(changes, 0);
}

TEST(QorPropText, MissingFontStylesKeepTheirState) {
    TFont f("Arial", 10, {fsItalic});
    TQorPropTextReader r("[FontStylefsBold]\r\nTRUE\r\n");
    r.ReadFont("Font", f);
    EXPECT_TRUE(f.Style().Contains(fsBold));
    EXPECT_TRUE(f.Style().Contains(fsItalic));
    EXPECT_EQ(f.Name(), "Arial");
}

TEST(QorPropText, ParseDecimalInt) {
    int v = 0;
    EXPECT_TRUE(ParseDecimalInt(" -42 ", v));
    EXPECT_EQ(v, -42);
    EXPECT_TRUE(ParseDecimalInt("+7", v));
    EXPECT_FALSE(ParseDecimalInt("+-7", v)) << "one sign at most";
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(ParseDecimalInt("", v));
    EXPECT_FALSE(ParseDecimalInt("1.0", v));
    EXPECT_FALSE(ParseDecimalInt("2147483648", v));
    EXPECT_EQ(v, 7);
}

TEST(QorPropText, DoublesUseDotsUnderACommaLocale) {
    const TScopedLocaleDecSeparator comma(',');
    TQorPropTextWriter w;
    w.WriteDouble("A", -2.5);
    w.WriteDouble("B", 1e-5);
    EXPECT_EQ(w.Text(), "[A]\r\n-2.5\r\n[B]\r\n1E-005\r\n");
    TQorPropTextReader r("[A]\r\n1.5\r\n[B]\r\n1,5\r\n");
    EXPECT_DOUBLE_EQ(r.ReadDouble("A", 0), 1.5);
    EXPECT_DOUBLE_EQ(r.ReadDouble("B", 0), 1.5);
}
