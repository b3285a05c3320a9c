#include "DefaultFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "CalibrationImage.h"

DefaultFile::DefaultFile(const QString& programDirectory, const QString& identityText,
                         const QString& dataDirectory) {
    const QString name = identityText + QStringLiteral("V.v");
    places_ << QDir(programDirectory).filePath(name);
    if (!dataDirectory.isEmpty()) places_ << QDir(dataDirectory).filePath(name);
    target_ = places_.constLast();
}

namespace {

bool holdsWholeImage(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.size() == DefaultFile::Size;
}

bool writeAll(int fd, const char* data, qint64 count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, data, static_cast<std::size_t>(count));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        count -= n;
    }
    return true;
}

// Written to a temporary file beside the target and renamed over it only once every byte is
// written, flushed and synced: a full disk or a crash never leaves a partial copy that would
// later pass for the controller's default, nor spoils the file that stood there.
bool writeAtomically(const QString& path, const char* data, qint64 size) {
    const QFileInfo target(path);
    QByteArray temp = QFile::encodeName(target.absoluteFilePath()) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::fchmod(fd, 0644) == 0 && writeAll(fd, data, size) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    const int dir = ::open(QFile::encodeName(target.absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);  // makes the rename itself durable
        ::close(dir);
    }
    return true;
}

}  // namespace

QString DefaultFile::path() const {
    for (const QString& place : places_)
        if (holdsWholeImage(place)) return place;
    for (const QString& place : places_)
        if (QFileInfo::exists(place)) return place;
    return target_;
}

bool DefaultFile::SaveDefaultFile(const CalibrationImage& image) const {
    for (const QString& place : places_)
        if (holdsWholeImage(place)) return true;
    const QFileInfo info(target_);
    if (info.exists() && !info.isFile()) return false;
    // The data folder may not exist yet; the program's own folder is never created.
    const bool inDataFolder = places_.size() > 1;
    if (inDataFolder && !QDir().mkpath(info.absolutePath())) return false;
    return writeAtomically(target_, reinterpret_cast<const char*>(image.data()), Size);
}

bool DefaultFile::read(CalibrationImage& image, QString* error) const {
    const QString filePath = path();
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot open the default configuration file\n%1\n\n%2")
                         .arg(QDir::toNativeSeparators(filePath), file.errorString());
        return false;
    }
    if (file.size() != Size) {
        if (error)
            *error = QStringLiteral(
                         "The default configuration file\n%1\nis damaged: it holds %2 bytes "
                         "instead of %3. The configuration was not changed.")
                         .arg(QDir::toNativeSeparators(filePath))
                         .arg(file.size())
                         .arg(Size);
        return false;
    }
    const QByteArray bytes = file.read(Size);
    if (bytes.size() != Size) {
        if (error)
            *error = QStringLiteral("Cannot read the default configuration file\n%1\n\n%2")
                         .arg(QDir::toNativeSeparators(filePath), file.errorString());
        return false;
    }
    std::memcpy(image.data(), bytes.constData(), Size);
    return true;
}
