#include "Commands.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <tuple>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLayout>
#include <QRegularExpression>
#include <QStandardPaths>

#include "AtomicFile.h"
#include "CVexlaControllerApp.h"
#include "CalibrationImage.h"
#include "Changes.h"
#include "ConfigFile.h"
#include "ControllerLink.h"
#include "FileNames.h"
#include "Journal.h"
#include "JsonReport.h"
#include "PageBook.h"
#include "PortSystem.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "Settings.h"
#include "SharedJournal.h"
#include "SqliteJournal.h"
#include "Translation.h"
#include "UnitRunner.h"

namespace {

constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;       // also a file whose content is wrong or not taken as written
constexpr int Unrecorded = 3;  // written and verified, but the journal does not say so
// Everything asked for happened, but journal entries wait at this station to be shared with
// the server: not a failure, and the line goes on; a later run or history --sync sends them.
constexpr int Waiting = 4;

constexpr int MsgWarning = 110;

const QStringList Commands{QStringLiteral("read"), QStringLiteral("write"), QStringLiteral("show"),
                           QStringLiteral("diff"), QStringLiteral("history")};

// With --json, standard output holds the JSON only; every line for stderr is also one of
// its errors. Units' threads may fail at once.
struct Output {
    bool json = false;
    std::mutex mutex;
    QJsonArray errors;
};

Output& output() {
    static Output o;
    return o;
}

void print(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

// UTF-8 whatever the locale: names and files are UTF-8, and the Chinese names must survive.
void out(const QString& text) {
    if (!output().json)
        print(text);
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

// A single run's unit: its lines printed as they come (or only kept, for a batch to print),
// its main-thread work done at once.
class DirectChannel : public UnitChannel {
public:
    explicit DirectChannel(UnitReport& unit, bool print = true) : unit_(unit), print_(print) {}
    void say(const QString& line) override {
        unit_.lines << line;
        if (print_)
            out(line);
    }
    void fail(const QString& line) override {
        unit_.errors << line;
        if (print_)
            err(line);
    }
    void found(const CalibrationImage&) override {}
    void stage(const QString&) override {}
    void detail(const QString&) override {}
    void onMain(const std::function<void()>& work) override { work(); }

private:
    UnitReport& unit_;
    bool print_;
};

// Nothing asks the user while the pages take a file: their refusals are reported as
// adjustments.
class SilentPrompter : public Prompter {
public:
    Answer ask(int, Buttons, const QString&) override { return Answer::Ok; }
    void tell(const QString&) override {}
};

// A batch's status: the most serious of its units', failures first, then files to mend, then
// writes the journal missed.
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

QString usageText() {
    return QStringLiteral(
        "Usage:\n"
        "  trnsetup read [--port DEV]... -o FILE\n"
        "      Reads the controller into a configuration file.\n"
        "  trnsetup read --all-ports [--port DEV]... -o FOLDER\n"
        "      Reads every controller that answers into FOLDER, one file a unit, named like\n"
        "      TRN48201-000AB0FF.trncfg.\n"
        "  trnsetup write FILE [--port DEV]... --yes [--adjust] [--no-verify]\n"
        "      Writes the file's settings to the controller as the wizard's pages take them,\n"
        "      then reads it back to check. A line the controller will not take as written\n"
        "      (outside the page's range, not offered on this controller, refused) is named\n"
        "      and nothing is written, unless --adjust writes what the pages would.\n"
        "  trnsetup write FILE --port A --port B... --yes | --all-ports --yes\n"
        "      A batch: the file onto the controller on every port named (or on every port\n"
        "      where one answers) at once, each unit as a single write; a line per unit\n"
        "      while they work, then a table of port, model, serial and outcome.\n"
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
        "      unit, station, program. OP is one of < <= = != >= >, the setting named as in\n"
        "      configuration files: --where 'max_motor_current>80%'. TIME is a date or a\n"
        "      date and time, UTC unless it has an offset (2024-05-01, 2024-05-01T08:00).\n"
        "  trnsetup history --init\n"
        "      Creates the shared journal on the server, or upgrades it (its owner runs it).\n"
        "  trnsetup history --sync\n"
        "      Sends the entries that wait at this station to the server.\n"
        "Options:\n"
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
        "  -o, --output FILE  File that read or history --export writes (a new name or a\n"
        "                     regular file; - writes it to standard output).\n"
        "  --export ENTRY     Journal entry to write into a file (history).\n"
        "  --yes              Confirms that the motor is not running (write).\n"
        "  --adjust           Writes the values the pages would take instead of refusing.\n"
        "  --no-verify        Skips reading back after a write.\n"
        "  --force            Writes even when no setting changes.\n"
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
        "1 the controller or a file failed; 2 a mistake on the command line, a file that\n"
        "does not read, or one the controller would not take as written; 3 written and\n"
        "verified, but the journal does not record it; 4 everything happened, but journal\n"
        "entries wait at this station to be shared with the server (the server is away or\n"
        "refuses them; history --sync sends them later). diff: 0 the same, 1 different,\n"
        "2 trouble. A batch exits with the most serious status of its units: 1, then 2,\n"
        "then 3; 0 (or 4) only when every unit was written and verified (or held the file).");
}

// What a command works with: its options and the language chosen.
struct Run {
    QString command;
    QStringList files;
    QStringList ports;
    QString output;
    bool yes = false;
    bool adjust = false;
    bool force = false;
    bool verify = true;
    bool allPorts = false;  // every port on which a controller answers: one unit each
    bool json = false;
    int loadFailure = Failed;  // the status of the last file loadFile refused
    qint64 exportEntry = 0;
    config::HistoryChoice historyChoice;
    config::EntryQuery query;
    bool asks = false;  // history was given a station, a time or a setting to look for
    std::unique_ptr<config::Journal> journal_;
    QString languageName = QStringLiteral("english");
    config::Language language = config::Language::English;
    ResourceModule module;
    QString programDir;
    ProgramTranslation translation;

    // The program's own messages in the language chosen.
    void translate() {
        if (!translation.install(language == config::Language::Chinese,
                                 ProgramTranslation::catalogueDir(programDir)))
            err(QStringLiteral("no catalogue %1 beside the modules: messages are in English")
                    .arg(ProgramTranslation::catalogueName()));
    }

    // Loads the language module for its messages; the module's language names the settings.
    bool loadModule() {
        const QString path =
            languageName == QLatin1String("english") || languageName == QLatin1String("chinese")
                ? moduleFile(programDir, languageName)
                : languageName;
        QString error;
        if (!module.load(path, &error)) {
            err(QStringLiteral("cannot load the language module %1: %2").arg(path, error));
            return false;
        }
        language = module.isChinese() ? config::Language::Chinese : config::Language::English;
        translate();
        return true;
    }

    // A file, with its warnings unless the pages will say what they make of it.
    std::optional<config::ConfigFile> loadFile(const QString& path, bool warn = true) {
        config::ReadResult read = config::ConfigFile::load(path);
        if (!read.ok()) {
            err(visibleText(path) + QStringLiteral(": ") + read.error->text(language));
            // A file that cannot be read failed; one that reads wrong is the user's to mend.
            loadFailure = read.error->kind == config::Message::Kind::Unreadable ? Failed : Usage;
            return std::nullopt;
        }
        if (warn)
            for (const config::Message& warning : read.warnings)
                err(visibleText(path) + QStringLiteral(": ") + warning.text(language));
        return std::move(read.file);
    }

    // Finds the controller on the ports searched and reads it, unless it is connected already.
    bool connectAndRead(ControllerLink& link, CalibrationImage& image, UnitChannel& channel,
                        const QStringList& searched) {
        channel.stage(QCoreApplication::translate("Commands", "searching"));
        if (link.portOpen != 1 && !link.ConnectController()) {
            // The search has already said what each port gave.
            channel.fail(searched.isEmpty()
                             ? QCoreApplication::translate("Commands",
                                                           "no controller found on any serial port")
                             : QCoreApplication::translate("Commands", "no controller found on ") +
                                   searched.join(QStringLiteral(", ")));
            return false;
        }
        channel.stage(QCoreApplication::translate("Commands", "reading"));
        if (!link.ReadImage(image)) {
            channel.fail(
                QCoreApplication::translate("Commands", "reading the controller failed: ") +
                link.failure);
            return false;
        }
        channel.found(image);
        return true;
    }
    bool connectAndRead(ControllerLink& link, CalibrationImage& image) {
        UnitReport unit;
        DirectChannel channel(unit);
        return connectAndRead(link, image, channel, ports);
    }

    // How the units' progress shows: not at all under --json, in place on a terminal.
    Progress progress() const {
        if (json)
            return Progress::None;
        return ::isatty(::fileno(stdout)) ? Progress::InPlace : Progress::Lines;
    }

    // Runs job for a unit on every port named (each port once), all at once, each with a link
    // of its own. With --all-ports, every port (or every one named) is tried, and a port on which
    // no controller answers is no unit.
    using UnitJob = std::function<void(ControllerLink&, UnitReport&, UnitChannel&)>;
    std::vector<UnitReport> runOnPorts(const UnitJob& job,
                                       const std::function<void()>& meanwhile = {}) {
        QStringList names;
        for (const QString& p : ports.isEmpty() ? PortSystem().portNames() : ports)
            if (!names.contains(p))
                names << p;
        std::vector<UnitReport> units(static_cast<std::size_t>(names.size()));
        for (std::size_t i = 0; i < units.size(); ++i)
            units[i].port = names[static_cast<qsizetype>(i)];
        runUnits(
            units,
            [&](UnitReport& unit, UnitChannel& channel) {
                ThreadSleeper sleeper;
                ControllerLink link(sleeper);
                PortSystem system(QStringList{unit.port});
                link.portSystem = &system;
                link.reportMessage = [&](int id) { channel.fail(module.string(id)); };
                link.searchNote = [&](const QString& note) { channel.fail(note); };
                link.progress = [&](const LinkProgress& news) { channel.detail(news.text()); };
                if (allPorts) {
                    channel.stage(QCoreApplication::translate("Commands", "searching"));
                    if (!link.ConnectController())
                        return;
                }
                unit.found = true;
                job(link, unit, channel);
                link.close();
            },
            progress(), allPorts, meanwhile);
        if (allPorts)
            std::erase_if(units, [](const UnitReport& u) { return !u.found; });
        return units;
    }

    // After a batch: each unit's lines under its port, the summary table, the units that
    // failed; their errors on stderr.
    int finishBatch(std::vector<UnitReport>& units, const QString& success) {
        reportUnits(units);
        if (units.empty()) {
            err(ports.isEmpty()
                    ? QCoreApplication::translate("Commands",
                                                  "no controller found on any serial port")
                    : QCoreApplication::translate("Commands", "no controller found on ") +
                          ports.join(QStringLiteral(", ")));
            return Failed;
        }
        for (const UnitReport& u : units)
            for (const QString& line : u.lines)
                out(visibleText(u.port) + QStringLiteral(": ") + line);
        for (const QString& line : summaryTable(units)) out(line);
        QStringList failing;
        for (const UnitReport& u : units) {
            // The search's notes name their port already.
            const QString prefix = u.port + QStringLiteral(": ");
            for (const QString& line : u.errors)
                err(line.startsWith(prefix) ? line : prefix + line);
            if (u.status == Unrecorded)
                failing << QCoreApplication::translate("Commands", "%1 (%2, not in the journal)")
                               .arg(visibleText(u.port), u.outcome);
            else if (u.status != Done)
                failing << QStringLiteral("%1 (%2)").arg(visibleText(u.port), u.outcome);
        }
        if (failing.isEmpty())
            out(QCoreApplication::translate("Commands", "All %1 units %2.")
                    .arg(units.size())
                    .arg(success));
        else
            out(QCoreApplication::translate("Commands", "%1 of %2 units not %3: %4")
                    .arg(failing.size())
                    .arg(units.size())
                    .arg(success, failing.join(QStringLiteral(", "))));
        return batchStatus(units);
    }

    void reportUnits(const std::vector<UnitReport>& units) {
        QJsonArray list;
        for (const UnitReport& u : units) list.append(u.json());
        document.insert(QStringLiteral("units"), list);
    }

    // The image read into a configuration file at path ("-": standard output).
    int saveRead(const CalibrationImage& image, const QString& path, UnitReport& unit,
                 UnitChannel& channel) {
        unit.controller = image;
        unit.settings = report::settings(image, language);
        unit.outcome = QStringLiteral("failed");
        const QString text = config::ConfigFile::write(
            image, {QDateTime::currentDateTime(), config::programText()}, language);
        if (path == QLatin1String("-")) {
            // The file is the whole output: no line about it is mixed in.
            const QByteArray bytes = text.toUtf8();
            if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) !=
                    static_cast<std::size_t>(bytes.size()) ||
                std::fflush(stdout) != 0) {
                channel.fail(QCoreApplication::translate(
                                 "Commands", "cannot write the file to standard output: ") +
                             QString::fromLocal8Bit(std::strerror(errno)));
                return Failed;
            }
            unit.outcome = QStringLiteral("saved");
            return Done;
        }
        if (auto failure = config::saveText(path, text)) {
            channel.fail(failure->text(language));
            return Failed;
        }
        unit.file = path;
        unit.outcome = QStringLiteral("saved");
        channel.say(
            QCoreApplication::translate("Commands", "Read %1 (firmware %2, serial %3) into %4")
                .arg(image.text(Field::Model, Field::ModelLength).trimmed(), versionText(image),
                     serialText(image), visibleText(path)));
        return Done;
    }

    // Only a new name or a regular file is replaced, never a device, a FIFO or a folder:
    // refused before any controller is searched for.
    bool mayReplace(const QString& path) {
        if (const QString why = refusalToWrite(path); !why.isEmpty()) {
            err(config::Message{config::Message::Kind::WriteFailed, 0, {path, why}}.text(language));
            return false;
        }
        return true;
    }

    int read(ControllerLink& link) {
        if (output != QLatin1String("-") && !mayReplace(output))
            return Failed;
        UnitReport unit;
        unit.port = ports.size() == 1 ? ports[0] : QString();
        DirectChannel channel(unit);
        CalibrationImage image;
        if (connectAndRead(link, image, channel, ports)) {
            unit.port = link.portName;
            unit.status = saveRead(image, output, unit, channel);
        } else {
            unit.outcome = QStringLiteral("unreachable");
            unit.status = Failed;
        }
        reportUnits({unit});
        return unit.status;
    }

    // Every controller that answers into the folder output, one file a unit named by it. The
    // files are saved once all are read, in port order, so that two units that name themselves
    // alike cannot race for one file.
    int readAll() {
        if (QFileInfo info(output); info.exists() && !info.isDir()) {
            err(QCoreApplication::translate(
                    "Commands",
                    "%1 is not a folder: read --all-ports saves one file a unit into "
                    "the folder -o names")
                    .arg(visibleText(output)));
            return Usage;
        }
        if (!QDir().mkpath(output)) {
            err(config::Message{
                config::Message::Kind::WriteFailed,
                0,
                {output, QCoreApplication::translate("Commands", "cannot create the folder")}}
                    .text(language));
            return Failed;
        }
        std::vector<UnitReport> units =
            runOnPorts([this](ControllerLink& link, UnitReport& unit, UnitChannel& channel) {
                CalibrationImage image;
                if (connectAndRead(link, image, channel, {unit.port})) {
                    unit.controller = image;
                    return;
                }
                unit.outcome = QStringLiteral("unreachable");
                unit.status = Failed;
            });
        QHash<QString, QString> taken;  // file name -> the port of the unit saved there
        for (UnitReport& unit : units) {
            if (!unit.controller)
                continue;
            const QString name = config::unitName(*unit.controller) + QStringLiteral(".trncfg");
            if (taken.contains(name)) {
                unit.errors << QCoreApplication::translate("Commands",
                                                           "not saved: the unit on %1 is also %2")
                                   .arg(visibleText(taken.value(name)),
                                        config::unitName(*unit.controller));
                unit.outcome = QStringLiteral("failed");
                unit.status = Failed;
                continue;
            }
            taken.insert(name, unit.port);
            DirectChannel kept(unit, false);  // printed with the unit's other lines
            unit.status = saveRead(*unit.controller, QDir(output).filePath(name), unit, kept);
        }
        return finishBatch(units, QCoreApplication::translate("Commands", "saved"));
    }

    // Without --yes nothing is written: the wizard's warning says why.
    bool confirmed() {
        if (yes)
            return true;
        out(module.string(MsgWarning));
        err(QCoreApplication::translate(
            "Commands", "nothing written: add --yes once the motor is not running"));
        return false;
    }

    int write(ControllerLink& link) {
        if (!confirmed())
            return Usage;
        const std::optional<config::ConfigFile> file = loadFile(files[0], false);
        if (!file)
            return loadFailure;
        document.insert(QStringLiteral("file"), files[0]);
        UnitReport unit;
        unit.port = ports.size() == 1 ? ports[0] : QString();
        DirectChannel channel(unit);
        unit.status =
            writeUnit(link, *file, unit, channel, ports, [this] { return writeJournal(); });
        reportUnits({unit});
        return unit.status;
    }

    // The file onto every unit at once, each as a single write does it.
    int writeAll() {
        if (!confirmed())
            return Usage;
        const std::optional<config::ConfigFile> file = loadFile(files[0], false);
        if (!file)
            return loadFailure;
        document.insert(QStringLiteral("file"), files[0]);
        // Opened here first, so that earlier files are taken in once and what it says comes
        // before the units start; then each unit's thread has a connection of its own, and no
        // unit waits on another's entry while the main thread builds pages.
        const bool journalled = writeJournal() != nullptr;
        std::vector<UnitReport> units = runOnPorts(
            [&](ControllerLink& link, UnitReport& unit, UnitChannel& channel) {
                std::unique_ptr<config::Journal> own;
                bool opened = false;
                const auto journal = [&]() -> config::Journal* {
                    if (!journalled || opened)
                        return own.get();
                    opened = true;
                    own = makeJournal([&](const QString& why) { channel.fail(why); });
                    return own.get();
                };
                journal();  // while the controller is read, not once its pages are done
                unit.status = writeUnit(link, *file, unit, channel, {unit.port}, journal);
            },
            // While the units are searched for and read, the main thread is idle: what the
            // first pages built cost once (the toolkit's set-up) is paid there.
            [&] {
                CalibrationImage scratch = file->image();
                SilentPrompter silent;
                QWidget host;
                PageBook pages({scratch, silent});
                QString ignored;
                pages.build(module, &host, &ignored);
            });
        return finishBatch(units, QCoreApplication::translate("Commands", "written and verified"));
    }

    // The journal writes go to, opened once; none when it cannot be (said once).
    config::Journal* writeJournal() {
        if (!journalOpened_) {
            journalOpened_ = true;
            openJournal();
        }
        return journal_.get();
    }

    // One controller: found, refused or written and read back. Runs on the unit's thread; the
    // pages are used on the main thread, the journal journalOf gives on this one.
    int writeUnit(ControllerLink& link, const config::ConfigFile& file, UnitReport& unit,
                  UnitChannel& channel, const QStringList& searched,
                  const std::function<config::Journal*()>& journalOf) {
        CalibrationImage controller;
        if (!connectAndRead(link, controller, channel, searched)) {
            unit.outcome = QStringLiteral("unreachable");
            return Failed;
        }
        unit.port = link.portName;
        unit.controller = controller;
        // Nothing is sent to a unit refused, but the journal says that it was met: the image
        // is what would have been written.
        const auto refuse = [&](const CalibrationImage& image) {
            unit.outcome = config::outcomeName(config::Outcome::Refused);
            config::Journal* journal = journalOf();
            qint64 id = 0;
            if (!journal)
                return;
            if (auto failure = journal->refuse(controller, image, config::programText(), &id))
                channel.fail(QCoreApplication::translate(
                                 "Commands", "the refusal is not recorded in the journal: ") +
                             failure->text(language));
            else
                unit.entry = id;
        };
        if (const int refusal = controllerRefusal(controller)) {
            refuse(controller);
            channel.fail(module.string(refusal));
            return Failed;
        }
        CalibrationImage target = controller;
        std::optional<int> refused;
        bool byUnit = false;
        channel.onMain([&] { refused = takeAsPages(file, target, channel, &byUnit); });
        if (refused) {
            if (byUnit)
                refuse(target);
            else
                unit.outcome = config::outcomeName(config::Outcome::Failed);
            return *refused;
        }
        if (target == controller && !force) {
            unit.outcome = QStringLiteral("unchanged");
            channel.say(QCoreApplication::translate(
                "Commands", "No setting changes; nothing written (--force writes anyway)."));
            return Done;
        }
        unit.changes = report::changes(controller, target, language);
        const QStringList lines =
            config::changeLines(config::changes(controller, target, language), language);
        if (lines.isEmpty())
            channel.say(QCoreApplication::translate(
                "Commands", "No setting changes; writing the controller as it is."));
        for (const QString& line : lines) channel.say(line);

        // Pending in the journal before the first frame, so that a write cut short by a crash
        // or a pulled cable is still there.
        config::Journal* journal = journalOf();
        qint64 entry = 0;
        if (journal) {
            if (auto failure = journal->begin(controller, target, config::programText(), &entry)) {
                channel.fail(QCoreApplication::translate(
                                 "Commands", "the write is not recorded in the journal: ") +
                             failure->text(language));
                journal = nullptr;
            }
        }
        bool recorded = journal != nullptr;
        if (recorded)
            unit.entry = entry;
        unit.outcome = config::outcomeName(config::Outcome::Pending);
        const auto record = [&](config::Outcome outcome) {
            unit.outcome = config::outcomeName(outcome);
            if (!journal)
                return;
            if (auto failure = journal->complete(entry, outcome)) {
                channel.fail(QCoreApplication::translate(
                                 "Commands", "the outcome (%1) is not recorded in the journal: %2")
                                 .arg(config::outcomeName(outcome), failure->text(language)));
                recorded = false;
            }
        };
        // Everything asked for happened; only the journal may still be missing.
        const auto done = [&](const QString& what) {
            channel.say(what);
            if (recorded)
                return Done;
            channel.fail(QCoreApplication::translate(
                "Commands", "written and verified, but the journal does not record it"));
            return Unrecorded;
        };

        channel.stage(QCoreApplication::translate("Commands", "writing"));
        const bool acknowledged = link.WriteImage(target);
        const QString writeFailure = link.failure;
        if (!acknowledged && !link.commitSent) {
            // Nothing was committed: the controller keeps what it held.
            record(config::Outcome::Failed);
            channel.fail(
                QCoreApplication::translate("Commands", "writing the controller failed: ") +
                writeFailure);
            return Failed;
        }
        if (!acknowledged && link.portFailed) {
            // The line is gone: what the controller holds cannot be told; the entry stays
            // pending.
            channel.fail(
                QCoreApplication::translate("Commands", "writing the controller failed: ") +
                writeFailure +
                QCoreApplication::translate("Commands",
                                            "; whether it holds the new settings is unknown"));
            return Failed;
        }
        if (acknowledged && !verify) {
            record(config::Outcome::NotVerified);
            return done(
                QCoreApplication::translate("Commands", "Written; not read back (--no-verify)."));
        }
        // Read back whatever the reply said: a lost reply does not mean a lost write.
        channel.stage(QCoreApplication::translate("Commands", "reading back"));
        CalibrationImage readBack;
        if (!link.ReadImage(readBack)) {
            if (acknowledged)
                record(config::Outcome::NotVerified);
            channel.fail(
                acknowledged
                    ? QCoreApplication::translate("Commands",
                                                  "written, but reading it back failed: ") +
                          link.failure
                    : QCoreApplication::translate("Commands", "writing the controller failed: ") +
                          writeFailure +
                          QCoreApplication::translate("Commands",
                                                      "; reading it back failed too: ") +
                          link.failure +
                          QCoreApplication::translate("Commands",
                                                      "; whether it holds the new settings is "
                                                      "unknown (the journal entry stays pending)"));
            return Failed;
        }
        if (readBack == target) {
            if (acknowledged) {
                record(config::Outcome::Verified);
                return done(QCoreApplication::translate(
                    "Commands", "Written and read back: the controller holds what was written."));
            }
            record(config::Outcome::ReplyLost);
            return done(QCoreApplication::translate(
                            "Commands", "The controller's reply to the write was lost (") +
                        writeFailure +
                        QCoreApplication::translate("Commands",
                                                    "); read back, it holds what was written."));
        }
        if (!acknowledged && readBack == controller) {
            record(config::Outcome::Failed);
            channel.fail(
                QCoreApplication::translate("Commands", "writing the controller failed: ") +
                writeFailure +
                QCoreApplication::translate("Commands",
                                            "; read back, it holds its settings as before: nothing "
                                            "written"));
            return Failed;
        }
        record(config::Outcome::Differs);
        const QStringList differ =
            config::changeLines(config::changes(target, readBack, language), language);
        channel.fail(
            QCoreApplication::translate("Commands", "read-back mismatch: written -> read back: ") +
            (differ.isEmpty()
                 ? QCoreApplication::translate("Commands", "bytes that are no setting differ")
                 : differ.join(QStringLiteral("; "))));
        return Failed;
    }

    static QString dataDir() {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }

    // The journal chosen, the station's own and the server's when one is named; kept open
    // for the run, so that what waits to be shared can be told at its end.
    config::Journal* openJournal() {
        journal_ = makeJournal();
        return journal_.get();
    }

    // One more connection to the journal chosen (a thread needs its own); what goes wrong goes
    // to tell, stderr when none.
    std::unique_ptr<config::Journal> makeJournal(
        const std::function<void(const QString&)>& tell = err) {
        config::Message failure{};
        std::vector<config::SqliteJournal::Skipped> skipped;
        std::unique_ptr<config::Journal> journal =
            config::openJournal(dataDir(), historyChoice, &failure, &skipped);
        for (const config::SqliteJournal::Skipped& s : skipped)
            tell(QCoreApplication::translate("Commands", "not taken into the journal: %1: %2")
                     .arg(QDir::toNativeSeparators(s.path), s.why.text(language)));
        if (!journal)
            tell(QCoreApplication::translate("Commands", "the journal cannot be opened: ") +
                 failure.text(language));
        return journal;
    }

    // The status, told that entries wait to be shared: success stays success, as Waiting.
    int sharingStatus(int status) {
        if (!journal_)
            return status;
        const config::Journal::Sharing sharing = journal_->sharing();
        if (sharing.waiting == 0)
            return status;
        err(QCoreApplication::translate("Commands",
                                        "journal entries waiting at this station to be shared "
                                        "with %1: %2 (sent when it is back: the next run, or "
                                        "history --sync): %3")
                .arg(historyChoice.server->text())
                .arg(sharing.waiting)
                .arg(sharing.why));
        return status == Done ? Waiting : status;
    }

    // history --init: the shared journal's tables made or upgraded.
    int initServer() {
        QString done;
        if (auto failure = config::ServerJournal::init(*historyChoice.server, &done)) {
            err(QCoreApplication::translate("Commands", "the shared journal is not made: ") +
                failure->text(language));
            return Failed;
        }
        out(done);
        return Done;
    }

    // history --sync: what waits here sent to the server (opening the journal sends it); each
    // entry the server would not take named with its reason. Waiting while any still waits.
    int sync() {
        if (!openJournal())
            return Failed;
        const config::Journal::Sharing sharing = journal_->sharing();
        for (const config::Journal::Sharing::Refusal& r : sharing.refused)
            err(QCoreApplication::translate("Commands",
                                            "journal entry %1 (%2) is refused by the server and "
                                            "waits at this station: %3")
                    .arg(r.id)
                    .arg(r.unit, r.why));
        out(QCoreApplication::translate("Commands",
                                        "Journal entries sent to %1: %2; still waiting: %3.")
                .arg(historyChoice.server->text())
                .arg(sharing.shared)
                .arg(sharing.waiting));
        return sharing.waiting == 0 ? Done : Waiting;
    }

    // A unit's entries, named or read from the controller; or one entry into a file.
    int history(ControllerLink* link) {
        QString unit = files.value(0);
        if (exportEntry == 0 && unit.isEmpty() && !asks) {
            CalibrationImage image;
            if (!connectAndRead(*link, image))
                return Failed;
            unit = config::unitName(image);
        }
        config::Journal* journal = openJournal();
        if (!journal)
            return Failed;
        if (exportEntry != 0) {
            config::JournalEntry e;
            if (auto failure = journal->entry(exportEntry, &e)) {
                err(failure->text(language));
                return Failed;
            }
            if (auto failure = config::saveText(output, e.fileText(language))) {
                err(failure->text(language));
                return Failed;
            }
            QJsonObject exported = report::entry(e);
            exported.insert(QStringLiteral("file"), output);
            document.insert(QStringLiteral("exported"), exported);
            out(QCoreApplication::translate("Commands", "Exported entry %1 (%2, %3, %4) into %5")
                    .arg(QString::number(e.id), e.unit, e.time.toString(Qt::ISODate),
                         config::outcomeName(e.outcome), output));
            return Done;
        }
        std::vector<config::JournalEntry> entries;
        query.unit = unit;
        // A unit's own journal lists as it always did; anything wider names unit and station.
        const bool wide = asks || historyChoice.server;
        if (auto failure =
                wide ? journal->find(query, &entries) : journal->entries(unit, &entries)) {
            err(failure->text(language));
            return Failed;
        }
        QJsonArray listed;
        for (const config::JournalEntry& e : entries) listed.append(report::entry(e));
        document.insert(QStringLiteral("unit"), unit);
        document.insert(QStringLiteral("entries"), listed);
        for (const config::JournalEntry& e : entries)
            out(wide ? QStringLiteral("%1  %2  %3  %4  %5  %6")
                           .arg(QString::number(e.id), e.time.toString(Qt::ISODate),
                                config::outcomeName(e.outcome), e.unit, e.host, e.program)
                     : QStringLiteral("%1  %2  %3  %4")
                           .arg(QString::number(e.id), e.time.toString(Qt::ISODate),
                                config::outcomeName(e.outcome), e.program));
        return Done;
    }

    // The file's settings onto target as the wizard's pages take them after Load: what Finish
    // would write. A status when the file cannot be taken.
    // The file's settings onto target as the wizard's pages take them after Load: what Finish
    // would write. A status when the file cannot be taken; byUnit then says whether this
    // controller refused it (rather than the pages failing to build). Main thread only.
    std::optional<int> takeAsPages(const config::ConfigFile& file, CalibrationImage& target,
                                   UnitChannel& channel, bool* byUnit) {
        SilentPrompter silent;
        QWidget host;
        PageBook pages({target, silent});
        QString error;
        if (!pages.build(module, &host, &error)) {
            channel.fail(error);
            return Failed;
        }
        // Nothing here is ever shown: sizing the pages' texts for a screen, as showing a page
        // does, would be wasted. A page with a size of its own is not fitted to its texts.
        for (unsigned n = 1; n <= pages.count(); ++n) {
            pages.page(n)->layout()->setEnabled(false);
            pages.page(n)->setAttribute(Qt::WA_Resized);
        }
        *byUnit = true;
        pages.start();
        const PageBook::Applied applied = pages.apply(file);
        if (applied.refusal) {
            channel.fail(visibleText(files[0]) + QStringLiteral(": ") +
                         applied.refusal->text(language));
            return Failed;
        }
        for (const Adjustment& a : applied.adjustments)
            channel.fail(visibleText(files[0]) + QStringLiteral(": ") + a.text(target, language));
        if (!applied.adjustments.empty() && !adjust) {
            channel.fail(QCoreApplication::translate(
                "Commands",
                "nothing written: the controller would not take these lines as "
                "written; correct them, or add --adjust to write what the pages "
                "would"));
            return Usage;
        }
        *byUnit = false;
        pages.show(pages.count());  // Finish: the page shown stores
        return std::nullopt;
    }

    int show() {
        const std::optional<config::ConfigFile> file = loadFile(files[0]);
        if (!file)
            return loadFailure;
        const CalibrationImage& unit = file->image();
        document.insert(QStringLiteral("file"), files[0]);
        document.insert(QStringLiteral("identity"), report::identity(unit));
        document.insert(QStringLiteral("settings"),
                        report::settings(file->settingsImage(), language));
        out(QStringLiteral("%1 (variant %2, firmware %3, serial %4)")
                .arg(unit.text(Field::Model, Field::ModelLength).trimmed(),
                     unit.text(Field::Variant, 1), versionText(unit), serialText(unit)));
        for (const QString& line : config::settingLines(file->settingsImage(), language)) out(line);
        return Done;
    }

    // As diff(1): 0 the same, 1 they differ (the controller they name included), 2 trouble.
    int diff() {
        document.insert(QStringLiteral("files"), QJsonArray::fromStringList(files));
        const std::optional<config::ConfigFile> a = loadFile(files[0]);
        const std::optional<config::ConfigFile> b = a ? loadFile(files[1]) : std::nullopt;
        if (!a || !b)
            return Usage;
        document.insert(QStringLiteral("identity"),
                        report::identityChanges(a->image(), b->image()));
        document.insert(QStringLiteral("changes"),
                        report::changes(a->settingsImage(), b->settingsImage(), language));
        const QStringList lines =
            config::identityLines(a->image(), b->image(), language) +
            config::changeLines(config::changes(a->settingsImage(), b->settingsImage(), language),
                                language);
        for (const QString& line : lines) out(line);
        return lines.isEmpty() ? Done : Failed;
    }

    QJsonObject document;  // what --json prints, besides format, command, status and errors
    bool journalOpened_ = false;
};

// The options of the shared history: which journal, which station, and what history looks
// for. A status when they are wrong.
std::optional<int> takeHistoryOptions(Run& run, const QCommandLineParser& parser,
                                      const std::array<QCommandLineOption, 7>& options,
                                      const std::function<int(const QString&)>& usage) {
    const auto& [historyOption, station, init, sync, since, until, where] = options;
    const bool history = run.command == QLatin1String("history");
    for (const QCommandLineOption& o : {init, sync, since, until, where})
        if (parser.isSet(o) && !history)
            return usage(
                QStringLiteral("%1 takes no --%2").arg(run.command, o.names().constFirst()));
    QString why;
    const std::optional<config::HistoryChoice> choice =
        config::chooseHistory(parser.value(historyOption), qEnvironmentVariable("TRNSETUP_HISTORY"),
                              config::historySettingsFile(), parser.value(station), &why);
    if (!choice)
        return usage(why);
    run.historyChoice = *choice;
    if (parser.isSet(station) && parser.value(station).isEmpty())
        return usage(QStringLiteral("--station needs a name"));
    if (!history)
        return std::nullopt;
    const bool serverWork = parser.isSet(init) || parser.isSet(sync);
    if (serverWork && !run.historyChoice.server)
        return usage(
            QStringLiteral("history --%1 needs a server: --history postgresql://USER@HOST/DB, "
                           "TRNSETUP_HISTORY or 'history' in %2")
                .arg(parser.isSet(init) ? QStringLiteral("init") : QStringLiteral("sync"),
                     QDir::toNativeSeparators(config::historySettingsFile())));
    // For --init and --sync the station is who asks, not what is asked for.
    run.query.station = serverWork ? QString() : parser.value(station);
    for (const auto& [option, bound, isUntil] :
         {std::tuple{&since, &run.query.since, false}, std::tuple{&until, &run.query.until, true}})
        if (parser.isSet(*option)) {
            *bound = config::queryTime(parser.value(*option), isUntil);
            if (!*bound)
                return usage(QStringLiteral("--%1 needs a date or a date and time, like "
                                            "2024-05-01 or 2024-05-01T08:00")
                                 .arg(option->names().constFirst()));
        }
    for (const QString& text : parser.values(where)) {
        const std::optional<config::SettingCondition> c =
            config::SettingCondition::parse(text, &why);
        if (!c)
            return usage(QStringLiteral("--where: ") + why);
        run.query.where.push_back(*c);
    }
    run.asks = !run.query.station.isEmpty() || run.query.since || run.query.until ||
               !run.query.where.empty();
    const bool exporting = parser.isSet(QStringLiteral("export"));
    if (serverWork &&
        (run.asks || exporting || !run.files.isEmpty() || parser.isSet(QStringLiteral("output"))))
        return usage(QStringLiteral("history --init and --sync take no unit, entry or search"));
    if (exporting && run.asks)
        return usage(QStringLiteral("history --export takes no search"));
    return std::nullopt;
}

}  // namespace

