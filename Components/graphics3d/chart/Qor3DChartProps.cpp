#include "QorFileInput.h"
#include "QorNumText.h"
#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>

void TQor3DChart::SetPaletteTable(const TQorPalette& Table) {
    if (Table == FPalette)
        return;
    FPalette = Table;
    FColorScaleChangedPending = true;
    FPaletteRebuildPending = false;
    Changed();
}

TColor TQor3DChart::Color(int Index) const {
    if (Index < 1 || Index > QorColorStopCount)
        return clBlack;
    return FColors[size_t(Index - 1)];
}

// A stop beyond ColorCount is stored and repainted but leaves the palette alone.
void TQor3DChart::SetColor(int Index, TColor v) {
    if (Index < 1 || Index > QorColorStopCount || FColors[size_t(Index - 1)] == v)
        return;
    FColors[size_t(Index - 1)] = v;
    if (Index <= 2 || FColorCount >= Index)
        FPaletteRebuildPending = true;
    Changed();
}

void TQor3DChart::SetColorCount(int v) {
    v = std::clamp(v, 2, QorColorStopCount);
    if (v == FColorCount)
        return;
    FColorCount = v;
    FPaletteRebuildPending = true;
    Changed();
}

void TQor3DChart::SetColorLayers(int v) {
    v = std::clamp(v, 0, 256);
    if (v == FColorLayers)
        return;
    FColorLayers = v;
    FPaletteRebuildPending = true;
    Changed();
}

void TQor3DChart::ApplyPalettePreset(TQorPalettePreset Preset) {
    ::ApplyPalettePreset(*this, Preset);
}

void TQor3DChart::InvertPalette() {
    ::InvertPalette(*this);
}

void TQor3DChart::SetColorBitmap(const QImage& v) {
    if (v == FColorBitmap)
        return;
    FColorBitmap = v;
    FPictureTexture.reset();
    Changed();
}

void TQor3DChart::ResetColorBitmap() {
    FColorBitmap = QImage();
}

namespace {

// Qt refuses to decode pictures of more than 256 MB; a file beyond that is no usable picture.
constexpr uint64_t MaxPictureFileBytes = uint64_t(256) << 20;

// The picture file read last, as drawn onto an opaque bitmap, or why it could not be read.
struct TPictureFile {
    std::string Name;
    int64_t Time = 0;
    int64_t Size = 0;
    QImage Bitmap;
    std::string Problem;
};

TPictureFile& LastPictureFile() {
    static TPictureFile file;
    return file;
}

// Read by name as bytes (a name need not be UTF-8 text) from a regular file only: a FIFO or a
// device would block or never end.
QImage ReadPictureFile(const std::string& Name, std::string& Problem) {
    std::string bytes;
    if (!ReadRegularFile(Name, MaxPictureFileBytes, bytes, Problem))
        return {};
    QByteArray data = QByteArray::fromStdString(bytes);
    bytes.clear();
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    // The name's suffix first, as for a file read by name: some forms have no mark of their own.
    if (const size_t dot = Name.find_last_of("./"); dot != std::string::npos && Name[dot] == '.')
        reader.setFormat(QByteArray::fromStdString(Name.substr(dot + 1)).toLower());
    const QImage picture = reader.read();
    if (picture.isNull()) {
        Problem = reader.errorString().toStdString();
        return {};
    }
    // Drawn onto a fresh opaque bitmap, as a picture is drawn onto a canvas.
    QImage bitmap(picture.size(), QImage::Format_RGB32);
    if (bitmap.isNull()) {
        Problem = "out of memory";
        return {};
    }
    bitmap.fill(Qt::black);
    QPainter painter(&bitmap);
    painter.drawImage(0, 0, picture);
    painter.end();
    return bitmap;
}

} // namespace

