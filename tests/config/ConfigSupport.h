#pragma once
// Images of random bytes with a chosen identity, and small text edits of configuration files.

#include <random>

#include <QString>
#include <QStringList>

#include "CalibrationImage.h"
#include "ConfigFile.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline CalibrationImage randomImage(unsigned seed, unsigned firmware, const char* model,
                                    char variant) {
    std::mt19937 random(seed);
    CalibrationImage image;
    for (int i = 0; i < CalibrationImage::Size; ++i)
        image.setByte(i, static_cast<std::uint8_t>(random()));
    for (int i = 0; i < 8; ++i)
        image.setByte(Field::Model + i, static_cast<std::uint8_t>(model[i]));
    image.setByte(Field::VersionMajor, static_cast<std::uint8_t>(firmware >> 8));
    image.setByte(Field::VersionMinor, static_cast<std::uint8_t>(firmware));
    image.setByte(Field::Variant, static_cast<std::uint8_t>(variant));
    return image;
}

inline const config::FileInfo SampleInfo{
    QDateTime(QDate(2024, 5, 1), QTime(10, 0), Qt::OffsetFromUTC, 7200),
    QStringLiteral("trnsetup 4.1.0")};

// The 1-based number of the last line that starts with prefix; 0 when none does.
inline int lineStarting(const QString& text, const QString& prefix) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    int found = 0;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(prefix))
            found = i + 1;
    return found;
}

// Replaces the whole line that starts with prefix.
inline QString replaceLine(QString text, const QString& prefix, const QString& line) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.startsWith(prefix))
            l = line;
    return lines.join(QLatin1Char('\n'));
}

// Inserts line before the first line that starts with prefix.
inline QString insertBefore(QString text, const QString& prefix, const QString& line) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(prefix)) {
            lines.insert(i, line);
            break;
        }
    return lines.join(QLatin1Char('\n'));
}
