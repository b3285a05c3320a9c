#pragma once
// A file the wizard edits without a controller: a configuration file, or a default file
// ("...V.v", the 128 bytes as first read from a controller). The pages start from the file's
// reference image and take its setting lines as Load takes them; Finish saves the file back in
// its own format.

#include <optional>

#include <QString>

#include "CalibrationImage.h"
#include "ConfigFile.h"
#include "ExitStatus.h"

class ResourceModule;
class SettingsPage;

class EditedFile {
public:
    // Why a file cannot be edited, with the exit status the workshop commands give for it:
    // 1 the file cannot be read or its controller is refused, 2 its content is wrong.
    struct Failure {
        int status;
        QString text;
    };
    static constexpr int Failed = exitstatus::Failed;
    static constexpr int WrongContent = exitstatus::Usage;

    // Reads path, in the format its name says, and refuses the controllers the wizard refuses
    // (the module's own message). Texts are in the module's language.
    static std::optional<EditedFile> open(const QString& path, const ResourceModule& module,
                                          Failure* failure);

    const QString& path() const { return path_; }
    bool isDefaultFile() const { return !settings_.has_value(); }
    // What the pages start from: the image block, or the default file's bytes.
    const CalibrationImage& reference() const { return reference_; }
    // The setting lines to take as Load takes them; null for a default file.
    const config::ConfigFile* settings() const { return settings_ ? &*settings_ : nullptr; }
    // What the file says: the reference with the setting lines applied.
    CalibrationImage content() const;

    // Saves the settings of image, as the pages store them, in the file's own format: a
    // configuration file keeps its identity and reference block. Empty when saved (the file is
    // then what was written), otherwise why not; the file on disk is then as it was.
    QString save(const CalibrationImage& image, config::Language language);

    // The module's last page asks to write the controller; a file's wizard saves the file
    // instead, and its last page says so, in language.
    static void sayFinishSaves(SettingsPage* lastPage, config::Language language);

private:
    QString path_;
    CalibrationImage reference_;
    std::optional<config::ConfigFile> settings_;
};
