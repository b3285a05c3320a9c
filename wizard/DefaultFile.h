#pragma once

#include <QString>
#include <QStringList>

#include "SettingsFile.h"

class CalibrationImage;

// The per-controller default configuration: the 128 image bytes as read at the first meeting
// with a controller, in "<identityText>V.v". A program run from its build folder or a portable
// copy keeps the file beside itself; an installed one (dataDirectory given) in the user's data
// folder. Files are looked for beside the program first, so those kept by earlier runs are
// still found, then in the data folder.
class DefaultFile {
public:
    static constexpr qint64 Size = config::DefaultFileSize;

    // True when the file's name is that of a default file ("...V.v").
    static bool isDefaultFileName(const QString& path);
    // Writes image atomically as a default file holds it; false, with *reason, when it was not.
    static bool writeImage(const QString& path, const CalibrationImage& image,
                           QString* reason = nullptr);

    DefaultFile(const QString& programDirectory, const QString& identityText,
                const QString& dataDirectory = {});
    // The file Default reads: the first place holding a whole image, else the first file
    // found, else where a new one is written.
    QString path() const;

    // Keeps the first copy: a file that already holds a whole image is left alone; a missing,
    // empty or damaged one is (re)written atomically with the image. False when it had to be
    // written and could not be completely (a full disk included); the file then stays as it was.
    bool SaveDefaultFile(const CalibrationImage& image) const;

    // Reads the saved image into image. On failure (missing, unreadable, or not exactly 128
    // bytes) the image is unchanged and *error says why.
    bool read(CalibrationImage& image, QString* error) const;

private:
    QStringList places_;  // where the file is looked for, in order
    QString target_;      // where a new file is written
};
