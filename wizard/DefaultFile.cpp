#include "DefaultFile.h"

#include <cstring>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "AtomicFile.h"
#include "CalibrationImage.h"
#include "SettingsFile.h"
#include "SystemError.h"

DefaultFile::DefaultFile(const QString& programDirectory, const QString& identityText,
                         const QString& dataDirectory) {
    const QString name = identityText + QLatin1String(config::DefaultFileSuffix);
    places_ << QDir(programDirectory).filePath(name);
    if (!dataDirectory.isEmpty())
        places_ << QDir(dataDirectory).filePath(name);
    target_ = places_.constLast();
}

namespace {

bool holdsWholeImage(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.size() == DefaultFile::Size;
}

}  // namespace

QString DefaultFile::path() const {
    for (const QString& place : places_)
        if (holdsWholeImage(place))
            return place;
    for (const QString& place : places_)
        if (QFileInfo::exists(place))
            return place;
    return target_;
}

bool DefaultFile::SaveDefaultFile(const CalibrationImage& image) const {
    for (const QString& place : places_)
        if (holdsWholeImage(place))
            return true;
    // Only a regular file or a new name is written: a folder or a device in its place stays.
    const QFileInfo info(target_);
    // The data folder may not exist yet; the program's own folder is never created.
    const bool inDataFolder = places_.size() > 1;
    if (inDataFolder && !QDir().mkpath(info.absolutePath()))
        return false;
    return writeImage(target_, image);
}

bool DefaultFile::isDefaultFileName(const QString& path) {
    return config::isDefaultFileName(path);
}

bool DefaultFile::writeImage(const QString& path, const CalibrationImage& image, QString* reason) {
    return writeFileAtomically(
        path, QByteArrayView(reinterpret_cast<const char*>(image.data()), Size), reason);
}

bool DefaultFile::read(CalibrationImage& image, QString* error) const {
    const QString filePath = path();
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error =
                QCoreApplication::translate("Wizard",
                                            "Cannot open the default configuration file\n%1\n\n%2")
                    .arg(QDir::toNativeSeparators(filePath), systemErrorText(file.errorString()));
        return false;
    }
    if (file.size() != Size) {
        if (error)
            *error = QCoreApplication::translate(
                         "Wizard",
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
            *error =
                QCoreApplication::translate("Wizard",
                                            "Cannot read the default configuration file\n%1\n\n%2")
                    .arg(QDir::toNativeSeparators(filePath), systemErrorText(file.errorString()));
        return false;
    }
    std::memcpy(image.data(), bytes.constData(), Size);
    return true;
}
