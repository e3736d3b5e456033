#include "QorFileOutput.h"

#include <QSaveFile>
#include <QString>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TQorFileOutput::TQorFileOutput(const std::string& FileName) {
    struct stat st {};
    if (stat(FileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            Fail("is a folder");
            return;
        }
        // A device or FIFO: replacing it would destroy it (as root, /dev/null itself).
        FFd = ::open(FileName.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        FOk = FFd >= 0 || Fail(std::strerror(errno));
        return;
    }
    FSave = std::make_unique<QSaveFile>(QString::fromStdString(FileName));
    FOk = FSave->open(QIODevice::WriteOnly) || Fail(FSave->errorString().toStdString());
}

TQorFileOutput::~TQorFileOutput() {
    if (FFd >= 0)
        ::close(FFd);
}

bool TQorFileOutput::Fail(const std::string& Reason) {
    if (FError.empty())
        FError = Reason;
    FOk = false;
    return false;
}

bool TQorFileOutput::Write(const char* Data, size_t Size) {
    if (!FOk)
        return false;
    if (FSave) {
        if (FSave->write(Data, qint64(Size)) != qint64(Size))
            return Fail(FSave->errorString().toStdString());
        return true;
    }
    while (Size > 0) {
        const ssize_t n = ::write(FFd, Data, Size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(std::strerror(n < 0 ? errno : EIO));
        Data += n;
        Size -= size_t(n);
    }
    return true;
}

bool TQorFileOutput::Commit() {
    if (FSave) {
        if (!FOk) {
            FSave->cancelWriting();
            FSave->commit();
            return false;
        }
        return FSave->commit() || Fail(FSave->errorString().toStdString());
    }
    if (FFd < 0)
        return false;
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0)
        return Fail(std::strerror(errno));
    return FOk;
}

bool WriteFileAtomically(const std::string& FileName, std::string_view Text) {
    TQorFileOutput out(FileName);
    out.Write(Text);
    return out.Commit();
}
