#include "CVexlaControllerApp.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

#include "CalibrationImage.h"
#include "ControllerLink.h"
#include "EditedFile.h"
#include "ExitStatus.h"
#include "FileNames.h"
#include "ModuleIds.h"
#include "Options.h"
#include "PortSystem.h"
#include "Prompter.h"
#include "SystemError.h"
#include "Translation.h"
#include "Wizird.h"

namespace {
using module::IconProgram;
}  // namespace

namespace {
QString installedDir(const QString& programDir, const QString& path) {
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("../") + path));
}
}  // namespace

QString moduleFile(const QString& programDir, const QString& language) {
    const QString beside = QDir(programDir).filePath(language + QStringLiteral(".rcc"));
    const QString installed = QDir(installedDir(programDir, QStringLiteral("share/trnsetup")))
                                  .filePath(language + QStringLiteral(".rcc"));
    return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

bool runsInstalled(const QString& programDir) {
    const QDir dir(programDir);
    return !dir.exists(QStringLiteral("english.rcc")) &&
           !dir.exists(QStringLiteral("chinese.rcc")) &&
           (QFileInfo::exists(moduleFile(programDir, QStringLiteral("english"))) ||
            QFileInfo::exists(moduleFile(programDir, QStringLiteral("chinese"))));
}

QString manualFile(const QString& programDir, const QString& language) {
    return QDir::toNativeSeparators(installedDir(
        programDir, QStringLiteral("share/doc/trnsetup/manual/%1/index.html").arg(language)));
}

namespace {

constexpr char EditHelp[] =
    "edit FILE opens the wizard on a configuration file or a default file (...V.v) with the "
    "pages of its controller, none connected; Finish saves the file. Example: trnsetup edit "
    "unit7.trncfg";

// edit --help: the command and the one option it takes besides the program's.
QString editHelpText() {
    const QCommandLineOption& language = options::option(options::Language);
    return QStringLiteral(
               "Usage: trnsetup edit FILE [--language english|chinese|FILE]\n%1\n"
               "Options:\n  -l, --language <%2>  %3\n")
        .arg(QLatin1String(EditHelp), language.valueName(), language.description());
}

// The wizard's --help: its options, the commands and where the manuals are.
QString helpText(const QCommandLineParser& parser, const QString& programDir) {
    QString text =
        parser.helpText() +
        QStringLiteral(
            "\nWorkshop commands: trnsetup read|write|show|diff|history|station (station in a "
            "window, the others without one; trnsetup COMMAND --help: its own help).\nManual: "
            "%1\nChinese manual: %2\n")
            .arg(manualFile(programDir, QStringLiteral("en")),
                 manualFile(programDir, QStringLiteral("zh_CN")));
    // The parser names the program by its path, or by a placeholder before the GUI exists.
    const qsizetype options = text.indexOf(QLatin1String(" [options]"));
    if (text.startsWith(QLatin1String("Usage: ")) && options > 0)
        text = QStringLiteral("Usage: trnsetup") + text.mid(options);
    return text;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& programDir) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Configuration wizard for TRN/TRE series motor controllers.\n"
        "Finds the serial port on which a controller answers, shows its configuration and\n"
        "writes it back on Finish; edit FILE edits a file without a controller."));
    using namespace options;
    const QCommandLineOption &help = option(Help), &version = option(Version),
                             &language = option(Language), &port = option(Port),
                             &history = option(History), &station = option(Station),
                             &portFolder = option(PortFolder);
    parser.addOptions({help, version, language, port, portFolder, history, station});
    parser.addPositionalArgument(QStringLiteral("edit"), QLatin1String(EditHelp),
                                 QStringLiteral("[edit FILE]"));

    CommandLine line;
    if (!parser.parse(arguments)) {
        line.action = CommandLine::Action::Error;
        line.message = parser.errorText();
        return line;
    }
    QStringList words = parser.positionalArguments();
    // Asked for after the command word too, whatever else the line holds.
    if (parser.isSet(help) || parser.isSet(version)) {
        line.action = parser.isSet(help) ? CommandLine::Action::Help : CommandLine::Action::Version;
        line.message = !parser.isSet(help) ? QStringLiteral("trnsetup " TRN_VERSION "\n")
                       : words.value(0) == QLatin1String("edit") ? editHelpText()
                                                                 : helpText(parser, programDir);
        return line;
    }
    if (words.value(0) == QLatin1String("edit")) {
        if (words.size() != 2 || words[1].isEmpty()) {
            line.action = CommandLine::Action::Error;
            line.message = QStringLiteral("edit takes one file name.");
            return line;
        }
        if (parser.isSet(port)) {
            line.action = CommandLine::Action::Error;
            line.message = QStringLiteral("edit takes no --port: it works without a controller.");
            return line;
        }
        line.editFile = words[1];
        words.clear();
    }
    if (!words.isEmpty()) {
        line.action = CommandLine::Action::Error;
        line.message = QStringLiteral("Unexpected argument '%1'.").arg(words.constFirst());
        return line;
    }
    const QString name =
        parser.isSet(language) ? parser.value(language) : QStringLiteral("chinese");
    if (name == QLatin1String("english") || name == QLatin1String("chinese"))
        line.languageFile = moduleFile(programDir, name);
    else if (name.isEmpty()) {
        line.action = CommandLine::Action::Error;
        line.message = QStringLiteral("--language needs english, chinese or a module file.");
        return line;
    } else
        line.languageFile = name;
    line.ports = parser.values(port);
    line.history = parser.value(history);
    line.station = parser.value(station);
    for (const QString& p : std::as_const(line.ports)) {
        if (p.isEmpty()) {
            line.action = CommandLine::Action::Error;
            line.message = QStringLiteral("--port needs a device path.");
            return line;
        }
    }
    line.portFolder = parser.value(portFolder);
    line.message =
        portFolderProblem(parser.isSet(portFolder), line.portFolder, !line.ports.isEmpty());
    if (!line.message.isEmpty())
        line.action = CommandLine::Action::Error;
    return line;
}

