// The work every command shares: the module, files, finding and reading controllers, batches.
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
#include "Translation.h"
#include "UnitPages.h"
#include "UnitRunner.h"

namespace cli {

// The program's own messages in the language chosen.
void Run::translate() {
    if (!translation.install(language == config::Language::Chinese,
                             ProgramTranslation::catalogueDir(programDir)))
        err(QStringLiteral("no catalogue %1 beside the modules: messages are in English")
                .arg(ProgramTranslation::catalogueName()));
}

// Loads the language module for its messages; the module's language names the settings.
bool Run::loadModule() {
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
std::optional<config::ConfigFile> Run::loadFile(const QString& path, bool warn) {
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

std::optional<config::SettingsFile> Run::loadSettings(const QString& path) {
    config::SettingsFileRead read = config::readSettingsFile(path);
    if (!read.ok()) {
        err(visibleText(path) + QStringLiteral(": ") + read.error->text(language));
        loadFailure = read.error->kind == config::Message::Kind::Unreadable ? Failed : Usage;
        return std::nullopt;
    }
    for (const config::Message& warning : read.warnings)
        err(visibleText(path) + QStringLiteral(": ") + warning.text(language));
    return std::move(read.file);
}

// Finds the controller on the ports searched and reads it, unless it is connected already.
bool Run::connectAndRead(ControllerLink& link, CalibrationImage& image, UnitChannel& channel,
                         const QStringList& searched) {
    channel.stage(QCoreApplication::translate("Commands", "searching"));
    if (link.portOpen != 1 && !link.ConnectController()) {
        // The search has already said what each port gave.
        channel.fail(
            searched.isEmpty()
                ? QCoreApplication::translate("Commands", "no controller found on any serial port")
                : QCoreApplication::translate("Commands", "no controller found on ") +
                      searched.join(QStringLiteral(", ")));
        return false;
    }
    channel.stage(QCoreApplication::translate("Commands", "reading"));
    if (!link.ReadImage(image)) {
        channel.fail(QCoreApplication::translate("Commands", "reading the controller failed: ") +
                     link.failure);
        return false;
    }
    channel.found(image);
    return true;
}

bool Run::connectAndRead(ControllerLink& link, CalibrationImage& image) {
    UnitReport unit;
    DirectChannel channel(unit);
    return connectAndRead(link, image, channel, ports);
}

// How the units' progress shows: not at all under --json, in place on a terminal.
Progress Run::progress() const {
    if (json)
        return Progress::None;
    return ::isatty(::fileno(stdout)) ? Progress::InPlace : Progress::Lines;
}

std::vector<UnitReport> Run::runOnPorts(const UnitJob& job) {
    QStringList names;
    for (const QString& p : ports.isEmpty() ? PortSystem().portNames() : ports)
        if (!names.contains(p))
            names << p;
    std::vector<UnitReport> units(static_cast<std::size_t>(names.size()));
    for (std::size_t i = 0; i < units.size(); ++i) units[i].port = names[static_cast<qsizetype>(i)];
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
        progress(), allPorts);
    if (allPorts) {
        // A port named where nothing answered is no unit, but the summary names it.
        for (const UnitReport& u : units)
            if (!u.found && !ports.isEmpty())
                silentPorts << u.port;
        std::erase_if(units, [](const UnitReport& u) { return !u.found; });
    }
    return units;
}

// What a unit that succeeded did, in the summary's words.
QString Run::doneWords(const UnitReport& u) {
    if (u.outcome == QLatin1String("saved"))
        return QCoreApplication::translate("Commands", "saved");
    if (u.outcome == QLatin1String("unchanged"))
        return QCoreApplication::translate("Commands", "already held the file's settings");
    if (u.outcome == config::outcomeName(config::Outcome::NotVerified))
        return QCoreApplication::translate("Commands", "written");
    return QCoreApplication::translate("Commands", "written and verified");
}

// The summary's last line: what every unit that succeeded did (each kind counted when they
// differ), or which did not succeed (as the words notDone say); the named ports that did
// not answer.
QString Run::summaryLine(const std::vector<UnitReport>& units, const QStringList& failing,
                         const QString& notDone) const {
    QString line;
    if (!failing.isEmpty()) {
        line = QCoreApplication::translate("Commands", "%1 of %2 units not %3: %4")
                   .arg(failing.size())
                   .arg(units.size())
                   .arg(notDone, failing.join(QStringLiteral(", ")));
    } else {
        QStringList kinds;
        QList<int> counts;
        for (const UnitReport& u : units) {
            const QString words = doneWords(u);
            if (const qsizetype i = kinds.indexOf(words); i >= 0) {
                ++counts[i];
            } else {
                kinds << words;
                counts << 1;
            }
        }
        if (kinds.size() == 1) {
            line = QCoreApplication::translate("Commands", "All %1 units %2.")
                       .arg(units.size())
                       .arg(kinds[0]);
        } else {
            QStringList parts;
            for (qsizetype i = 0; i < kinds.size(); ++i)
                parts << QCoreApplication::translate("Commands", "%1 %2",
                                                     "a count of units, what they did")
                             .arg(counts[i])
                             .arg(kinds[i]);
            line = QCoreApplication::translate("Commands", "All %1 units done: %2.")
                       .arg(units.size())
                       .arg(parts.join(QStringLiteral(", ")));
        }
    }
    if (!silentPorts.isEmpty())
        line += QLatin1Char(' ') +
                QCoreApplication::translate("Commands", "No controller answered on %1.")
                    .arg(silentPorts.join(QStringLiteral(", ")));
    return line;
}

// After a batch: each unit's lines under its port, the summary table, the units that
// failed; their errors on stderr.
int Run::finishBatch(std::vector<UnitReport>& units, const QString& notDone) {
    reportUnits(units);
    if (!silentPorts.isEmpty())
        document.insert(QStringLiteral("silent_ports"), QJsonArray::fromStringList(silentPorts));
    if (units.empty()) {
        err(ports.isEmpty()
                ? QCoreApplication::translate("Commands", "no controller found on any serial port")
                : QCoreApplication::translate("Commands", "no controller found on ") +
                      ports.join(QStringLiteral(", ")));
        return Failed;
    }
    for (const UnitReport& u : units)
        for (const QString& line : u.lines) out(visibleText(u.port) + QStringLiteral(": ") + line);
    for (const QString& line : summaryTable(units)) out(line);
    QStringList failing;
    for (const UnitReport& u : units) {
        // The search's notes name their port already.
        const QString prefix = u.port + QStringLiteral(": ");
        for (const QString& line : u.errors) err(line.startsWith(prefix) ? line : prefix + line);
        if (u.status == Unrecorded)
            failing << QCoreApplication::translate("Commands", "%1 (%2, not in the journal)")
                           .arg(visibleText(u.port), u.outcome);
        else if (u.status != Done)
            failing << QStringLiteral("%1 (%2)").arg(visibleText(u.port), u.outcome);
    }
    out(summaryLine(units, failing, notDone));
    return batchStatus(units);
}

void Run::reportUnits(const std::vector<UnitReport>& units) {
    QJsonArray list;
    for (const UnitReport& u : units) list.append(u.json());
    document.insert(QStringLiteral("units"), list);
}

// A file's text as the whole of standard output ("-" for -o); false, said, when it did not
// all get there.
bool Run::writeStdout(const QString& text, UnitChannel& channel) {
    return writeStdoutText(text, [&channel](const QString& why) { channel.fail(why); });
}

// Only a new name or a regular file is replaced, never a device, a FIFO or a folder:
// refused before any controller is searched for.
bool Run::mayReplace(const QString& path) {
    if (const QString why = refusalToWrite(path); !why.isEmpty()) {
        err(config::Message{config::Message::Kind::WriteFailed, 0, {path, why}}.text(language));
        return false;
    }
    return true;
}

}  // namespace cli
