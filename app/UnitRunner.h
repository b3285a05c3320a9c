#pragma once
// Several controllers handled at once, one unit a port: each unit's work on a thread of its
// own, a line of progress per unit while they work and a summary table at the end.

#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "CalibrationImage.h"

// What came of one unit: what the commands print and what --json reports of it.
struct UnitReport {
    QString port;
    std::optional<CalibrationImage> controller;  // as read; none when it was not
    // "verified", "refused", "unchanged", "unreachable", ...: see the README's list.
    QString outcome;
    int status = 0;    // the exit status a single run would give
    qint64 entry = 0;  // the journal entry, 0 when none
    QString file;      // the file read into
    QJsonArray changes;
    QJsonObject settings;  // the controller's, when read into a file
    QStringList lines;     // what a single run prints on standard output
    QStringList errors;    // and on standard error
    bool found = false;    // a controller answered on the port

    QJsonObject json() const;
};

// Where a unit's work reports. A single run prints at once and works on its own thread; a
// batch keeps the lines for the end and hands main-thread work over.
class UnitChannel {
public:
    virtual ~UnitChannel() = default;
    virtual void say(const QString& line) = 0;
    virtual void fail(const QString& line) = 0;
    // The controller answered and was read.
    virtual void found(const CalibrationImage& controller) = 0;
    // What the unit does now ("writing"), and the step of it ("Writing chunk 3 of 8").
    virtual void stage(const QString& what) = 0;
    virtual void detail(const QString& what) = 0;
};

enum class Progress {
    None,     // nothing while the units work
    Lines,    // a line whenever a unit's stage changes
    InPlace,  // one line per unit, redrawn (a terminal)
};

// Runs job for every unit at once, each on a thread of its own, and returns when all are done.
// The main thread meanwhile shows the progress on out. With onlyFound, a unit's line shows only
// once its controller answered.
void runUnits(std::vector<UnitReport>& units,
              const std::function<void(UnitReport&, UnitChannel&)>& job, Progress progress,
              bool onlyFound, std::FILE* out = stdout);

// The table printed after a batch: a header, then port, model, serial and outcome per unit.
QStringList summaryTable(const std::vector<UnitReport>& units);
