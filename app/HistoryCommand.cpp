// history: the journal of writes, the station's own and the shared one.
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
#include <QRegularExpression>
#include <QStandardPaths>

#include "AtomicFile.h"
#include "CVexlaControllerApp.h"
#include "CalibrationImage.h"
#include "Changes.h"
#include "ConfigFile.h"
#include "ConfigMenu.h"
#include "ControllerLink.h"
#include "FileNames.h"
#include "HelpPages.h"
#include "HistoryWindow.h"
#include "Journal.h"
#include "JsonReport.h"
#include "PortSystem.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "Settings.h"
#include "SharedJournal.h"
#include "SqliteJournal.h"
#include "Translation.h"
#include "UnitPages.h"
#include "UnitRunner.h"

namespace cli {

QString Run::dataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

// The journal chosen, the station's own and the server's when one is named; kept open
// for the run, so that what waits to be shared can be told at its end.
config::Journal* Run::openJournal() {
    journal_ = makeJournal();
    return journal_.get();
}

// One more connection to the journal chosen (a thread needs its own); what goes wrong goes
// to tell, stderr when none.
std::unique_ptr<config::Journal> Run::makeJournal(const std::function<void(const QString&)>& tell) {
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

std::function<config::Journal*()> Run::unitJournal(bool journalled,
                                                   std::unique_ptr<config::Journal>& own,
                                                   UnitChannel& channel) {
    return [this, journalled, &own, &channel, opened = false]() mutable -> config::Journal* {
        if (!journalled || opened)
            return own.get();
        opened = true;
        own = makeJournal([&channel](const QString& why) { channel.fail(why); });
        return own.get();
    };
}

// The status, told that entries wait to be shared: success stays success, as Waiting.
int Run::sharingStatus(int status) {
    if (!journal_)
        return status;
    const QString waiting = waitingText(*journal_);
    if (waiting.isEmpty())
        return status;
    err(waiting);
    return status == Done ? Waiting : status;
}

QString Run::waitingText(config::Journal& journal) const {
    const config::Journal::Sharing sharing = journal.sharing();
    if (sharing.waiting == 0 || !historyChoice.server)
        return {};
    return QCoreApplication::translate("Commands",
                                       "journal entries waiting at this station to be shared "
                                       "with %1: %2 (sent when it is back: the next run, or "
                                       "history --sync): %3")
        .arg(historyChoice.server->text())
        .arg(sharing.waiting)
        .arg(sharing.why);
}

// history --init: the shared journal's tables made or upgraded.
int Run::initServer() {
    QString done;
    if (auto failure = config::ServerJournal::init(*historyChoice.server, &done)) {
        err(QCoreApplication::translate("Commands", "the shared journal is not made: ") +
            failure->text(language));
        return Failed;
    }
    out(done);
    return Done;
}

// history --sync: what waits here sent to the server (opening the journal sends it).
int Run::sync() {
    if (!openJournal())
        return Failed;
    const config::Journal::Sharing sharing = journal_->sharing();
    for (const config::Journal::Sharing::Refusal& r : sharing.refused)
        err(tr("journal entry %1 (%2) is refused by the server and waits at this station: %3")
                .arg(r.id)
                .arg(r.unit, r.why));
    out(tr("Journal entries sent to %1: %2; still waiting: %3.")
            .arg(historyChoice.server->text())
            .arg(sharing.shared)
            .arg(sharing.waiting));
    return sharing.waiting == 0 ? Done : Waiting;
}

// A unit's entries, named or read from the controller; or one entry into a file.
int Run::history(ControllerLink* link) {
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
        if (output == QLatin1String("-")) {
            // The file is the whole output, as read -o - gives it.
            UnitReport ignored;
            DirectChannel channel(ignored);
            return writeStdout(e.fileText(language), channel) ? Done : Failed;
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
    if (auto failure = wide ? journal->find(query, &entries) : journal->entries(unit, &entries)) {
        err(failure->text(language));
        return Failed;
    }
    QJsonArray listed;
    for (const config::JournalEntry& e : entries) listed.append(report::entry(e));
    document.insert(QStringLiteral("unit"), unit);
    document.insert(QStringLiteral("entries"), listed);
    // Each line escaped whole (out): a text a station stored cannot make a line of its own.
    // The server says which role made an entry, beside the station the entry names.
    for (const config::JournalEntry& e : entries) {
        QStringList columns{QString::number(e.id), e.time.toString(Qt::ISODate),
                            config::outcomeName(e.outcome)};
        if (wide)
            columns << e.unit << e.host;
        if (historyChoice.server)
            columns << (e.madeBy.isEmpty() ? QStringLiteral("-") : e.madeBy);
        out((columns << e.program).join(QStringLiteral("  ")));
    }
    return Done;
}

int Run::historyWindow() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        err(QCoreApplication::translate("Commands",
                                        "history --window needs a display: neither DISPLAY nor "
                                        "WAYLAND_DISPLAY is set; history without --window needs "
                                        "none"));
        return Failed;
    }
    config::Journal* journal = openJournal();
    if (!journal)
        return Failed;
    HistorySources sources{journal, nullptr, {}};
    // Beside the shared journal, the station's own, which holds what has not reached it.
    std::unique_ptr<config::Journal> station;
    if (historyChoice.server) {
        config::Message failure{};
        station = config::SqliteJournal::open(config::stationJournalFile(dataDir()), &failure,
                                              {historyChoice.station, {}});
        if (!station) {
            err(QCoreApplication::translate("Commands", "the journal cannot be opened: ") +
                failure.text(language));
            return Failed;
        }
        sources = {station.get(), journal, historyChoice.server->text()};
    }
    DialogChooser chooser(language);
    HistoryWindow window(sources, chooser, language);
    query.unit = files.value(0);
    window.setQuery(query);
    window.show();
    QApplication::exec();
    return Done;
}

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

}  // namespace cli
