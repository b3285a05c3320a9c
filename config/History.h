#pragma once
// Every image written to a controller, kept as a configuration file named by the time of the
// write, in one folder per controller (model name and serial number). Nothing is ever
// replaced: a name already taken gets a sequence number.

#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>

#include "CalibrationImage.h"
#include "ConfigFile.h"

namespace config {

class History {
public:
    // base: the folder that holds the per-controller folders (the program passes its data
    // location).
    explicit History(QString base) : base_(std::move(base)) {}

    struct Entry {
        QString path;
        QDateTime time;  // UTC
        int sequence;    // 1, or more for later writes within the same millisecond
    };

    // The folder of this controller's entries.
    QString folderFor(const CalibrationImage& image) const;
    // Saves image as written at info.date; the path of the new entry, or why it failed.
    std::optional<Message> save(const CalibrationImage& image, const FileInfo& info,
                                Language language, QString* path = nullptr) const;
    // This controller's entries, newest first.
    std::vector<Entry> entries(const CalibrationImage& image) const;

private:
    QString base_;
};

}  // namespace config
