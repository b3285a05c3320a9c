#pragma once
// Small text edits of configuration files; random images come from tests/support.

#include <QString>
#include <QStringList>

#include "../support/RandomImage.h"
#include "CalibrationImage.h"
#include "ConfigFile.h"

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
