// The PNG encoder: every pixel and the resolution come back as they were drawn, with and
// without alpha, and a picture that cannot be encoded says so.
#include "render/Qor3DPictureOutput.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace QorPaint;

namespace {

// Smooth ramps, hard edges and noise, so that the row filter meets every kind of row.
QImage Sample(QImage::Format Format, int Width, int Height) {
    QImage image(Width, Height, Format);
    uint32_t noise = 12345;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int band = (x / 7 + y / 5) % 3;
            const int alpha = Format == QImage::Format_ARGB32 ? int(noise >> 24) : 255;
            image.setPixel(x, y,
                           qRgba(band == 0 ? x % 256 : int(noise >> 16) & 255, (y * 3) % 256,
                                 band == 2 ? 255 : (x ^ y) & 255, alpha));
        }
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(5670);
    return image;
}

} // namespace

TEST(PictureOutputPng, PixelsAlphaAndResolutionComeBackAsDrawn) {
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        const QImage picture = Sample(format, 203, 61);
        QByteArray png;
        std::string error;
        ASSERT_TRUE(EncodePng(picture, png, error)) << error;
        EXPECT_TRUE(error.empty());
        const QImage back = QImage::fromData(png, "png");
        ASSERT_FALSE(back.isNull());
        EXPECT_EQ(back.hasAlphaChannel(), format == QImage::Format_ARGB32);
        EXPECT_EQ(back.convertToFormat(format), picture) << "format " << int(format);
        EXPECT_EQ(back.dotsPerMeterX(), 2835);
        EXPECT_EQ(back.dotsPerMeterY(), 5670);
    }
    // A premultiplied picture is written straight, as any PNG reader expects.
    const QImage premultiplied =
        Sample(QImage::Format_ARGB32, 40, 30).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QByteArray png;
    std::string error;
    ASSERT_TRUE(EncodePng(premultiplied, png, error)) << error;
    EXPECT_EQ(QImage::fromData(png, "png").convertToFormat(QImage::Format_ARGB32),
              premultiplied.convertToFormat(QImage::Format_ARGB32));

    png = "old";
    EXPECT_FALSE(EncodePng(QImage(), png, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(png.isEmpty());
}
