#include "render/Qor3DPictureOutput.h"

#include "QorFileOutput.h"
#include "render/Qor3DChartLegendPicture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <new>
#include <png.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

// Bytes per pixel while a picture is drawn and saved: the off-screen colour and depth buffers,
// the chart read back and the composed picture (16384 x 16384 peaks at about 4.3 GB).
constexpr uint64_t QorPictureBytesPerPixel = 16;

// PNG pictures are compressed at zlib level 1, the fastest that still compresses, and every row
// is filtered against the one above ("up"): for chart pictures that gives files no larger than
// libpng's choice per row among all five filters, in under half the time (800 x 600: 9 against
// 22 ms, and about 100 kB either way).
constexpr int QorPngLevel = 1;

// Memory this process can still take: what the system has available (MemAvailable, else the
// free pages), and no more than its address-space limit leaves.
uint64_t AvailableMemory() {
    const uint64_t page = uint64_t(std::max(sysconf(_SC_PAGESIZE), 1L));
    uint64_t available = 0;
    if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        unsigned long long kb = 0;
        while (std::fgets(line, sizeof line, f) != nullptr)
            if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
                available = uint64_t(kb) * 1024;
                break;
            }
        std::fclose(f);
    }
    if (available == 0)
        available = uint64_t(std::max(sysconf(_SC_AVPHYS_PAGES), 0L)) * page;
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        unsigned long long pages = 0;
        if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%llu", &pages) != 1)
                pages = 0;
            std::fclose(f);
        }
        const uint64_t used = uint64_t(pages) * page;
        const uint64_t left = uint64_t(limit.rlim_cur) > used ? uint64_t(limit.rlim_cur) - used : 0;
        available = std::min(available, left);
    }
    return available;
}

std::string Gigabytes(uint64_t Bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GB", double(Bytes) / 1e9);
    return text;
}

std::string CannotRender(const std::string& Name) {
    return Name.empty() ? "cannot render" : "cannot render " + Name;
}

} // namespace

std::string QorPaint::PictureMemoryProblem(int Width, int Height) {
    const uint64_t needed = uint64_t(Width) * uint64_t(Height) * QorPictureBytesPerPixel;
    const uint64_t available = AvailableMemory();
    if (needed <= available)
        return {};
    return "a " + std::to_string(Width) + " \u00d7 " + std::to_string(Height) +
           " picture needs about " + Gigabytes(needed) + "; " + Gigabytes(available) +
           " are available";
}

QImage QorPaint::RenderPicture(TQor3DChart& Chart, const TQorColorScale* Legend, int Width,
                               int Height, const std::string& Name, std::string& Error) {
    Error.clear();
    if (std::string problem = PictureMemoryProblem(Width, Height); !problem.empty()) {
        Error = CannotRender(Name) + ": " + problem;
        return {};
    }
    try {
        const TQorChartPicture rendered = RenderChartPicture(Chart, Legend, Width, Height);
        // Painting swallows its failures; the picture keeps the first one of the render.
        if (!rendered.PaintError.empty()) {
            Error = "cannot render: " + rendered.PaintError;
            return {};
        }
        QImage picture = rendered.Complete() ? ChartPictureImage(rendered) : QImage();
        if (picture.isNull())
            Error = CannotRender(Name);
        return picture;
    } catch (const std::bad_alloc&) {
        Error = CannotRender(Name) + ": out of memory";
    } catch (const std::exception& e) {
        Error = std::string("cannot render: ") + e.what();
    }
    return {};
}

// ---- PNG encoding ----------------------------------------------------------------------------

