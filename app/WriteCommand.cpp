// write: a configuration file onto one controller or a batch of them.
#include "CommandRun.h"
#include "WriteSession.h"

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

// Without --yes nothing is written: the wizard's warning says why.
bool Run::confirmed() {
    if (yes)
        return true;
    outLines(module.string(MsgWarning));
    err(QCoreApplication::translate("Commands",
                                    "nothing written: add --yes once the motor is not running"));
    return false;
}

QString Run::noJournalText() {
    return QCoreApplication::translate(
        "Commands",
        "nothing written: the journal cannot record the write (--without-journal writes "
        "without it)");
}

// The journal is opened before any controller is searched for: without it nothing is
// written, unless --without-journal says to.
bool Run::journalReady() {
    if (writeJournal() || withoutJournal)
        return true;
    err(noJournalText());
    return false;
}

int Run::write(ControllerLink& link) {
    if (!confirmed())
        return Usage;
    const std::optional<config::ConfigFile> file = loadFile(files[0], false);
    if (!file)
        return loadFailure;
    if (!journalReady())
        return Failed;
    document.insert(QStringLiteral("file"), files[0]);
    UnitReport unit;
    unit.port = ports.size() == 1 ? ports[0] : QString();
    DirectChannel channel(unit);
    unit.status = writeUnit(link, *file, unit, channel, ports, [this] { return writeJournal(); });
    reportUnits({unit});
    return unit.status;
}

// The file onto every unit at once, each as a single write does it.
int Run::writeAll() {
    if (!confirmed())
        return Usage;
    const std::optional<config::ConfigFile> file = loadFile(files[0], false);
    if (!file)
        return loadFailure;
    document.insert(QStringLiteral("file"), files[0]);
    // Opened here first, so that earlier files are taken in once and what it says comes
    // before the units start; then each unit's thread has a connection of its own, and no
    // unit waits on another's entry while the main thread builds pages.
    if (!journalReady())
        return Failed;
    const bool journalled = writeJournal() != nullptr;
    std::vector<UnitReport> units =
        runOnPorts([&](ControllerLink& link, UnitReport& unit, UnitChannel& channel) {
            std::unique_ptr<config::Journal> own;
            const auto journal = unitJournal(journalled, own, channel);
            journal();  // while the controller is read, not once its pages are done
            unit.status = writeUnit(link, *file, unit, channel, {unit.port}, journal);
        });
    return finishBatch(units, verify
                                  ? QCoreApplication::translate("Commands", "written and verified")
                                  : QCoreApplication::translate("Commands", "written"));
}

// The journal writes go to, opened once; none when it cannot be (said once).
config::Journal* Run::writeJournal() {
    if (!journalOpened_) {
        journalOpened_ = true;
        openJournal();
    }
    return journal_.get();
}

// One controller: found, refused or written and read back. Runs on the unit's thread; the
// pages are used on the main thread, the journal journalOf gives on this one.
int Run::writeUnit(ControllerLink& link, const config::ConfigFile& file, UnitReport& unit,
                   UnitChannel& channel, const QStringList& searched,
                   const std::function<config::Journal*()>& journalOf) {
    CalibrationImage controller;
    if (!connectAndRead(link, controller, channel, searched)) {
        unit.outcome = QStringLiteral("unreachable");
        return Failed;
    }
    return writeRead(link, file, controller, unit, channel, journalOf);
}

// The controller read as controller: refused, or written and read back.
int Run::writeRead(ControllerLink& link, const config::ConfigFile& file,
                   const CalibrationImage& controller, UnitReport& unit, UnitChannel& channel,
                   const std::function<config::Journal*()>& journalOf) {
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
        // The module's own address for other series is a placeholder, as in the wizard.
        channel.fail(messageText(
            module, refusal, supportedControllersPage(programDir, module.isChinese()).toString()));
        return Failed;
    }
    CalibrationImage target = controller;
    std::optional<int> refused;
    bool byUnit = false;
    refused = takeAsPages(file, target, channel, &byUnit);
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

    return send(link, controller, target, unit, channel, journalOf);
}

