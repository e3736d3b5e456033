// Pictures of a batch are encoded and written on a second thread while the next one is drawn:
// PNG encoding takes about as long as drawing a small picture.
#pragma once

#include "QorParallel.h"

#include <QImage>
#include <string>

class TPictureSaveQueue {
public:
    // Pictures larger than this are written before Save returns, so that no two are held.
    static constexpr qsizetype OverlapBytes = qsizetype(64) << 20;

    // Starts writing Picture as Output once the picture before is written, and returns that
    // one's outcome as Wait would.
    std::string Save(const QImage& Picture, const std::string& Output);
    // Waits for the picture being written: "" or the message of its failure. Failures are
    // told in the order of the pictures.
    std::string Wait();

    // Writes Picture as Output on the calling thread: "" or the message of its failure.
    static std::string SaveNow(const QImage& Picture, const std::string& Output);

private:
    std::string FOutcome;           // of the picture last handed over, once the writer has ended
    QorParallel::TPipeline FWriter; // last: its job ends before the outcome goes
};
