// station: the production line in a window, each unit that appears written as write does it.
#include "CommandRun.h"

#include <csignal>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QTimer>

#include "Changes.h"
#include "PortSystem.h"
#include "StationWindow.h"

namespace cli {

namespace {

// SIGTERM and SIGINT close the window as its close button does: the writes under way finish.
volatile std::sig_atomic_t stopAsked = 0;

extern "C" void askStop(int) {
    stopAsked = 1;
}

}  // namespace

void Run::stationUnit(const config::ConfigFile& file, bool journalled, UnitReport& unit,
                      UnitChannel& channel, const std::function<bool(const QString&)>& fresh,
                      QString* waits) {
    ThreadSleeper sleeper;
    ControllerLink link(sleeper);
    PortSystem system(QStringList{unit.port});
    link.portSystem = &system;
    // Looking at a port where nothing answers is no news: said nowhere.
    UnitReport probe;
    DirectChannel quiet(probe, false);
    CalibrationImage controller;
    if (!connectAndRead(link, controller, quiet, {unit.port}))
        return;
    unit.found = true;
    if (!fresh(config::unitName(controller))) {
        link.close();
        return;
    }
    link.reportMessage = [&](int id) { channel.fail(module.string(id)); };
    link.searchNote = [&](const QString& note) { channel.fail(note); };
    link.progress = [&](const LinkProgress& news) { channel.detail(news.text()); };
    std::unique_ptr<config::Journal> own;
    const auto journal = unitJournal(journalled, own, channel);
    channel.found(controller);
    unit.status = writeRead(link, file, controller, unit, channel, journal);
    if (unit.outcome.isEmpty())
        unit.outcome = config::outcomeName(config::Outcome::Failed);
    if (own)
        *waits = waitingText(*own);
    link.close();
}

int Run::station() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        err(QCoreApplication::translate(
            "Commands", "station needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set"));
        return Failed;
    }
    const std::optional<config::ConfigFile> file = loadFile(files[0], false);
    if (!file)
        return loadFailure;
    const std::optional<config::SettingsFile> shown = loadSettings(files[0]);
    if (!shown)
        return loadFailure;
    const QString folder =
        reportDir.isEmpty() ? dataDir() + QStringLiteral("/station-reports") : reportDir;
    if (!makeFolder(folder))
        return Failed;
    if (!journalReady())
        return Failed;
    document.insert(QStringLiteral("file"), files[0]);
    const bool journalled = writeJournal() != nullptr;

    StationWindow::Setup setup;
    setup.language = language;
    setup.fileName = QFileInfo(files[0]).fileName();
    setup.fileLines = QStringList{identityLine(shown->reference)} +
                      config::settingLines(shown->content(), language);
    setup.ports = ports;
    setup.ports.removeDuplicates();
    const PortSystem system(QStringList{}, portFolder);
    setup.watched = &system;
    setup.reportBase =
        QDir(folder).filePath(QStringLiteral("station-") + QDateTime::currentDateTime().toString(
                                                               QStringLiteral("yyyyMMdd-HHmmss")));
    setup.job = [&](UnitReport& unit, UnitChannel& channel,
                    const std::function<bool(const QString&)>& fresh, QString* waits) {
        stationUnit(*file, journalled, unit, channel, fresh, waits);
    };
    StationWindow window(std::move(setup));
    window.show();
    stopAsked = 0;
    std::signal(SIGTERM, askStop);
    std::signal(SIGINT, askStop);
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, &window, [&window] {
        if (stopAsked)
            window.close();
    });
    stop.start(100);
    QApplication::exec();
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    reportUnits(window.units());
    const StationWindow::Counts counts = window.counts();
    document.insert(QStringLiteral("counters"),
                    QJsonObject{{QStringLiteral("verified"), counts.verified},
                                {QStringLiteral("refused"), counts.refused},
                                {QStringLiteral("failed"), counts.failed}});
    document.insert(QStringLiteral("report"), window.reportBase());
    return batchStatus(window.units());
}

}  // namespace cli