int Run::send(ControllerLink& link, const CalibrationImage& controller,
              const CalibrationImage& target, UnitReport& unit, UnitChannel& channel,
              const std::function<config::Journal*()>& journalOf) {
    // Pending in the journal before the first frame, so that a write cut short by a crash
    // or a pulled cable is still there. Without that entry nothing is sent, unless the user
    // said to write without a journal.
    config::Journal* journal = journalOf();
    qint64 entry = 0;
    if (journal) {
        if (auto failure = journal->begin(controller, target, config::programText(), &entry)) {
            channel.fail(QCoreApplication::translate("Commands",
                                                     "the write is not recorded in the journal: ") +
                         failure->text(language));
            journal = nullptr;
        }
    }
    if (!journal && !withoutJournal) {
        unit.outcome = config::outcomeName(config::Outcome::Failed);
        channel.fail(noJournalText());
        return Failed;
    }
    if (journal)
        unit.entry = entry;
    unit.outcome = config::outcomeName(config::Outcome::Pending);

    channel.stage(QCoreApplication::translate("Commands", "writing"));
    const session::Written w = session::write(
        link, controller, target, verify, session::direct,
        [&] { channel.stage(QCoreApplication::translate("Commands", "reading back")); });
    bool recorded = journal != nullptr;
    if (w.outcome) {
        unit.outcome = config::outcomeName(*w.outcome);
        if (journal)
            if (auto failure = journal->complete(entry, *w.outcome)) {
                channel.fail(QCoreApplication::translate(
                                 "Commands", "the outcome (%1) is not recorded in the journal: %2")
                                 .arg(unit.outcome, failure->text(language)));
                recorded = false;
            }
    }
    const int status = tellWritten(w, target, channel);
    if (status != Done || recorded)
        return status;
    // Everything asked for happened; only the journal is missing.
    channel.fail(QCoreApplication::translate(
        "Commands", "written and verified, but the journal does not record it"));
    return Unrecorded;
}

int Run::tellWritten(const session::Written& w, const CalibrationImage& target,
                     UnitChannel& channel) {
    using config::Outcome;
    const QString failed = tr("writing the controller failed: ") + w.writeFailure;
    if (!w.outcome) {
        // The line is gone: what the controller holds cannot be told; the entry stays pending.
        channel.fail(failed + (!w.triedRead
                                   ? tr("; whether it holds the new settings is unknown")
                                   : tr("; reading it back failed too: ") + w.readFailure +
                                         tr("; whether it holds the new settings is unknown (the "
                                            "journal entry stays pending)")));
        return Failed;
    }
    switch (*w.outcome) {
        case Outcome::Verified:
            channel.say(tr("Written and read back: the controller holds what was written."));
            return Done;
        case Outcome::ReplyLost:
            channel.say(tr("The controller's reply to the write was lost (") + w.writeFailure +
                        tr("); read back, it holds what was written."));
            return Done;
        case Outcome::NotVerified:
            if (!verify) {
                channel.say(tr("Written; not read back (--no-verify)."));
                return Done;
            }
            channel.fail(tr("written, but reading it back failed: ") + w.readFailure);
            return Failed;
        case Outcome::Failed:
            // Nothing committed, or read back as it was before.
            channel.fail(w.read ? failed + tr("; read back, it holds its settings as before: "
                                              "nothing written")
                                : failed);
            return Failed;
        default:
            break;
    }
    const QStringList differ =
        config::changeLines(config::changes(target, w.held, language), language);
    channel.fail(tr("read-back mismatch: written -> read back: ") +
                 (differ.isEmpty() ? tr("bytes that are no setting differ")
                                   : differ.join(QStringLiteral("; "))));
    return Failed;
}

// The file's settings onto target as the wizard's pages take them after Load: what Finish
// would write. A status when the file cannot be taken; byUnit then says whether this
// controller refused it (rather than the pages failing to build). Any thread.
std::optional<int> Run::takeAsPages(const config::ConfigFile& file, CalibrationImage& target,
                                    UnitChannel& channel, bool* byUnit) {
    model::UnitPages pages(target);
    QString error;
    const auto templates = [this](int id, QString* why) { return module.dialogText(id, why); };
    if (!pages.build(templates, module.fileName(), &error)) {
        channel.fail(error);
        return Failed;
    }
    *byUnit = true;
    model::PageWalk& walk = pages.walk();
    walk.start();
    const model::PageWalk::Applied applied = walk.apply(file);
    if (applied.refusal) {
        channel.fail(visibleText(files[0]) + QStringLiteral(": ") +
                     applied.refusal->text(language));
        return Failed;
    }
    for (const model::Adjustment& a : applied.adjustments)
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
    walk.show(walk.count());  // Finish: the page shown stores
    return std::nullopt;
}

}  // namespace cli
