// The memory-bitmap back-end: OSMesa, opened at run time, rendering straight into a QImage's
// own pixels (32 bits, top row first).
#pragma once

#include "gl/Qor3DLib.h"

#include <QImage>

// A memory DC over a 32-bit image; the image must outlive the surface.
class TOSMesaSurface : public TGLSurface {
public:
    TOSMesaSurface(TGLPlatform& Platform, QImage& Image)
        : TGLSurface(Platform, OBJ_MEMDC), FImage(Image) {}
    QImage& Image() const { return FImage; }
    std::array<int, 2> Size() const override { return {FImage.width(), FImage.height()}; }

private:
    QImage& FImage;
};

// The process-wide OSMesa back-end (the library is opened on first use; a missing library makes
// every context creation fail with its loader message).
TGLPlatform& OSMesaPlatform();

// Starts opening that library (and the compiler behind it, tens of milliseconds) on another
// thread, for a caller that will draw soon and has other work first. Create from one thread.
// Ending it waits for a load still running: a process that exits while the compiler's static
// constructors run on the other thread has its exit handlers free what they are building.
class TOSMesaPreload {
public:
    TOSMesaPreload();
    ~TOSMesaPreload();
    TOSMesaPreload(const TOSMesaPreload&) = delete;
    TOSMesaPreload& operator=(const TOSMesaPreload&) = delete;
};

// A separate OSMesa back-end that opens LibraryName instead (tests use a missing one).
std::unique_ptr<TGLPlatform> CreateOSMesaPlatform(const std::string& LibraryName);
