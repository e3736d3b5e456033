// Tolerant comparison of rendered pictures with the golden images under tests/data/golden.
// With PLOTYRA_UPDATE_GOLDEN set the rendered picture replaces the golden image instead
// (scripts/update-golden.sh). On a mismatch a diff image (expected | actual | differences in
// red) is written to a temporary folder and its path is part of the failure message.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

// How far a picture may stray from its reference: the bulk of the pixels must lie within
// Channel in every colour channel; only a small share (anti-aliased edges of lines and
// labels, where rasterisation moves by a pixel) may differ by more.
struct TPictureTolerance {
    int Channel = 12;
    double Outliers = 0.003;
};
// Two renders of the same chart by different code paths (the two data layouts) differ
// along the grid lines of the mesh as well.
constexpr TPictureTolerance QorLayoutTolerance{64, 0.02};
// Pictures that must be identical.
constexpr TPictureTolerance QorExactPicture{0, 0};

struct TPictureDiff {
    long long Differing = 0;
    long long Total = 0;
    int MaxDelta = 0;
    double Fraction() const { return Total > 0 ? double(Differing) / double(Total) : 1.0; }
};

// Pixels whose red, green or blue differ by more than Channel.
inline TPictureDiff ComparePictures(const QImage& A, const QImage& B, int Channel,
                                    QImage* Marks = nullptr) {
    TPictureDiff d;
    if (A.size() != B.size()) {
        d.Differing = d.Total = 1;
        return d;
    }
    const QImage a = A.convertToFormat(QImage::Format_RGB32);
    const QImage b = B.convertToFormat(QImage::Format_RGB32);
    if (Marks != nullptr)
        *Marks = QImage(a.size(), QImage::Format_RGB32);
    d.Total = (long long)a.width() * a.height();
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int delta = std::max({std::abs(qRed(pa[x]) - qRed(pb[x])),
                                        std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                        std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
            d.MaxDelta = std::max(d.MaxDelta, delta);
            const bool differs = delta > Channel;
            d.Differing += differs ? 1 : 0;
            if (Marks != nullptr) {
                const int grey = 160 + qGray(pa[x]) * 95 / 255;
                Marks->setPixel(x, y, differs ? qRgb(255, 0, 0) : qRgb(grey, grey, grey));
            }
        }
    }
    return d;
}

inline bool WithinTolerance(const QImage& Expected, const QImage& Actual,
                            const TPictureTolerance& Tolerance) {
    return ComparePictures(Expected, Actual, Tolerance.Channel).Fraction() <= Tolerance.Outliers;
}

inline std::filesystem::path GoldenPath(const std::string& Name) {
    return std::filesystem::path(PLOTYRA_TEST_DATA) / "golden" / (Name + ".png");
}

inline QImage GoldenPicture(const std::string& Name) {
    return QImage(QString::fromStdString(GoldenPath(Name).string()));
}

// Expected | actual | marks, side by side, in the temporary folder; returns its path.
inline std::string WriteDiffImage(const std::string& Name, const QImage& Expected,
                                  const QImage& Actual) {
    QImage marks;
    ComparePictures(Expected, Actual, 0, &marks);
    const int w = std::max(Expected.width(), Actual.width());
    const int h = std::max(Expected.height(), Actual.height());
    QImage sheet(3 * w, h, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter p(&sheet);
        p.drawImage(0, 0, Expected);
        p.drawImage(w, 0, Actual);
        if (!marks.isNull())
            p.drawImage(2 * w, 0, marks);
    }
    const auto dir = std::filesystem::temp_directory_path() / "plotyra-picture-diffs";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const auto file = dir / (Name + "-diff.png");
    sheet.save(QString::fromStdString(file.string()));
    Actual.save(QString::fromStdString((dir / (Name + "-actual.png")).string()));
    return file.string();
}

inline ::testing::AssertionResult PicturesAlike(const std::string& Name, const QImage& Expected,
                                                const QImage& Actual,
                                                const TPictureTolerance& Tolerance) {
    const TPictureDiff d = ComparePictures(Expected, Actual, Tolerance.Channel);
    if (d.Fraction() <= Tolerance.Outliers)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << Name << ": " << d.Differing << " of " << d.Total << " pixels differ by more than "
           << Tolerance.Channel << " (max delta " << d.MaxDelta
           << "); diff image: " << WriteDiffImage(Name, Expected, Actual);
}

inline bool UpdatingGoldenPictures() {
    return std::getenv("PLOTYRA_UPDATE_GOLDEN") != nullptr;
}

inline ::testing::AssertionResult MatchesGolden(const std::string& Name, const QImage& Actual,
                                                const TPictureTolerance& Tolerance = {}) {
    const std::filesystem::path golden = GoldenPath(Name);
    if (UpdatingGoldenPictures()) {
        std::error_code ec;
        std::filesystem::create_directories(golden.parent_path(), ec);
        if (!Actual.save(QString::fromStdString(golden.string())))
            return ::testing::AssertionFailure() << "cannot write " << golden;
        return ::testing::AssertionSuccess();
    }
    const QImage expected = GoldenPicture(Name);
    if (expected.isNull())
        return ::testing::AssertionFailure()
               << "no golden image " << golden << " (scripts/update-golden.sh makes it); actual: "
               << WriteDiffImage(Name, Actual, Actual);
    return PicturesAlike(Name, expected, Actual, Tolerance);
}

// Pixels that differ from the colour of the top-left corner.
inline long long NonBackgroundPixels(const QImage& Image) {
    const QImage a = Image.convertToFormat(QImage::Format_RGB32);
    if (a.isNull())
        return 0;
    const QRgb back = a.pixel(0, 0);
    long long n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += (a.pixel(x, y) & 0xFFFFFF) != (back & 0xFFFFFF) ? 1 : 0;
    return n;
}

// Pixels of Area whose colour channels spread by more than Spread: clearly coloured, not
// white, black or grey.
inline int ColouredPixels(const QImage& Image, const QRect& Area, int Spread) {
    int n = 0;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x) {
            const QColor c = Image.pixelColor(x, y);
            const int spread =
                std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
            n += spread > Spread ? 1 : 0;
        }
    return n;
}

// Clearly coloured pixels of column X, as the legend's bar.
inline int ColouredPixels(const QImage& Image, int X) {
    return ColouredPixels(Image, QRect(X, 0, 1, Image.height()), 80);
}

// Pixels on the outermost rows and columns that differ from the colour of the top-left corner:
// none where everything drawn lies whole inside the picture.
inline long long BorderPixels(const QImage& Image) {
    const QImage a = Image.convertToFormat(QImage::Format_RGB32);
    if (a.isNull())
        return 0;
    const QRgb back = a.pixel(0, 0) & 0xFFFFFF;
    long long n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const bool border = x == 0 || y == 0 || x == a.width() - 1 || y == a.height() - 1;
            n += border && (a.pixel(x, y) & 0xFFFFFF) != back ? 1 : 0;
        }
    return n;
}
