#include "DefaultFile.h"

#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "CalibrationImage.h"

DefaultFile::DefaultFile(const QString& directory, const QString& identityText)
    : path_(QDir(directory).filePath(identityText + QStringLiteral("V.v"))) {}

bool DefaultFile::SaveDefaultFile(const CalibrationImage& image) const {
    const QFileInfo info(path_);
    if (info.exists() && info.isFile() && info.size() == Size) return true;
    if (info.exists() && !info.isFile()) return false;

    // Written through a temporary file and renamed into place, so that a crash or a full disk
    // never leaves a partial copy that would later pass for the controller's default.
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(reinterpret_cast<const char*>(image.data()), Size) != Size) return false;
    return file.commit();  // an uncommitted QSaveFile leaves the old state in place
}

bool DefaultFile::read(CalibrationImage& image, QString* error) const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot open the default configuration file\n%1\n\n%2")
                         .arg(QDir::toNativeSeparators(path_), file.errorString());
        return false;
    }
    if (file.size() != Size) {
        if (error)
            *error = QStringLiteral(
                         "The default configuration file\n%1\nis damaged: it holds %2 bytes "
                         "instead of %3. The configuration was not changed.")
                         .arg(QDir::toNativeSeparators(path_))
                         .arg(file.size())
                         .arg(Size);
        return false;
    }
    const QByteArray bytes = file.read(Size);
    if (bytes.size() != Size) {
        if (error)
            *error = QStringLiteral("Cannot read the default configuration file\n%1\n\n%2")
                         .arg(QDir::toNativeSeparators(path_), file.errorString());
        return false;
    }
    std::memcpy(image.data(), bytes.constData(), Size);
    return true;
}
