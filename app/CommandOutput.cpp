// What the commands print, and the check that it all got there.
#include "CommandRun.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <tuple>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include "AtomicFile.h"
#include "CVexlaControllerApp.h"
#include "CalibrationImage.h"
#include "Changes.h"
#include "ConfigFile.h"
#include "ControllerLink.h"
#include "FileNames.h"
#include "HelpPages.h"
#include "Journal.h"
#include "JsonReport.h"
#include "PortSystem.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "Settings.h"
#include "SharedJournal.h"
#include "SqliteJournal.h"
#include "SystemError.h"
#include "Translation.h"
#include "UnitPages.h"
#include "UnitRunner.h"

namespace cli {

Output& output() {
    static Output o;
    return o;
}

namespace {

// The first failure to write standard output (its errno), so that output lost to a full disk or
// a closed file is a failure of the run, not a silent success; and whether it was said.
int stdoutFailure = 0;
bool stdoutFailureSaid = false;

}  // namespace

void put(const QByteArray& bytes) {
    if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) !=
            static_cast<std::size_t>(bytes.size()) &&
        stdoutFailure == 0)
        stdoutFailure = errno != 0 ? errno : EIO;
}

void print(const QString& text) {
    put(text.toUtf8() + '\n');
}

void out(const QString& text) {
    if (!output().json)
        print(visibleText(text));
}

void outLines(const QString& text) {
    for (const QString& line : text.split(QLatin1Char('\n'))) out(line);
}

void err(const QString& text) {
    // One line per failure, so that scripts and logs keep it whole: the message's own line
    // breaks become blanks, and any other control character (a NUL in a value) is shown escaped
    // instead of cutting or hiding the rest of the line.
    static const QRegularExpression breaks(QStringLiteral(" *\n[ \n]*"));
    QString line = text;
    line.replace(breaks, QStringLiteral(" "));
    while (line.startsWith(QLatin1Char(' '))) line.remove(0, 1);
    while (line.endsWith(QLatin1Char(' '))) line.chop(1);
    const QByteArray bytes = ("trnsetup: " + visibleText(line) + '\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    if (Output& o = output(); o.json) {
        const std::lock_guard<std::mutex> lock(o.mutex);
        o.errors.append(visibleText(line));
    }
}

int batchStatus(const std::vector<UnitReport>& units) {
    int status = Done;
    for (const UnitReport& u : units) {
        if (u.status == Failed)
            return Failed;
        if (u.status == Usage || (u.status == Unrecorded && status == Done))
            status = u.status;
    }
    return status;
}

bool writeStdoutText(const QString& text, const std::function<void(const QString&)>& fail) {
    put(text.toUtf8());
    if (std::fflush(stdout) != 0 && stdoutFailure == 0)
        stdoutFailure = errno;
    if (stdoutFailure == 0)
        return true;
    stdoutFailureSaid = true;
    fail(QCoreApplication::translate("Commands", "cannot write the file to standard output: ") +
         systemErrorText(stdoutFailure));
    return false;
}

int checkedStdout(int status) {
    if (std::fflush(stdout) != 0 && stdoutFailure == 0)
        stdoutFailure = errno != 0 ? errno : EIO;
    // What the batch progress printed itself is checked too.
    if (std::ferror(stdout) && stdoutFailure == 0)
        stdoutFailure = EIO;
    if (stdoutFailure == 0)
        return status;
    if (stdoutFailureSaid)
        return Failed;
    output().json = false;  // the JSON itself is what was lost: the reason goes to stderr only
    err(QCoreApplication::translate("Commands", "cannot write to standard output: ") +
        systemErrorText(stdoutFailure));
    return Failed;
}

