#pragma once
// What the workshop commands share: the options of a run and the work of each command, whose
// families live in files of their own (read, write, history, files), and the output they print.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "CalibrationImage.h"
#include "ConfigFile.h"
#include "ControllerLink.h"
#include "ExitStatus.h"
#include "Journal.h"
#include "ModuleIds.h"
#include "ResourceModule.h"
#include "SettingsFile.h"
#include "SharedJournal.h"
#include "Translation.h"
#include "UnitRunner.h"

class QCommandLineParser;

namespace session {
struct Written;
}

namespace cli {

using namespace exitstatus;

using module::MsgWarning;  // write prints it without --yes

// With --json, standard output holds the JSON only; every line for stderr is also one of
// its errors. Units' threads may fail at once.
struct Output {
    bool json = false;
    std::mutex mutex;
    QJsonArray errors;
};
Output& output();

// Standard output, UTF-8 whatever the locale: names and files are UTF-8, and the Chinese names
// must survive. print: a line as it is; out: one line, with control characters escaped, so
// that a name or text from a file, a controller or the server cannot make a line of its own or
// drive the terminal (nothing under --json); outLines: a text of the program or the module,
// line by line.
void put(const QByteArray& bytes);
void print(const QString& text);
void out(const QString& text);
void outLines(const QString& text);
// One line on standard error per failure, control characters escaped; also one of the
// document's errors under --json.
void err(const QString& text);
// A file's text as the whole of standard output; false when it did not all get there (said
// on stderr through fail).
bool writeStdoutText(const QString& text, const std::function<void(const QString&)>& fail);
// The status, unless what was printed did not all reach standard output: then a failure, said
// on standard error, so that a script never takes a lost listing or document for one.
int checkedStdout(int status);

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

private:
    UnitReport& unit_;
    bool print_;
};

// A batch's status: the most serious of its units', failures first, then files to mend, then
// writes the journal missed.
int batchStatus(const std::vector<UnitReport>& units);

// What --help prints for the commands: for one command, its own entries and the options.
QString usageText(const QString& command = {});

// What a command works with: its options and the language chosen.
struct Run {
    Q_DECLARE_TR_FUNCTIONS(Commands)

public:
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
    bool withoutJournal = false;  // write even when the journal cannot record it
    int loadFailure = Failed;     // the status of the last file loadFile refused
    qint64 exportEntry = 0;
    config::HistoryChoice historyChoice;
    config::EntryQuery query;
    bool asks = false;    // history was given a station, a time or a setting to look for
    bool window = false;  // history --window: the journal in a window
    QString portFolder;   // station: the folder of links watched, empty for the system's ports
    QString reportDir;    // station: where its reports go, empty for the default
    std::unique_ptr<config::Journal> journal_;
    QString languageName = QStringLiteral("english");
    config::Language language = config::Language::English;
    ResourceModule module;
    QString programDir;
    ProgramTranslation translation;

    // The program's own messages in the language chosen.
    void translate();

    // Loads the language module for its messages; the module's language names the settings.
    bool loadModule();

    // A file, with its warnings unless the pages will say what they make of it.
    std::optional<config::ConfigFile> loadFile(const QString& path, bool warn = true);
    // A configuration file or a default file ("...V.v"), as edit reads it, with its warnings.
    std::optional<config::SettingsFile> loadSettings(const QString& path);

    // Finds the controller on the ports searched and reads it, unless it is connected already.
    bool connectAndRead(ControllerLink& link, CalibrationImage& image, UnitChannel& channel,
                        const QStringList& searched);
    bool connectAndRead(ControllerLink& link, CalibrationImage& image);

    // How the units' progress shows: not at all under --json, in place on a terminal.
    Progress progress() const;

    // Runs job for a unit on every port named (each port once), all at once, each with a link
    // of its own. With --all-ports, every port (or every one named) is tried, and a port on which
    // no controller answers is no unit.
    using UnitJob = std::function<void(ControllerLink&, UnitReport&, UnitChannel&)>;
    std::vector<UnitReport> runOnPorts(const UnitJob& job);

    // What a unit that succeeded did, in the summary's words.
    static QString doneWords(const UnitReport& u);

    // The summary's last line: what every unit that succeeded did (each kind counted when they
    // differ), or which did not succeed (as the words notDone say); the named ports that did
    // not answer.
    QString summaryLine(const std::vector<UnitReport>& units, const QStringList& failing,
                        const QString& notDone) const;

    // After a batch: each unit's lines under its port, the summary table, the units that
    // failed; their errors on stderr.
    int finishBatch(std::vector<UnitReport>& units, const QString& notDone);

    void reportUnits(const std::vector<UnitReport>& units);

    // The image read into a configuration file at path ("-": standard output).
    int saveRead(const CalibrationImage& image, const QString& path, UnitReport& unit,
                 UnitChannel& channel);

    // A file's text as the whole of standard output ("-" for -o); false, said, when it did not
    // all get there.
    static bool writeStdout(const QString& text, UnitChannel& channel);