QString commandOf(const QStringList& arguments) {
    // The command word may follow options; a value of an option is not one.
    static const QStringList takesValue{
        QStringLiteral("-l"),       QStringLiteral("--language"), QStringLiteral("-p"),
        QStringLiteral("--port"),   QStringLiteral("-o"),         QStringLiteral("--output"),
        QStringLiteral("--export"), QStringLiteral("--history"),  QStringLiteral("--station"),
        QStringLiteral("--since"),  QStringLiteral("--until"),    QStringLiteral("--where")};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (takesValue.contains(a)) {
            ++i;
            continue;
        }
        if (a.startsWith(QLatin1Char('-')))
            continue;
        return Commands.contains(a) ? a : QString();
    }
    return {};
}

namespace {

// The command line taken apart and run; helped when it asked for the usage text only.
int runArguments(const QStringList& arguments, Run& run, bool* helped) {
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption language({QStringLiteral("l"), QStringLiteral("language")}, QString(),
                                      QStringLiteral("module"));
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")}, QString(),
                                  QStringLiteral("device"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("file"));
    const QCommandLineOption yes(QStringLiteral("yes"), QString());
    const QCommandLineOption noVerify(QStringLiteral("no-verify"), QString());
    const QCommandLineOption adjust(QStringLiteral("adjust"), QString());
    const QCommandLineOption force(QStringLiteral("force"), QString());
    const QCommandLineOption exportEntry(QStringLiteral("export"), QString(),
                                         QStringLiteral("entry"));
    const QCommandLineOption allPorts(QStringLiteral("all-ports"), QString());
    const QCommandLineOption json(QStringLiteral("json"), QString());
    const QCommandLineOption historyOption(QStringLiteral("history"), QString(),
                                           QStringLiteral("url"));
    const QCommandLineOption station(QStringLiteral("station"), QString(), QStringLiteral("name"));
    const QCommandLineOption init(QStringLiteral("init"), QString());
    const QCommandLineOption sync(QStringLiteral("sync"), QString());
    const QCommandLineOption since(QStringLiteral("since"), QString(), QStringLiteral("time"));
    const QCommandLineOption until(QStringLiteral("until"), QString(), QStringLiteral("time"));
    const QCommandLineOption where(QStringLiteral("where"), QString(), QStringLiteral("condition"));
    QCommandLineParser parser;
    parser.addOptions({help, language, port, output, yes, noVerify, adjust, force, exportEntry,
                       allPorts, json, historyOption, station, init, sync, since, until, where});

    const auto usage = [](const QString& why) {
        QString text = why;
        while (text.endsWith(QLatin1Char('.'))) text.chop(1);
        err(text + QStringLiteral(". Try 'trnsetup read --help'."));
        return Usage;
    };
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        *helped = true;
        print(usageText());
        return Done;
    }

