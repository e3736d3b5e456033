#include "PictureSaveQueue.h"

#include "render/Qor3DPictureOutput.h"

#include <new>
#include <system_error>

namespace {

std::future<std::string> SavedNow(const QImage& Picture, const std::string& Output) {
    std::promise<std::string> done;
    done.set_value(TPictureSaveQueue::SaveNow(Picture, Output));
    return done.get_future();
}

} // namespace

std::string TPictureSaveQueue::SaveNow(const QImage& Picture, const std::string& Output) {
    try {
        return QorPaint::SavePicturePng(Picture, Output);
    } catch (const std::bad_alloc&) {
        return "cannot render " + Output + ": out of memory";
    }
}

TPictureSaveQueue::~TPictureSaveQueue() {
    if (FPending.valid())
        FPending.wait();
}

std::string TPictureSaveQueue::Save(const QImage& Picture, const std::string& Output) {
    std::string before = Wait();
    if (Picture.sizeInBytes() > OverlapBytes) {
        FPending = SavedNow(Picture, Output);
        return before;
    }
    try {
        // The copy shares the pixels; the caller draws its next picture into a new image.
        FPending =
            std::async(std::launch::async, [Picture, Output] { return SaveNow(Picture, Output); });
    } catch (const std::system_error&) {
        FPending = SavedNow(Picture, Output); // no thread to be had
    }
    return before;
}

std::string TPictureSaveQueue::Wait() {
    return FPending.valid() ? FPending.get() : std::string();
}