    // Only a new name or a regular file is replaced, never a device, a FIFO or a folder:
    // refused before any controller is searched for.
    bool mayReplace(const QString& path);

    int read(ControllerLink& link);

    // Every controller that answers into the folder output, one file a unit named by it. The
    // files are saved once all are read, in port order, so that two units that name themselves
    // alike cannot race for one file.
    int readAll();

    // Without --yes nothing is written: the wizard's warning says why.
    bool confirmed();

    static QString noJournalText();

    // The journal is opened before any controller is searched for: without it nothing is
    // written, unless --without-journal says to.
    bool journalReady();

    int write(ControllerLink& link);

    // The file onto every unit at once, each as a single write does it.
    int writeAll();

    // The journal writes go to, opened once; none when it cannot be (said once).
    config::Journal* writeJournal();

    // One controller: found, refused or written and read back. Runs on the unit's thread, with
    // the journal journalOf gives on it.
    int writeUnit(ControllerLink& link, const config::ConfigFile& file, UnitReport& unit,
                  UnitChannel& channel, const QStringList& searched,
                  const std::function<config::Journal*()>& journalOf);
    // The controller connected and read as controller: refused, or written and read back.
    int writeRead(ControllerLink& link, const config::ConfigFile& file,
                  const CalibrationImage& controller, UnitReport& unit, UnitChannel& channel,
                  const std::function<config::Journal*()>& journalOf);
    // The image target sent to the unit that held controller: journalled, written, read back.
    int send(ControllerLink& link, const CalibrationImage& controller,
             const CalibrationImage& target, UnitReport& unit, UnitChannel& channel,
             const std::function<config::Journal*()>& journalOf);
    // What came of a write, for the user; the status a single write exits with.
    int tellWritten(const session::Written& w, const CalibrationImage& target,
                    UnitChannel& channel);

    static QString dataDir();

    // The journal chosen, the station's own and the server's when one is named; kept open
    // for the run, so that what waits to be shared can be told at its end.
    config::Journal* openJournal();

    // One more connection to the journal chosen (a thread needs its own); what goes wrong goes
    // to tell, stderr when none.
    std::unique_ptr<config::Journal> makeJournal(
        const std::function<void(const QString&)>& tell = err);
    // A unit's connection, made by makeJournal into own on the first call when journalled
    // (each unit's thread needs its own); what goes wrong goes to the unit's channel.
    std::function<config::Journal*()> unitJournal(bool journalled,
                                                  std::unique_ptr<config::Journal>& own,
                                                  UnitChannel& channel);
    // Makes folder and those above it; false, said on stderr, when it cannot be made.
    bool makeFolder(const QString& folder);

    // The status, told that entries wait to be shared: success stays success, as Waiting.
    int sharingStatus(int status);
    // What a journal that holds entries waiting to be shared says of them; empty when none wait.
    QString waitingText(config::Journal& journal) const;

    // station: the production line in a window until it is closed; the units as a batch's.
    int station();
    // One unit of the station on its port, on the tile's thread: found, then written as write
    // does it unless fresh (the unit's name) says it was handled already while connected.
    // journalled: whether the journal opened (each unit then opens a connection of its own).
    void stationUnit(const config::ConfigFile& file, bool journalled, UnitReport& unit,
                     UnitChannel& channel, const std::function<bool(const QString&)>& fresh,
                     QString* waits);
    // A file's unit as show prints it: model, variant, firmware and serial.
    static QString identityLine(const CalibrationImage& unit);

    // history --init: the shared journal's tables made or upgraded.
    int initServer();

    // history --sync: what waits here sent to the server (opening the journal sends it); each
    // entry the server would not take named with its reason. Waiting while any still waits.
    int sync();

    // A unit's entries, named or read from the controller; or one entry into a file.
    int history(ControllerLink* link);

    // history --window: the journal in a window, its filters set from the options, until the
    // window is closed.
    int historyWindow();

    // The file's settings onto target as the wizard's pages take them after Load: what Finish
    // would write. A status when the file cannot be taken; byUnit then says whether this
    // controller refused it (rather than the pages failing to build). Any thread.
    std::optional<int> takeAsPages(const config::ConfigFile& file, CalibrationImage& target,
                                   UnitChannel& channel, bool* byUnit);

    int show();

    // As diff(1): 0 the same, 1 they differ (the controller they name included), 2 trouble.
    int diff();

    QJsonObject document;     // what --json prints, besides format, command, status and errors
    QStringList silentPorts;  // ports named for --all-ports on which nothing answered
    bool journalOpened_ = false;
};

// The options of the shared history: which journal, which station, and what history looks
// for. A status when they are wrong.
std::optional<int> takeHistoryOptions(Run& run, const QCommandLineParser& parser,
                                      const std::array<QCommandLineOption, 7>& options,
                                      const std::function<int(const QString&)>& usage);

}  // namespace cli
