#include "Commands.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <tuple>

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
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
#include "PageBook.h"
#include "PortSystem.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "Settings.h"
#include "SharedJournal.h"
#include "SqliteJournal.h"

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

// UTF-8 whatever the locale: names and files are UTF-8, and the Chinese names must survive.
void out(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
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
}

QString usageText() {
    return QStringLiteral(
        "Usage:\n"
        "  trnsetup read [--port DEV]... -o FILE\n"
        "      Reads the controller into a configuration file.\n"
        "  trnsetup write FILE [--port DEV]... --yes [--adjust] [--no-verify]\n"
        "      Writes the file's settings to the controller as the wizard's pages take them,\n"
        "      then reads it back to check. A line the controller will not take as written\n"
        "      (outside the page's range, not offered on this controller, refused) is named\n"
        "      and nothing is written, unless --adjust writes what the pages would.\n"
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
        "2 trouble.");
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

    // Finds the controller on the ports named (or all) and reads it.
    bool connectAndRead(ControllerLink& link, CalibrationImage& image) {
        if (!link.ConnectController()) {
            // The search has already said what each port gave.
            err(ports.isEmpty()
                    ? QStringLiteral("no controller found on any serial port")
                    : QStringLiteral("no controller found on ") + ports.join(QStringLiteral(", ")));
            return false;
        }
        if (!link.ReadImage(image)) {
            err(QStringLiteral("reading the controller failed: ") + link.failure);
            return false;
        }
        return true;
    }

    int read(ControllerLink& link) {
        // Only a new name or a regular file is replaced, never a device, a FIFO or a folder:
        // refused before the controller is searched for.
        const bool toStandardOutput = output == QLatin1String("-");
        if (const QString why = toStandardOutput ? QString() : refusalToWrite(output);
            !why.isEmpty()) {
            err(config::Message{config::Message::Kind::WriteFailed, 0, {output, why}}.text(
                language));
            return Failed;
        }
        CalibrationImage image;
        if (!connectAndRead(link, image))
            return Failed;
        const QString text = config::ConfigFile::write(
            image, {QDateTime::currentDateTime(), config::programText()}, language);
        if (toStandardOutput) {
            // The file is the whole output: no line about it is mixed in.
            const QByteArray bytes = text.toUtf8();
            if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) !=
                    static_cast<std::size_t>(bytes.size()) ||
                std::fflush(stdout) != 0) {
                err(QStringLiteral("cannot write the file to standard output: ") +
                    QString::fromLocal8Bit(std::strerror(errno)));
                return Failed;
            }
            return Done;
        }
        if (auto failure = config::saveText(output, text)) {
            err(failure->text(language));
            return Failed;
        }
        out(QStringLiteral("Read %1 (firmware %2, serial %3) into %4")
                .arg(image.text(Field::Model, Field::ModelLength).trimmed(), versionText(image),
                     serialText(image), visibleText(output)));
        return Done;
    }

    int write(ControllerLink& link) {
        if (!yes) {
            out(module.string(MsgWarning));
            err(QStringLiteral("nothing written: add --yes once the motor is not running"));
            return Usage;
        }
        const std::optional<config::ConfigFile> file = loadFile(files[0], false);
        if (!file)
            return loadFailure;

        CalibrationImage controller;
        if (!connectAndRead(link, controller))
            return Failed;
        if (const int refusal = controllerRefusal(controller)) {
            err(module.string(refusal));
            return Failed;
        }
        CalibrationImage target = controller;
        const std::optional<int> refused = takeAsPages(*file, target);
        if (refused)
            return *refused;
        if (target == controller && !force) {
            out(QStringLiteral("No setting changes; nothing written (--force writes anyway)."));
            return Done;
        }
        const QStringList lines =
            config::changeLines(config::changes(controller, target, language), language);
        out(lines.isEmpty() ? QStringLiteral("No setting changes; writing the controller as it is.")
                            : lines.join(QLatin1Char('\n')));

        // Pending in the journal before the first frame, so that a write cut short by a crash
        // or a pulled cable is still there.
        bool recorded = true;
        config::Journal* journal = openJournal();
        qint64 entry = 0;
        if (!journal) {
            recorded = false;
        } else if (auto failure =
                       journal->begin(controller, target, config::programText(), &entry)) {
            err(QStringLiteral("the write is not recorded in the journal: ") +
                failure->text(language));
            journal = nullptr;
            recorded = false;
        }
        const auto record = [&](config::Outcome outcome) {
            if (!journal)
                return;
            if (auto failure = journal->complete(entry, outcome)) {
                err(QStringLiteral("the outcome (%1) is not recorded in the journal: %2")
                        .arg(config::outcomeName(outcome), failure->text(language)));
                recorded = false;
            }
        };
        // Everything asked for happened; only the journal may still be missing.
        const auto done = [&](const QString& what) {
            out(what);
            if (recorded)
                return Done;
            err(QStringLiteral("written and verified, but the journal does not record it"));
            return Unrecorded;
        };

        const bool acknowledged = link.WriteImage(target);
        const QString writeFailure = link.failure;
        if (!acknowledged && !link.commitSent) {
            // Nothing was committed: the controller keeps what it held.
            record(config::Outcome::Failed);
            err(QStringLiteral("writing the controller failed: ") + writeFailure);
            return Failed;
        }
        if (!acknowledged && link.portFailed) {
            // The line is gone: what the controller holds cannot be told; the entry stays
            // pending.
            err(QStringLiteral("writing the controller failed: ") + writeFailure +
                QStringLiteral("; whether it holds the new settings is unknown"));
            return Failed;
        }
        if (acknowledged && !verify) {
            record(config::Outcome::NotVerified);
            return done(QStringLiteral("Written; not read back (--no-verify)."));
        }
        // Read back whatever the reply said: a lost reply does not mean a lost write.
        CalibrationImage readBack;
        if (!link.ReadImage(readBack)) {
            if (acknowledged)
                record(config::Outcome::NotVerified);
            err(acknowledged
                    ? QStringLiteral("written, but reading it back failed: ") + link.failure
                    : QStringLiteral("writing the controller failed: ") + writeFailure +
                          QStringLiteral("; reading it back failed too: ") + link.failure +
                          QStringLiteral("; whether it holds the new settings is "
                                         "unknown (the journal entry stays pending)"));
            return Failed;
        }
        if (readBack == target) {
            if (acknowledged) {
                record(config::Outcome::Verified);
                return done(QStringLiteral(
                    "Written and read back: the controller holds what was written."));
            }
            record(config::Outcome::ReplyLost);
            return done(QStringLiteral("The controller's reply to the write was lost (") +
                        writeFailure + QStringLiteral("); read back, it holds what was written."));
        }
        if (!acknowledged && readBack == controller) {
            record(config::Outcome::Failed);
            err(QStringLiteral("writing the controller failed: ") + writeFailure +
                QStringLiteral("; read back, it holds its settings as before: nothing written"));
            return Failed;
        }
        record(config::Outcome::Differs);
        const QStringList differ =
            config::changeLines(config::changes(target, readBack, language), language);
        err(QStringLiteral("read-back mismatch: written -> read back: ") +
            (differ.isEmpty() ? QStringLiteral("bytes that are no setting differ")
                              : differ.join(QStringLiteral("; "))));
        return Failed;
    }

    // The journal chosen, the station's own and the server's when one is named; kept open
    // for the run, so that what waits to be shared can be told at its end.
    config::Journal* openJournal() {
        config::Message failure{};
        std::vector<config::SqliteJournal::Skipped> skipped;
        journal_ =
            config::openJournal(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                                historyChoice, &failure, &skipped);
        for (const config::SqliteJournal::Skipped& s : skipped)
            err(QStringLiteral("not taken into the journal: %1: %2")
                    .arg(QDir::toNativeSeparators(s.path), s.why.text(language)));
        if (!journal_)
            err(QStringLiteral("the journal cannot be opened: ") + failure.text(language));
        return journal_.get();
    }

    // The status, told that entries wait to be shared: success stays success, as Waiting.
    int sharingStatus(int status) const {
        if (!journal_)
            return status;
        const config::Journal::Sharing sharing = journal_->sharing();
        if (sharing.waiting == 0)
            return status;
        err(QStringLiteral("%1 journal entr%2 wait%3 at this station to be shared with %4 "
                           "(sent when it is back: the next run, or history --sync): %5")
                .arg(sharing.waiting)
                .arg(QLatin1String(sharing.waiting == 1 ? "y" : "ies"),
                     QLatin1String(sharing.waiting == 1 ? "s" : ""), historyChoice.server->text(),
                     sharing.why));
        return status == Done ? Waiting : status;
    }

    // history --init: the shared journal's tables made or upgraded.
    int initServer() {
        QString done;
        if (auto failure = config::ServerJournal::init(*historyChoice.server, &done)) {
            err(QStringLiteral("the shared journal is not made: ") + failure->text(language));
            return Failed;
        }
        out(done);
        return Done;
    }

    // history --sync: what waits here sent to the server (opening the journal sends it).
    int sync() {
        if (!openJournal())
            return Failed;
        const config::Journal::Sharing sharing = journal_->sharing();
        out(QStringLiteral("Sent %1 waiting journal entr%2 to %3; %4.")
                .arg(sharing.shared)
                .arg(QLatin1String(sharing.shared == 1 ? "y" : "ies"), historyChoice.server->text(),
                     sharing.waiting == 0 ? QStringLiteral("none waits")
                                          : QStringLiteral("%1 still wait").arg(sharing.waiting)));
        return Done;
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
            out(QStringLiteral("Exported entry %1 (%2, %3, %4) into %5")
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
    std::optional<int> takeAsPages(const config::ConfigFile& file, CalibrationImage& target) {
        // Nothing asks the user here: the pages' refusals are reported as adjustments.
        class Silent : public Prompter {
        public:
            Answer ask(int, Buttons, const QString&) override { return Answer::Ok; }
            void tell(const QString&) override {}
        } silent;
        QWidget host;
        PageBook pages({target, silent});
        QString error;
        if (!pages.build(module, &host, &error)) {
            err(error);
            return Failed;
        }
        pages.start();
        const PageBook::Applied applied = pages.apply(file);
        if (applied.refusal) {
            err(visibleText(files[0]) + QStringLiteral(": ") + applied.refusal->text(language));
            return Failed;
        }
        for (const Adjustment& a : applied.adjustments)
            err(visibleText(files[0]) + QStringLiteral(": ") + a.text(target, language));
        if (!applied.adjustments.empty() && !adjust) {
            err(
                QStringLiteral("nothing written: the controller would not take these lines as "
                               "written; correct them, or add --adjust to write what the pages "
                               "would"));
            return Usage;
        }
        pages.show(pages.count());  // Finish: the page shown stores
        return std::nullopt;
    }

    int show() {
        const std::optional<config::ConfigFile> file = loadFile(files[0]);
        if (!file)
            return loadFailure;
        const CalibrationImage& unit = file->image();
        out(QStringLiteral("%1 (variant %2, firmware %3, serial %4)")
                .arg(unit.text(Field::Model, Field::ModelLength).trimmed(),
                     unit.text(Field::Variant, 1), versionText(unit), serialText(unit)));
        for (const QString& line : config::settingLines(file->settingsImage(), language)) out(line);
        return Done;
    }

    // As diff(1): 0 the same, 1 they differ (the controller they name included), 2 trouble.
    int diff() {
        const std::optional<config::ConfigFile> a = loadFile(files[0]);
        const std::optional<config::ConfigFile> b = a ? loadFile(files[1]) : std::nullopt;
        if (!a || !b)
            return Usage;
        const QStringList lines =
            config::identityLines(a->image(), b->image(), language) +
            config::changeLines(config::changes(a->settingsImage(), b->settingsImage(), language),
                                language);
        for (const QString& line : lines) out(line);
        return lines.isEmpty() ? Done : Failed;
    }
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
                       historyOption, station, init, sync, since, until, where});

    const auto usage = [](const QString& why) {
        QString text = why;
        while (text.endsWith(QLatin1Char('.'))) text.chop(1);
        err(text + QStringLiteral(". Try 'trnsetup read --help'."));
        return Usage;
    };
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        out(usageText());
        return Done;
    }

    Run run;
    run.programDir = QCoreApplication::applicationDirPath();
    QStringList words = parser.positionalArguments();
    if (words.isEmpty() || !Commands.contains(words.constFirst()))
        return usage(QStringLiteral("no command given"));
    run.command = words.takeFirst();
    run.files = words;
    run.ports = parser.values(port);
    run.output = parser.value(output);
    run.yes = parser.isSet(yes);
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
        bool link, output, confirm;
    } shapes[] = {
        {"read", 0, true, true, false},
        {"write", 1, true, false, true},
        {"show", 1, false, false, false},
        {"diff", 2, false, false, false},
        // The controller is read only to know the unit when none is named.
        {"history", static_cast<int>(run.files.size()),
         !exporting && !serverWork && !run.asks && run.files.isEmpty(), exporting, false},
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

        if (!shape.link) {
            // Files need no module unless one is named for its language.
            const bool named = run.languageName == QLatin1String("english") ||
                               run.languageName == QLatin1String("chinese");
            if (named)
                run.language = config::languageNamed(run.languageName);
            else if (!run.loadModule())
                return Failed;
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

        ThreadSleeper sleeper;
        ControllerLink link(sleeper);
        PortSystem ports(run.ports);
        link.portSystem = &ports;
        link.reportMessage = [&run](int id) { err(run.module.string(id)); };
        const int status = history                                ? run.history(&link)
                           : run.command == QLatin1String("read") ? run.read(link)
                                                                  : run.write(link);
        link.close();
        return run.sharingStatus(status);
    }
    return usage(QStringLiteral("unknown command"));
}
