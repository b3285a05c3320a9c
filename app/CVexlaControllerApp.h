#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QStringList>

#include "EditedFile.h"
#include "ResourceModule.h"
#include "SharedJournal.h"

class QApplication;
class ProgramTranslation;

// What the command line asks for.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString languageFile;  // path of the language module to load
    QStringList ports;     // serial devices to search, in order; empty means all
    QString portFolder;    // --port-folder: its links stand in for the system's ports
    QString message;       // help or version text, or the error
    QString editFile;      // edit FILE: the wizard on this file, without a controller
    QString history;       // --history: the server the journal is shared on, or "local"
    QString station;       // --station: the name entries give this station
};

// The module file of a language: beside the program (build folder, portable copy), else
// installed in ../share/trnsetup; the one beside the program when neither exists, so that the
// error names it.
QString moduleFile(const QString& programDir, const QString& language);
// True when the program runs installed: no module beside it, but one in ../share/trnsetup.
bool runsInstalled(const QString& programDir);
// Where the manual of a language ("en", "zh_CN") is installed, for the program in programDir.
QString manualFile(const QString& programDir, const QString& language);

// trnsetup [--language english|chinese|FILE] [--port DEVICE]... [--port-folder FOLDER]
//          [--help] [--version]
// trnsetup [--language english|chinese|FILE] edit FILE
CommandLine parseCommandLine(const QStringList& arguments, const QString& programDir);

// The program's arguments as the user typed them, less the options the GUI toolkit takes for
// itself (-platform, -style and the like), which the toolkit would otherwise have removed.
QStringList programArguments(int argc, char** argv);

// Help, version and errors: prints them (help and version on stdout, an error on stderr) and
// returns the exit status: 0, 1 when the text could not be written, 2. Returns -1 when the
// line asks for the wizard.
int answerCommandLine(const CommandLine& line);

// The application: loads the language module, runs the wizard, releases the module.
class CVexlaControllerApp {
public:
    CVexlaControllerApp(int& argc, char** argv);
    ~CVexlaControllerApp();

    // Runs the whole program for the given command line (arguments[0] is the program);
    // returns the process exit status.
    int InitInstance(const QStringList& arguments);
    // Releases the language module; every window is gone by now.
    int ExitInstance();

    ResourceModule languageModule;

    // Directory of the program: language modules and default files live there.
    QString programDir;
    // Reports a failure that ends the program before the wizard (message box and stderr).
    std::function<void(const QString&)> reportFatal;

private:
    // The program's own texts and the window icon, as the module loaded has them.
    void followModule();
    // The wizard on the controller found, or on the file when one is edited; its status.
    int runWizard(const CommandLine& line, const config::HistoryChoice& history,
                  std::optional<EditedFile> file);

    std::unique_ptr<QApplication> app_;
    std::unique_ptr<ProgramTranslation> translation_;
};
