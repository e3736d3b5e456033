#include "QorPropBinary.h"

#include <gtest/gtest.h>

TEST(QorPropBinary, FieldsRoundTripLittleEndian) {
    TQorBinaryWriter w;
    w.WriteString("TQorGrid3DPropV7");
    w.WriteInt(-2);
    w.WriteWord(0x0102);
    w.WriteBool(true);
    w.WriteDouble(0.1);
    EXPECT_EQ(w.Bytes().size(), 4u + 16 + 4 + 2 + 1 + 8);
    EXPECT_EQ(w.Bytes().substr(0, 4), std::string("\x10\0\0\0", 4));

    TQorBinaryReader r(w.Bytes());
    std::string marker;
    EXPECT_EQ(r.ReadMarker(marker), 0);
    EXPECT_EQ(marker, "TQorGrid3DPropV7");
    int32_t i = 0;
    uint16_t word = 0;
    bool b = false;
    double d = 0;
    EXPECT_TRUE(r.ReadInt(i) && r.ReadWord(word) && r.ReadBool(b) && r.ReadDouble(d));
    EXPECT_EQ(i, -2);
    EXPECT_EQ(word, 0x0102);
    EXPECT_TRUE(b);
    EXPECT_EQ(d, 0.1);
    EXPECT_FALSE(r.Incomplete());
    EXPECT_FALSE(r.ReadByte(*reinterpret_cast<uint8_t*>(&b)));
    EXPECT_TRUE(r.Incomplete());
}

TEST(QorPropBinary, MarkerResults) {
    TQorBinaryWriter longMarker;
    longMarker.WriteInt(500);
    std::string m;
    EXPECT_EQ(TQorBinaryReader(longMarker.Bytes()).ReadMarker(m), -2);
    EXPECT_EQ(TQorBinaryReader(std::string_view("\x03\0", 2)).ReadMarker(m), -3);
    TQorBinaryWriter shortMarker;
    shortMarker.WriteInt(10);
    shortMarker.WriteByte('T');
    EXPECT_EQ(TQorBinaryReader(shortMarker.Bytes()).ReadMarker(m), -3);
}

TEST(QorPropBinary, StringLengthBeyondTheDataIsAnErrorNotAnAllocation) {
    TQorBinaryWriter w;
    w.WriteInt(0x7FFFFFFF);
    w.WriteString("abc");
    TQorBinaryReader r(w.Bytes());
    std::string s = "kept";
    EXPECT_FALSE(r.ReadString(s));
    EXPECT_EQ(s, "kept");
    EXPECT_TRUE(r.Incomplete());

    TQorBinaryWriter negative;
    negative.WriteInt(-1);
    TQorBinaryReader rn(negative.Bytes());
    EXPECT_FALSE(rn.ReadString(s));
}

TEST(QorPropBinary, FontRecordLayout) {
    TFont f("Arial", 28, {fsItalic, fsStrikeOut});
    f.SetColor(clBlue);
    TQorBinaryWriter w;
    w.WriteFont(f);
    ASSERT_EQ(w.Bytes().size(), 1u + 4 + 4 + 4 + 5 + 1 + 4 + 1);
    EXPECT_EQ(uint8_t(w.Bytes().back()), 2 | 8);
    TFont g;
    TQorBinaryReader r(w.Bytes());
    ASSERT_TRUE(r.ReadFont(g));
    EXPECT_TRUE(g.SameAs(f));

    TFont h("Courier", 9);
    TQorBinaryReader truncated(std::string_view(w.Bytes()).substr(0, 12));
    EXPECT_FALSE(truncated.ReadFont(h));
    EXPECT_EQ(h.Name(), "Courier");
}
