#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <QFile>
#include <QFileInfo>

namespace {

bool writeAll(int fd, const char* data, qint64 count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, data, static_cast<std::size_t>(count));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        count -= n;
    }
    return true;
}

}  // namespace

bool writeFileAtomically(const QString& path, const void* data, qint64 size, QString* error) {
    const QFileInfo target(path);
    QByteArray temp = QFile::encodeName(target.absoluteFilePath()) + ".XXXXXX";
    const auto fail = [&](int code) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2")
                         .arg(path, QString::fromLocal8Bit(std::strerror(code)));
        return false;
    };
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    const bool written = ::fchmod(fd, 0644) == 0 &&
                         writeAll(fd, static_cast<const char*>(data), size) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed ||
        ::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        const int code = !written ? writeErrno : errno;
        ::unlink(temp.constData());
        return fail(code);
    }
    // The rename itself is made durable by syncing the directory.
    const int dir = ::open(QFile::encodeName(target.absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}