QStringList programArguments(int argc, char** argv) {
    // Options of QGuiApplication and QApplication; those in the first list take a value.
    static const QStringList withValue{
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("style"),           QStringLiteral("stylesheet"),
        QStringLiteral("display"),         QStringLiteral("geometry"),
    };
    static const QStringList flags{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                   QStringLiteral("nograb"), QStringLiteral("dograb"),
                                   QStringLiteral("sync")};
    QStringList arguments;
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) {
        // File and device names are the system's bytes, whatever the locale says.
        const QString argument = fileNameFromSystem(argv[i]);
        if (i > 0 && argument.startsWith(QLatin1Char('-')) &&
            !argument.startsWith(QLatin1String("--"))) {
            const QString name = argument.mid(1).section(QLatin1Char('='), 0, 0);
            if (flags.contains(name))
                continue;
            if (withValue.contains(name)) {
                if (!argument.contains(QLatin1Char('=')) && i + 1 < argc)
                    ++i;
                continue;
            }
        }
        arguments << argument;
    }
    return arguments;
}

int answerCommandLine(const CommandLine& line) {
    switch (line.action) {
        case CommandLine::Action::Help:
        case CommandLine::Action::Version:
            // A text that did not reach standard output (a full disk) is a failure.
            if (std::fputs(qPrintable(line.message), stdout) < 0 || std::fflush(stdout) != 0) {
                std::fprintf(stderr, "trnsetup: %s%s\n",
                             qPrintable(QCoreApplication::translate(
                                 "Commands", "cannot write to standard output: ")),
                             qPrintable(systemErrorText(errno)));
                return exitstatus::Failed;
            }
            return exitstatus::Done;
        case CommandLine::Action::Error:
            std::fprintf(stderr, "trnsetup: %s\nTry 'trnsetup --help'.\n",
                         qPrintable(line.message));
            return exitstatus::Usage;
        case CommandLine::Action::Run:
            break;
    }
    return -1;
}

CVexlaControllerApp::CVexlaControllerApp(int& argc, char** argv)
    : app_(std::make_unique<QApplication>(argc, argv)),
      translation_(std::make_unique<ProgramTranslation>()) {
    QApplication::setApplicationName(QStringLiteral("trnsetup"));
    // No display name: the window system would append it to every title, and the titles are
    // the language module's own.
    QApplication::setApplicationVersion(QStringLiteral(TRN_VERSION));
    programDir = QApplication::applicationDirPath();
    reportFatal = [](const QString& text) {
        std::fprintf(stderr, "trnsetup: %s\n", qPrintable(text));
        QMessageBox::critical(nullptr, QStringLiteral("trnsetup"), text);
    };
}

