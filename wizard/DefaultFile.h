#pragma once

#include <QString>

class CalibrationImage;

// The per-controller default configuration: the 128 image bytes as read at the first meeting
// with a controller, in "<identityText>V.v" in the program's directory.
class DefaultFile {
public:
    static constexpr qint64 Size = 128;

    DefaultFile(const QString& directory, const QString& identityText);
    QString path() const { return path_; }

    // Keeps the first copy: a file that already holds a whole image is left alone; a missing,
    // empty or damaged one is (re)written atomically with the image. False when it had to be
    // written and could not be completely (a full disk included); the file then stays as it was.
    bool SaveDefaultFile(const CalibrationImage& image) const;

    // Reads the saved image into image. On failure (missing, unreadable, or not exactly 128
    // bytes) the image is unchanged and *error says why.
    bool read(CalibrationImage& image, QString* error) const;

private:
    QString path_;
};
