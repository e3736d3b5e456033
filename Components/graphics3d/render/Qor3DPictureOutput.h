// A chart picture for a file or for a caller, as plotyra-cli render and the Python module make
// it: the memory it needs checked first, every failure of the drawing turned into a message, the
// PNG encoded at the fastest level that still compresses and written atomically.
#pragma once

#include <QByteArray>
#include <QImage>
#include <string>

class TQor3DChart;
class TQorColorScale;

namespace QorPaint {

// The largest side of a picture of the off-screen renderer.
constexpr int MaxPictureSide = 16384;

// Why a Width x Height picture cannot be drawn here, or "" when the memory it needs is there.
std::string PictureMemoryProblem(int Width, int Height);

// Chart (with Legend beside it unless Legend is null) as one Width x Height picture on white
// (RGB32). On failure a null image, and Error says why: "cannot render NAME: ..." with Name the
// picture's file (left out when empty), or "cannot render: ..." with what the painting raised.
QImage RenderPicture(TQor3DChart& Chart, const TQorColorScale* Legend, int Width, int Height,
                     const std::string& Name, std::string& Error);

// The picture as PNG bytes; false with the writer's reason in Error.
bool EncodePng(const QImage& Picture, QByteArray& Png, std::string& Error);

// Encodes Picture and writes it as Output, replacing a regular file only once every byte is
// written. "" or "cannot save OUTPUT: ...".
std::string SavePicturePng(const QImage& Picture, const std::string& Output);

} // namespace QorPaint