CVexlaControllerApp::~CVexlaControllerApp() {
    ExitInstance();
}

int CVexlaControllerApp::InitInstance(const QStringList& arguments) {
    const CommandLine line = parseCommandLine(arguments, programDir);
    if (const int status = answerCommandLine(line); status >= 0)
        return status;

    QString error;
    const std::optional<config::HistoryChoice> history =
        config::chooseHistory(line.history, qEnvironmentVariable("TRNSETUP_HISTORY"),
                              config::historySettingsFile(), line.station, &error);
    if (!history) {
        // Started from a desktop, the user would see nothing on standard error alone.
        reportFatal(error);
        return exitstatus::Usage;
    }
    if (!languageModule.load(line.languageFile, &error)) {
        reportFatal(QStringLiteral("Cannot load the language module %1.\n%2\n\nThe program "
                                   "cannot run without it; reinstall it beside the program or "
                                   "choose another with --language.")
                        .arg(QDir::toNativeSeparators(line.languageFile), error));
        return 1;
    }
    // A damaged or foreign module must not reach a page that expects a control it lacks. A
    // file's wizard builds its pages at once, and each refuses a template that lacks one of its
    // controls: building every template twice would slow it by a third.
    const QString unfit = line.editFile.isEmpty() ? Wizird::checkModule(languageModule) : QString();
    if (!unfit.isEmpty()) {
        reportFatal(unfit);
        return 1;
    }
    followModule();

    std::optional<EditedFile> file;
    if (!line.editFile.isEmpty()) {
        EditedFile::Failure failure;
        file = EditedFile::open(line.editFile, languageModule, &failure);
        if (!file) {
            reportFatal(failure.text);
            return failure.status;
        }
    }

    return runWizard(line, *history, std::move(file));
}

void CVexlaControllerApp::followModule() {
    const QString catalogueDir = ProgramTranslation::catalogueDir(programDir);
    if (!translation_)
        translation_ = std::make_unique<ProgramTranslation>();
    if (!translation_->install(languageModule.isChinese(), catalogueDir))
        std::fprintf(stderr, "trnsetup: %s\n",
                     qUtf8Printable(QStringLiteral("no catalogue %1 in %2: the program's own texts "
                                                   "are shown in English")
                                        .arg(ProgramTranslation::catalogueName(), catalogueDir)));
    const QIcon icon = languageModule.icon(IconProgram);
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
}

int CVexlaControllerApp::runWizard(const CommandLine& line, const config::HistoryChoice& history,
                                   std::optional<EditedFile> file) {
    {
        CalibrationImage image;
        ThreadSleeper sleeper;
        ControllerLink link(sleeper);
        PortSystem ports(line.ports, line.portFolder);
        MessageBoxPrompter prompter(languageModule);
        link.portSystem = &ports;
        link.reportMessage = [&prompter](int id) { prompter.ask(id, Prompter::Buttons::Ok); };

        WizardEnvironment environment{image,      link, prompter, languageModule,
                                      programDir, {},   {},       {}};
        // Installed, the program's folder is no place for files; a portable copy keeps them.
        if (runsInstalled(programDir))
            environment.dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        // Every write is journalled, wherever the program runs from.
        environment.historyDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        environment.file = std::move(file);
        environment.history = history;
        Wizird wizard(environment);
        prompter.setParent(&wizard);
        prompter.setAddress(wizard.supportedControllersUrl().toString());
        const bool started = wizard.OnInitDialog();
        if (started)
            wizard.exec();
        link.reportMessage = nullptr;
        // Without a controller, start-up ends early only when the module cannot build the
        // file's pages; either way the wizard has said why.
        if ((!started && !line.editFile.isEmpty()) || wizard.failed())
            return 1;
    }
    return 0;
}

int CVexlaControllerApp::ExitInstance() {
    translation_.reset();
    languageModule.release();
    return 0;
}