namespace {

// The commands, one by one.
QString commandsText() {
    return QStringLiteral(
        "Usage:\n"
        "  trnsetup read [--port DEV]... -o FILE\n"
        "      Reads the controller into a configuration file.\n"
        "  trnsetup read --all-ports [--port DEV]... -o FOLDER\n"
        "      Reads every controller that answers into FOLDER, one file a unit, named like\n"
        "      TRN48201-000AB0FF.trncfg.\n"
        "  trnsetup write FILE [--port DEV]... --yes [--adjust] [--no-verify]\n"
        "                 [--without-journal]\n"
        "      Writes the file's settings to the controller as the wizard's pages take them,\n"
        "      then reads it back to check. A line the controller will not take as written\n"
        "      (outside the page's range, not offered on this controller, refused) is named\n"
        "      and nothing is written, unless --adjust writes what the pages would.\n"
        "  trnsetup write FILE --port A --port B... --yes | --all-ports --yes\n"
        "      A batch: the file onto the controller on every port named (or on every port\n"
        "      where one answers) at once, each unit as a single write; a line per unit\n"
        "      while they work, then a table of port, model, serial and outcome.\n"
        "  trnsetup station FILE [--port DEV]... [--port-folder FOLDER] [--report FOLDER]\n"
        "      The production line in a window (needs a display): a tile per port; every\n"
        "      controller that appears on one is written as write FILE --port DEV --yes\n"
        "      writes it, once while it stays connected. Counters for the session, and its\n"
        "      report (CSV and PDF) saved into the folder of --report (default: the data\n"
        "      folder's station-reports) by a button and on close.\n"
        "  trnsetup show FILE\n"
        "      Prints the settings of a configuration file.\n"
        "  trnsetup diff A B\n"
        "      Prints the controller and the settings that differ between two configuration\n"
        "      files; exits 0 when none differs, 1 when some do, 2 on trouble.\n"
        "  trnsetup history [--port DEV]... | MODEL-SERIAL\n"
        "      Lists the journal's entries of the controller on the port (or of the unit\n"
        "      named, like TRN48201-000AB0FF), newest first: entry number, UTC time,\n"
        "      outcome, program.\n"
        "  trnsetup history --export ENTRY -o FILE\n"
        "      Writes the image of a journal entry into a configuration file.\n"
        "  trnsetup history [MODEL-SERIAL] [--station NAME] [--since TIME] [--until TIME]\n"
        "                   [--where 'SETTING OP VALUE']...\n"
        "      Lists the entries that match, newest first: entry number, UTC time, outcome,\n"
        "      unit, station, program; on a shared journal also the role that made the\n"
        "      entry, after the station. OP is one of < <= = != >= >, the setting named as\n"
        "      in configuration files: --where 'max_motor_current>80%'. TIME is a date or a\n"
        "      date and time, UTC unless it has an offset (2024-05-01, 2024-05-01T08:00).\n"
        "  trnsetup history --window [MODEL-SERIAL] [--station NAME] [--since TIME]\n"
        "                   [--until TIME] [--where 'SETTING OP VALUE']...\n"
        "      The journal in a window (needs a display): its entries newest first, filtered\n"
        "      as above; what each changed, two compared, one exported into a file.\n"
        "  trnsetup history --init [--sync]\n"
        "      Creates the shared journal on the server, or upgrades it (its owner runs it);\n"
        "      with --sync, then sends what waits at this station.\n"
        "  trnsetup history --sync\n"
        "      Sends the entries that wait at this station to the server.\n"
        "Options:\n");
}

// The options and the statuses, after the commands.
QString optionsText() {
    return QStringLiteral(

        "  -l, --language english|chinese|FILE  Language of names and messages (english).\n"
        "  -p, --port DEV     Serial device to search; repeat for several. Default: all.\n"
        "                     write with several: one unit a port.\n"
        "  --all-ports        read, write: every port where a controller answers (of those\n"
        "                     named, if any), one unit each.\n"
        "  --json             Prints one JSON document (format 1) on standard output:\n"
        "                     settings, changes, units, entries, errors and \"status\",\n"
        "                     the exit status. trnsetup show F --json prints\n"
        "                     {\"format\": 1, \"command\": \"show\", \"status\": 0,\n"
        "                      \"settings\": {\"max_motor_current\": {\"value\": 90,\n"
        "                      \"unit\": \"%\", ...}, ...}, \"errors\": [], ...}\n"
        "  --port-folder FOLDER  station: the devices linked in this folder, followed as\n"
        "                     they come and go, instead of the system's serial ports.\n"
        "  --report FOLDER    station: the folder its session reports are saved into.\n"
        "  -o, --output FILE  File that read or history --export writes (a new name or a\n"
        "                     regular file; - writes it to standard output).\n"
        "  --export ENTRY     Journal entry to write into a file (history).\n"
        "  --yes              Confirms that the motor is not running (write).\n"
        "  --adjust           Writes the values the pages would take instead of refusing.\n"
        "  --no-verify        Skips reading back after a write.\n"
        "  --force            Writes even when no setting changes.\n"
        "  --without-journal  Writes even when the journal cannot record the write (exit\n"
        "                     status 3); without it nothing is sent then (exit status 1).\n"
        "  --history URL      Journal on a shared server: postgresql://USER@HOST[:PORT]/DB,\n"
        "                     ?sslmode=require to insist on TLS; 'local' for this station's\n"
        "                     own. Else TRNSETUP_HISTORY, else 'history' in\n"
        "                     ~/.config/trnsetup/trnsetup.conf. Passwords come from\n"
        "                     ~/.pgpass (or PGPASSFILE), never from the command line.\n"
        "  --station NAME     The station the entries name (write; the host name unless\n"
        "                     given here or as 'station' in the settings file); history:\n"
        "                     only this station's entries.\n"
        "Configuration files hold one 'name = value' line per setting, the controller's\n"
        "whole image last; '#' starts a comment listing what a setting takes:\n"
        "  max_motor_current = 90%            # Max Motor Current, 20%..100%\n"
        "  throttle_sensor_type = 1-4V        # Throttle Sensor Type: 0-5V, 1-4V, 0-5K\n"
        "  hall_sensor_type = \"120 degree\"   # Hall Sensor Type: 60 degree, 120 degree\n"
        "  control_mode = speed               # Control Mode: torque, balanced, speed\n"
        "  abs = on                           # ABS: on or off\n"
        "Exit status: 0 everything asked for happened, the journal entry included;\n"
        "1 the controller, a file, the journal or standard output failed; 2 a mistake on\n"
        "the command line, a file that does not read, or one the controller would not take\n"
        "as written; 3 written and verified, but the journal does not record it\n"
        "(--without-journal, or an outcome it could not take); 4 everything happened, but journal\n"
        "entries wait at this station to be shared with the server (the server is away or\n"
        "refuses them; history --sync sends them later). diff: 0 the same, 1 different,\n"
        "2 trouble. A batch exits with the most serious status of its units: 1, then 2,\n"
        "then 3; 0 (or 4) only when every unit was written (and verified, unless\n"
        "--no-verify) or held the file already.");
}

}  // namespace

QString usageText(const QString& command) {
    if (command.isEmpty())
        return commandsText() + optionsText();
    // A command's own entries: each begins "  trnsetup COMMAND" and goes on in the lines
    // indented deeper.
    QStringList kept;
    bool keeping = true;  // the "Usage:" line
    const QString head = QStringLiteral("  trnsetup ") + command;
    for (const QString& line : commandsText().split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("  trnsetup ")))
            keeping = line == head || line.startsWith(head + QLatin1Char(' '));
        else if (!line.startsWith(QLatin1String("   ")))
            keeping = true;  // "Usage:", "Options:"
        if (keeping)
            kept << line;
    }
    return kept.join(QLatin1Char('\n')) + optionsText();
}

}  // namespace cli
