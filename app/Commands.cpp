#include "Commands.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
#include "CommandRun.h"
#include "ConfigFile.h"
#include "ControllerLink.h"
#include "FileNames.h"
#include "HelpPages.h"
#include "Journal.h"
#include "JsonReport.h"
#include "Options.h"
#include "PortSystem.h"
#include "Prompter.h"
#include "ResourceModule.h"
#include "Settings.h"
#include "SharedJournal.h"
#include "SqliteJournal.h"
#include "Translation.h"
#include "UnitPages.h"
#include "UnitRunner.h"

using namespace cli;

namespace {

const QStringList Commands{QStringLiteral("read"),    QStringLiteral("write"),
                           QStringLiteral("show"),    QStringLiteral("diff"),
                           QStringLiteral("history"), QStringLiteral("station")};

}  // namespace

QString commandOf(const QStringList& arguments) {
    // The command word may follow options; a value of an option is not one.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (options::takesValue(a)) {
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

using namespace options;

// Why the command line is wrong, said as the commands say it; the status for it.
int usage(const QString& why) {
    QString text = why;
    while (text.endsWith(QLatin1Char('.'))) text.chop(1);
    err(text + QStringLiteral(". Try 'trnsetup read --help'."));
    return Usage;
}

// The options every command reads into the run; a status when they are wrong.
std::optional<int> takeOptions(Run& run, const QCommandLineParser& parser) {
    QStringList words = parser.positionalArguments();
    if (words.isEmpty() || !Commands.contains(words.constFirst()))
        return usage(QStringLiteral("no command given"));
    run.command = words.takeFirst();
    run.files = words;
    run.ports = parser.values(option(Port));
    run.output = parser.value(option(OutputFile));
    run.yes = parser.isSet(option(Yes));
    run.allPorts = parser.isSet(option(AllPorts));
    run.adjust = parser.isSet(option(Adjust));
    run.force = parser.isSet(option(Force));
    run.verify = !parser.isSet(option(NoVerify));
    run.withoutJournal = parser.isSet(option(WithoutJournal));
    if (run.withoutJournal && run.command != QLatin1String("write"))
        return usage(QStringLiteral("%1 takes no --without-journal").arg(run.command));
    if (parser.isSet(option(Language)))
        run.languageName = parser.value(option(Language));
    run.portFolder = parser.value(option(PortFolder));
    run.reportDir = parser.value(option(Report));
    const bool station = run.command == QLatin1String("station");
    for (Id own : {PortFolder, Report})
        if (parser.isSet(option(own)) && !station)
            return usage(QStringLiteral("%1 takes no --%2")
                             .arg(run.command, option(own).names().constLast()));
    if (const QString wrong = portFolderProblem(parser.isSet(option(PortFolder)), run.portFolder,
                                                !run.ports.isEmpty());
        !wrong.isEmpty())
        return usage(wrong);
    if (parser.isSet(option(Report)) && run.reportDir.isEmpty())
        return usage(QStringLiteral("--report needs a folder"));

    const bool history = run.command == QLatin1String("history");
    const bool exporting = parser.isSet(option(Export));
    if (exporting && !history)
        return usage(QStringLiteral("%1 takes no --export").arg(run.command));
    if (const std::optional<int> wrong =
            takeHistoryOptions(run, parser,
                               {option(History), option(Station), option(Init), option(Sync),
                                option(Since), option(Until), option(Where)},
                               usage))
        return wrong;
    run.window = parser.isSet(option(Window));
    if (run.window) {
        if (!history)
            return usage(QStringLiteral("%1 takes no --window").arg(run.command));
        for (Id other : {Export, Init, Sync, OutputFile, Port, Json})
            if (parser.isSet(option(other)))
                return usage(QStringLiteral("history --window takes no --%1")
                                 .arg(option(other).names().constLast()));
    }
    if (exporting) {
        if (!run.files.isEmpty())
            return usage(QStringLiteral("history --export takes no unit"));
        bool number = false;
        run.exportEntry = parser.value(option(Export)).toLongLong(&number);
        if (!number || run.exportEntry <= 0)
            return usage(QStringLiteral("--export needs an entry number"));
    }
    if (history && !exporting && !run.files.isEmpty()) {
        // The unit as the journal names it.
        const std::optional<QString> unit = config::unitNamed(run.files[0]);
        if (run.files.size() > 1 || !unit)
            return usage(
                QStringLiteral("history takes one unit as MODEL-SERIAL, like "
                               "TRN48201-000AB0FF"));
        run.files[0] = *unit;
    }
    return std::nullopt;
}

// Which options and how many files a command takes.
struct Shape {
    const char* command;
    int files;
    bool link, output, confirm, batch;
};

// What the command's shape refuses of the options given; a status when something is wrong.
std::optional<int> checkShape(const Run& run, const QCommandLineParser& parser,
                              const Shape& shape) {
    if (run.files.size() != shape.files)
        return usage(QStringLiteral("%1 takes %2 file name(s), not %3")
                         .arg(run.command)
                         .arg(shape.files)
                         .arg(run.files.size()));
    if (!shape.link && parser.isSet(option(Port)))
        return usage(QStringLiteral("%1 takes no --port").arg(run.command));
    if (shape.output != parser.isSet(option(OutputFile)))
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
            QStringLiteral("--json prints its document on standard output; -o - cannot share it"));
    return std::nullopt;
}

