#include "SettingsFile.h"

#include <cstring>

#include <QFileInfo>

namespace config {

bool isDefaultFileName(const QString& path) {
    return QFileInfo(path).fileName().endsWith(QLatin1String(DefaultFileSuffix));
}

CalibrationImage SettingsFile::content() const {
    return settings ? settings->settingsImage() : reference;
}

SettingsFileRead readSettingsFile(const QString& path) {
    SettingsFileRead result;
    if (!isDefaultFileName(path)) {
        ReadResult read = ConfigFile::load(path);
        result.error = std::move(read.error);
        result.warnings = std::move(read.warnings);
        if (read.file)
            result.file = SettingsFile{read.file->image(), std::move(read.file)};
        return result;
    }
    QByteArray bytes;
    if (const int code = readRegularFile(path, DefaultFileSize, &bytes)) {
        result.error = Message{Message::Kind::Unreadable, 0, {path, readFailureReason(code)}};
        return result;
    }
    if (bytes.size() != DefaultFileSize) {
        result.error = Message{Message::Kind::NotDefaultFile,
                               0,
                               {QString::number(bytes.size()), QString::number(DefaultFileSize)}};
        return result;
    }
    SettingsFile file;
    std::memcpy(file.reference.data(), bytes.constData(), CalibrationImage::Size);
    result.file = std::move(file);
    return result;
}

}  // namespace config
