#include "PictureSaveQueue.h"

#include "render/Qor3DPictureOutput.h"

#include <new>
#include <utility>

std::string TPictureSaveQueue::SaveNow(const QImage& Picture, const std::string& Output) {
    try {
        return QorPaint::SavePicturePng(Picture, Output);
    } catch (const std::bad_alloc&) {
        return "cannot render " + Output + ": out of memory";
    }
}

std::string TPictureSaveQueue::Save(const QImage& Picture, const std::string& Output) {
    std::string before = Wait();
    if (Picture.sizeInBytes() > OverlapBytes) {
        FOutcome = SaveNow(Picture, Output);
        return before;
    }
    // The copy shares the pixels; the caller draws its next picture into a new image.
    FWriter.Hand([this, Picture, Output] { FOutcome = SaveNow(Picture, Output); });
    return before;
}

std::string TPictureSaveQueue::Wait() {
    FWriter.WaitUntil(0);
    return std::exchange(FOutcome, std::string());
}