// show, diff and history without a controller: the files need no module unless one is named
// for its language.
int runWithoutLink(Run& run, const QCommandLineParser& parser) {
    const bool named = run.languageName == QLatin1String("english") ||
                       run.languageName == QLatin1String("chinese");
    if (named) {
        run.language = config::languageNamed(run.languageName);
        run.translate();
    } else if (!run.loadModule()) {
        return Failed;
    }
    if (run.command != QLatin1String("history"))
        return run.command == QLatin1String("show") ? run.show() : run.diff();
    if (parser.isSet(option(Init))) {
        // The tables first, then what waits for them, when both are asked.
        const int made = run.initServer();
        if (made != Done || !parser.isSet(option(Sync)))
            return made;
    }
    if (parser.isSet(option(Sync)))
        return run.sharingStatus(run.sync());
    if (run.window)
        return run.sharingStatus(run.historyWindow());
    return run.sharingStatus(run.history(nullptr));
}

// read, write and history of the controller on a port; several ports written, or every port,
// one unit each, all at once.
int runWithLink(Run& run) {
    if (!run.loadModule())
        return Failed;
    if (run.command == QLatin1String("station"))
        return run.sharingStatus(run.station());
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
    const int status = run.command == QLatin1String("history") ? run.history(&link)
                       : run.command == QLatin1String("read")  ? run.read(link)
                                                               : run.write(link);
    link.close();
    return run.sharingStatus(status);
}

// The command line taken apart and run; helped when it asked for the usage text only.
int runArguments(const QStringList& arguments, Run& run, bool* helped) {
    QCommandLineParser parser;
    parser.addOptions(
        list({Help,  Version,        Language, Port,     OutputFile, Yes,        NoVerify, Adjust,
              Force, WithoutJournal, Export,   AllPorts, Json,       History,    Station,  Init,
              Sync,  Since,          Until,    Where,    Window,     PortFolder, Report}));
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    // As after the program's name alone, whatever else the line holds.
    if (parser.isSet(option(Help)) || parser.isSet(option(Version))) {
        *helped = true;
        const QString command = parser.positionalArguments().value(0);
        print(parser.isSet(option(Help))
                  ? usageText(Commands.contains(command) ? command : QString())
                  : QStringLiteral("trnsetup " TRN_VERSION));
        return Done;
    }
    run.programDir = QCoreApplication::applicationDirPath();
    if (const std::optional<int> wrong = takeOptions(run, parser))
        return *wrong;
    const bool exporting = parser.isSet(option(Export));
    const bool serverWork = parser.isSet(option(Init)) || parser.isSet(option(Sync));
    const Shape shapes[] = {
        {"read", 0, true, true, false, true},
        {"write", 1, true, false, true, true},
        {"show", 1, false, false, false, false},
        {"diff", 2, false, false, false, false},
        {"station", 1, true, false, false, false},
        // The controller is read only to know the unit when none is named.
        {"history", static_cast<int>(run.files.size()),
         !exporting && !serverWork && !run.asks && !run.window && run.files.isEmpty(), exporting,
         false, false},
    };
    for (const Shape& shape : shapes) {
        if (run.command != QLatin1String(shape.command))
            continue;
        if (const std::optional<int> wrong = checkShape(run, parser, shape))
            return *wrong;
        return shape.link ? runWithLink(run) : runWithoutLink(run, parser);
    }
    return usage(QStringLiteral("unknown command"));
}

}  // namespace

bool wantsWindow(const QStringList& arguments) {
    const QString command = commandOf(arguments);
    return command == QLatin1String("station") ||
           (command == QLatin1String("history") &&
            arguments.mid(1).contains(QStringLiteral("--window")));
}

int runCommand(int& argc, char** argv, const QStringList& arguments) {
    // The pages' rules take a file's values without a widget: no GUI starts, so no display is
    // needed. What Qt says about its own set-up is not for the workshop's scripts, which read
    // one line a failure.
    static bool window = false;
    window = wantsWindow(arguments);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            err(text);
        // A window system that cannot be reached ends the run as a failure, not an abort.
        if (type == QtFatalMsg && window)
            std::_Exit(Failed);
    });
    // Only the journal's window needs the GUI, and only where there is a display to show it
    // on; without one the command line is checked all the same, and historyWindow says why not.
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") ||
                         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    const std::unique_ptr<QCoreApplication> app =
        window && display ? std::make_unique<QApplication>(argc, argv)
                          : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trnsetup"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRN_VERSION));
    // Known before the options are parsed, so that a mistake in them is a document too.
    output().json = arguments.mid(1).contains(QStringLiteral("--json"));

    Run run;
    run.json = output().json;
    // Named in the JSON even when the options after it are wrong.
    run.command = commandOf(arguments);
    bool helped = false;
    const int status = runArguments(arguments, run, &helped);
    if (!output().json || helped)
        return checkedStdout(status);
    QJsonObject document = run.document;
    document.insert(QStringLiteral("format"), report::Format);
    document.insert(QStringLiteral("command"),
                    run.command.isEmpty() ? QJsonValue::Null : QJsonValue(run.command));
    document.insert(QStringLiteral("status"), status);
    {
        const std::lock_guard<std::mutex> lock(output().mutex);
        document.insert(QStringLiteral("errors"), output().errors);
    }
    put(QJsonDocument(document).toJson(QJsonDocument::Indented));
    return checkedStdout(status);
}
