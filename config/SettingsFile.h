#pragma once
// A file of settings as edit, show and diff read it: a configuration file, or a default file
// ("...V.v", the 128 bytes the wizard keeps of a controller as first read). The format is
// decided by the name, as the wizard names default files.

#include <optional>
#include <vector>

#include <QString>

#include "CalibrationImage.h"
#include "ConfigFile.h"

namespace config {

constexpr char DefaultFileSuffix[] = "V.v";
constexpr qint64 DefaultFileSize = CalibrationImage::Size;

// True when the file's name is that of a default file.
bool isDefaultFileName(const QString& path);

struct SettingsFile {
    CalibrationImage reference;          // the image block, or the default file's bytes
    std::optional<ConfigFile> settings;  // the setting lines; none for a default file

    // What the file says: the reference with the setting lines applied.
    CalibrationImage content() const;
};

struct SettingsFileRead {
    bool ok() const { return file.has_value(); }

    std::optional<SettingsFile> file;  // none when there is an error
    std::optional<Message> error;      // Unreadable: the file failed; any other: its content
    std::vector<Message> warnings;
};

SettingsFileRead readSettingsFile(const QString& path);

}  // namespace config