namespace {

// libpng reports a failure by jumping back to the setjmp in WritePng; its text is kept here.
struct TPngFailure {
    char Text[256] = {};
};

[[noreturn]] void PngError(png_structp Png, png_const_charp Message) {
    auto* failure = static_cast<TPngFailure*>(png_get_error_ptr(Png));
    std::snprintf(failure->Text, sizeof failure->Text, "%s", Message);
    png_longjmp(Png, 1);
}

void PngWarning(png_structp, png_const_charp) {} // nothing reaches the terminal unasked

void PngAppend(png_structp Png, png_bytep Data, size_t Size) {
    bool full = false;
    try {
        static_cast<QByteArray*>(png_get_io_ptr(Png))
            ->append(reinterpret_cast<const char*>(Data), qsizetype(Size));
    } catch (const std::bad_alloc&) {
        full = true;
    }
    if (full)
        png_error(Png, "out of memory");
}

void PngFlush(png_structp) {}

// One row of Picture (RGB32 or ARGB32) as the bytes PNG stores: RGB, or RGBA with Alpha.
void PackRow(const QImage& Picture, int Y, bool Alpha, png_bytep Row) {
    const auto* pixel = reinterpret_cast<const QRgb*>(Picture.constScanLine(Y));
    for (int x = 0; x < Picture.width(); ++x, ++pixel) {
        *Row++ = png_byte(qRed(*pixel));
        *Row++ = png_byte(qGreen(*pixel));
        *Row++ = png_byte(qBlue(*pixel));
        if (Alpha)
            *Row++ = png_byte(qAlpha(*pixel));
    }
}

// Writes the picture through Png; false where libpng failed. Nothing here has a destructor to
// skip when libpng jumps back.
bool WritePng(png_structp Png, png_infop Info, const QImage& Picture, bool Alpha, png_bytep Row) {
    if (setjmp(png_jmpbuf(Png)))
        return false;
    png_set_IHDR(Png, Info, png_uint_32(Picture.width()), png_uint_32(Picture.height()), 8,
                 Alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // The resolution is kept, as Qt's own writer keeps it.
    if (Picture.dotsPerMeterX() > 0 || Picture.dotsPerMeterY() > 0)
        png_set_pHYs(Png, Info, png_uint_32(std::max(Picture.dotsPerMeterX(), 0)),
                     png_uint_32(std::max(Picture.dotsPerMeterY(), 0)), PNG_RESOLUTION_METER);
    png_set_compression_level(Png, QorPngLevel);
    png_set_filter(Png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_write_info(Png, Info);
    for (int y = 0; y < Picture.height(); ++y) {
        PackRow(Picture, y, Alpha, Row);
        png_write_row(Png, Row);
    }
    png_write_end(Png, Info);
    return true;
}

} // namespace

// The composed picture is encoded as it is: without alpha (a chart picture is opaque) as RGB.
bool QorPaint::EncodePng(const QImage& Picture, QByteArray& Png, std::string& Error) {
    Png.clear();
    if (Picture.isNull()) {
        Error = "no picture to encode";
        return false;
    }
    const bool alpha = Picture.hasAlphaChannel();
    const QImage pixels =
        Picture.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    std::vector<png_byte> row(size_t(pixels.width()) * (alpha ? 4 : 3));
    TPngFailure failure;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, PngError, PngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        Error = "out of memory";
        return false;
    }
    png_set_write_fn(png, &Png, PngAppend, PngFlush);
    const bool written = WritePng(png, info, pixels, alpha, row.data());
    png_destroy_write_struct(&png, &info);
    if (written)
        return true;
    Png.clear();
    Error = failure.Text;
    return false;
}

// Encoded first and written atomically, so a full disk never leaves half a picture in place of
// the old one.
std::string QorPaint::SavePicturePng(const QImage& Picture, const std::string& Output) {
    QByteArray png;
    if (std::string error; !EncodePng(Picture, png, error))
        return "cannot save " + Output + ": " + error;
    TQorFileOutput out(Output);
    if (!out.Write(png.constData(), size_t(png.size())) || !out.Commit())
        return "cannot save " + Output + (out.Error().empty() ? "" : ": " + out.Error());
    return {};
}
