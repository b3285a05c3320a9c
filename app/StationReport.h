#pragma once
// The shift's record of a station session: one row per unit met, saved as CSV for the
// spreadsheet and as a PDF to print, both beside each other in the report folder.

#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

struct StationRow {
    QDateTime time;  // when its outcome came
    QString port;
    QString unit;  // MODEL-SERIAL as the journal names it
    QString outcome;
    qint64 entry = 0;  // 0 when none
};

struct StationRecord {
    QString title;          // the window's, on the PDF
    QStringList fileLines;  // the file's identity and settings
    QStringList headings;   // time, port, unit, outcome, entry in the session's language
    QString counters;       // the counters line as the window shows it
    std::vector<StationRow> rows;
};

// Saves the CSV and the PDF at base + ".csv" / ".pdf"; the reason when one fails.
QString saveStationRecord(const StationRecord& record, const QString& base);
// The CSV's text: a heading row, then a row per unit, fields quoted where they need it.
QString stationCsv(const StationRecord& record);