    run.programDir = QCoreApplication::applicationDirPath();
    QStringList words = parser.positionalArguments();
    if (words.isEmpty() || !Commands.contains(words.constFirst()))
        return usage(QStringLiteral("no command given"));
    run.command = words.takeFirst();
    run.files = words;
    run.ports = parser.values(port);
    run.output = parser.value(output);
    run.yes = parser.isSet(yes);
    run.allPorts = parser.isSet(allPorts);
    run.adjust = parser.isSet(adjust);
    run.force = parser.isSet(force);
    run.verify = !parser.isSet(noVerify);
    if (parser.isSet(language))
        run.languageName = parser.value(language);

    const bool history = run.command == QLatin1String("history");
    const bool exporting = parser.isSet(exportEntry);
    if (exporting && !history)
        return usage(QStringLiteral("%1 takes no --export").arg(run.command));
    if (const std::optional<int> wrong = takeHistoryOptions(
            run, parser, {historyOption, station, init, sync, since, until, where}, usage))
        return *wrong;
    const bool serverWork = parser.isSet(init) || parser.isSet(sync);
    if (exporting) {
        if (!run.files.isEmpty())
            return usage(QStringLiteral("history --export takes no unit"));
        bool number = false;
        run.exportEntry = parser.value(exportEntry).toLongLong(&number);
        if (!number || run.exportEntry <= 0)
            return usage(QStringLiteral("--export needs an entry number"));
    }
    if (history && !exporting && !run.files.isEmpty()) {
        // The unit as the journal names it: the serial's hex digits in upper case.
        static const QRegularExpression unit(QStringLiteral("^([A-Za-z0-9]+)-([0-9A-Fa-f]{8})$"));
        const QRegularExpressionMatch m = unit.match(run.files[0]);
        if (run.files.size() > 1 || !m.hasMatch())
            return usage(
                QStringLiteral("history takes one unit as MODEL-SERIAL, like "
                               "TRN48201-000AB0FF"));
        run.files[0] = m.captured(1) + QLatin1Char('-') + m.captured(2).toUpper();
    }