void TQor3DChart::SetColorBitmapName(const std::string& v) {
    if (v == FColorBitmapName)
        return;
    const TQorUpdateScope scope(*this);
    FPictureTexture.reset();
    FColorBitmapName = v;
    FColorBitmapProblem.clear();
    struct stat st {};
    if (v.empty()) {
        ResetColorBitmap();
    } else if (stat(v.c_str(), &st) != 0) {
        FColorBitmapProblem = std::strerror(errno);
        ResetColorBitmap();
    } else {
        TPictureFile& last = LastPictureFile();
        const int64_t time = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        if (last.Name != v || last.Time != time || last.Size != int64_t(st.st_size)) {
            last = {};
            std::string problem;
            QImage bitmap = ReadPictureFile(v, problem);
            last = {v, time, int64_t(st.st_size), std::move(bitmap), problem};
        }
        FColorBitmap = last.Bitmap;
        FColorBitmapProblem = last.Problem;
    }
    Changed();
}

void TQor3DChart::SetColorBitmapApply(bool v) {
    SetField(FColorBitmapApply, v);
}

char TQor3DChart::DecSep() const {
    return FDecSepLocal ? LocaleDecSeparator() : FDecSep;
}

void TQor3DChart::SetDecSep(char v) {
    if (v == FDecSep)
        return;
    FDecSep = v;
    for (TQorChartAxis3D* axis : {FAxisX.get(), FAxisY.get(), FAxisZ.get()})
        axis->StoreDecSep(v);
    Changed();
}

void TQor3DChart::SetDecSepLocal(bool v) {
    if (v == FDecSepLocal)
        return;
    FDecSepLocal = v;
    for (TQorChartAxis3D* axis : {FAxisX.get(), FAxisY.get(), FAxisZ.get()})
        axis->StoreDecSepLocal(v);
    Changed();
}

void TQor3DChart::SetDim4Caption(const std::string& v) {
    if (v == FDim4Caption)
        return;
    FDim4Caption = v;
    if (FDataKind != dk3D)
        Changed();
}

void TQor3DChart::SetDim4Direction(int v) {
    v = std::clamp(v, 0, 6);
    if (v == FDim4Direction)
        return;
    FDim4Direction = v;
    UpdateRanges();
    Changed();
}

void TQor3DChart::SetDim4FirstLayer(int v) {
    SetField(FDim4FirstLayer, std::max(v, 1));
}

void TQor3DChart::SetDim4NthLayer(int v) {
    SetField(FDim4NthLayer, std::max(v, 1));
}

void TQor3DChart::SetDim4Height(double v) {
    if (!(v >= 0)) // also catches NaN
        v = 0;
    if (v == FDim4Height)
        return;
    FDim4Height = v;
    UpdateRanges();
    Changed();
}

void TQor3DChart::SetDim4CrossSection(int v) {
    SetField(FDim4CrossSection, std::clamp(v, 0, 8));
}

void TQor3DChart::SetDim4CrossSectionOffset(double v) {
    SetField(FDim4CrossSectionOffset, v);
}

void TQor3DChart::SetHeightY(double v) {
    SetField(FHeightY, v);
}

bool TQor3DChart::KeepAspectXY() const {
    return FKeepAspectXY && FAxisX->Logarithmic() == FAxisY->Logarithmic();
}

void TQor3DChart::SetKeepAspectXY(bool v) {
    SetField(FKeepAspectXY, v);
}

bool TQor3DChart::KeepAspectXZ() const {
    return FKeepAspectXZ && FAxisX->Logarithmic() == FAxisZ->Logarithmic();
}

void TQor3DChart::SetKeepAspectXZ(bool v) {
    SetField(FKeepAspectXZ, v);
}

void TQor3DChart::SetShiny(bool v) {
    SetField(FShiny, v);
}

void TQor3DChart::SetTransparency(int v) {
    SetField(FTransparency, std::clamp(v, 0, 10));
}

void TQor3DChart::SetUseLowMemory(bool v) {
    SetField(FUseLowMemory, v);
}

void TQor3DChart::SetWired(bool v) {
    SetField(FWired, v);
}
