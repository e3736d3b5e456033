#include "render/Qor3DPictureOutput.h"

#include "QorFileOutput.h"
#include "render/Qor3DChartLegendPicture.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Bytes per pixel while a picture is drawn and saved: the off-screen colour and depth buffers,
// the chart read back and the composed picture (16384 x 16384 peaks at about 4.3 GB).
constexpr uint64_t QorPictureBytesPerPixel = 16;

// Qt's PNG writer takes the zlib level as a quality q, level (100 - q) * 9 / 91: 85 is level 1,
// the fastest that still compresses. An 800x600 chart then encodes in about a third of the time
// of the default level 6 for about a third more bytes (17 against 50 ms, 107 against 80 kB).
constexpr int QorPngQuality = 85;

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

// The composed picture is encoded as it is: the PNG writer drops its unused alpha.
bool QorPaint::EncodePng(const QImage& Picture, QByteArray& Png, std::string& Error) {
    Png.clear();
    QBuffer buffer(&Png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(QorPngQuality);
    if (writer.write(Picture))
        return true;
    Error = writer.errorString().toStdString();
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