    // Which options and how many files each command takes.
    const struct {
        const char* command;
        int files;
        bool link, output, confirm, batch;
    } shapes[] = {
        {"read", 0, true, true, false, true},
        {"write", 1, true, false, true, true},
        {"show", 1, false, false, false, false},
        {"diff", 2, false, false, false, false},
        // The controller is read only to know the unit when none is named.
        {"history", static_cast<int>(run.files.size()),
         !exporting && !serverWork && !run.asks && run.files.isEmpty(), exporting, false, false},
    };
    for (const auto& shape : shapes) {
        if (run.command != QLatin1String(shape.command))
            continue;
        if (run.files.size() != shape.files)
            return usage(QStringLiteral("%1 takes %2 file name(s), not %3")
                             .arg(run.command)
                             .arg(shape.files)
                             .arg(run.files.size()));
        if (!shape.link && parser.isSet(port))
            return usage(QStringLiteral("%1 takes no --port").arg(run.command));
        if (shape.output != parser.isSet(output))
            return usage(shape.output ? QStringLiteral("%1 needs -o FILE").arg(run.command)
                                      : QStringLiteral("%1 takes no -o").arg(run.command));
        if (!shape.confirm && (run.yes || !run.verify))
            return usage(QStringLiteral("%1 takes no --yes or --no-verify").arg(run.command));
        if (!shape.confirm && (run.adjust || run.force))
            return usage(QStringLiteral("%1 takes no --adjust or --force").arg(run.command));
        for (const QString& p : std::as_const(run.ports))
            if (p.isEmpty())
                return usage(QStringLiteral("--port needs a device path"));
        if (run.languageName.isEmpty())
            return usage(QStringLiteral("--language needs english, chinese or a module file"));
        if (shape.output && run.output.isEmpty())
            return usage(QStringLiteral("-o needs a file name"));
        if (run.allPorts && !shape.batch)
            return usage(QStringLiteral("%1 takes no --all-ports").arg(run.command));
        if (run.allPorts && shape.output && run.output == QLatin1String("-"))
            return usage(QStringLiteral("%1 --all-ports needs -o FOLDER").arg(run.command));
        if (run.json && run.output == QLatin1String("-"))
            return usage(
                QStringLiteral("--json prints its document on standard output; -o - "
                               "cannot share it"));

        if (!shape.link) {
            // Files need no module unless one is named for its language.
            const bool named = run.languageName == QLatin1String("english") ||
                               run.languageName == QLatin1String("chinese");
            if (named) {
                run.language = config::languageNamed(run.languageName);
                run.translate();
            } else if (!run.loadModule()) {
                return Failed;
            }
            if (history && parser.isSet(init))
                return run.initServer();
            if (history && parser.isSet(sync))
                return run.sharingStatus(run.sync());
            if (history)
                return run.sharingStatus(run.history(nullptr));
            return run.command == QLatin1String("show") ? run.show() : run.diff();
        }
        if (!run.loadModule())
            return Failed;
        // Several ports written, or every port: one unit each, all at once.
        if (run.allPorts)
            return run.sharingStatus(run.command == QLatin1String("read") ? run.readAll()
                                                                          : run.writeAll());
        if (run.command == QLatin1String("write") && run.ports.size() > 1) {
            run.ports.removeDuplicates();
            if (run.ports.size() > 1)
                return run.sharingStatus(run.writeAll());
        }

        ThreadSleeper sleeper;
        ControllerLink link(sleeper);
        PortSystem ports(run.ports);
        link.portSystem = &ports;
        link.reportMessage = [&run](int id) { err(run.module.string(id)); };
        link.searchNote = [](const QString& note) { err(note); };
        const int status = history                                ? run.history(&link)
                           : run.command == QLatin1String("read") ? run.read(link)
                                                                  : run.write(link);
        link.close();
        return run.sharingStatus(status);
    }
    return usage(QStringLiteral("unknown command"));
}

}  // namespace

int runCommand(int& argc, char** argv, const QStringList& arguments) {
    // The pages take a file's values without a window; no display is needed. What Qt says
    // about its own set-up is not for the workshop's scripts, which read one line a failure.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            err(text);
    });
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trnsetup"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRN_VERSION));
    // Known before the options are parsed, so that a mistake in them is a document too.
    output().json = arguments.mid(1).contains(QStringLiteral("--json"));

    Run run;
    run.json = output().json;
    bool helped = false;
    const int status = runArguments(arguments, run, &helped);
    if (!output().json || helped)
        return status;
    QJsonObject document = run.document;
    document.insert(QStringLiteral("format"), report::Format);
    document.insert(QStringLiteral("command"),
                    run.command.isEmpty() ? QJsonValue::Null : QJsonValue(run.command));
    document.insert(QStringLiteral("status"), status);
    {
        const std::lock_guard<std::mutex> lock(output().mutex);
        document.insert(QStringLiteral("errors"), output().errors);
    }
    const QByteArray bytes = QJsonDocument(document).toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
    return status;
}
