#include "Options.h"

#include <vector>

#include <QFileInfo>

namespace options {

namespace {

struct Entry {
    Id id;
    const char* shortName;  // empty: none
    const char* name;
    const char* value;  // empty: a switch
    const char* help;   // what the wizard's --help says; the commands print their usage text
};

constexpr Entry Table[] = {
    {Help, "h", "help", "", "Show this help and exit."},
    {Version, "v", "version", "", "Show the program's version and exit."},
    {Language, "l", "language", "module",
     "Language module: english, chinese (the default) or the path of a .rcc module file."},
    {Port, "p", "port", "device",
     "Serial device to search for the controller, such as /dev/ttyUSB0. Repeat to search "
     "several, in order. Without it every serial port of the system is searched."},
    {History, "", "history", "url",
     "Journal of writes shared on a server, postgresql://USER@HOST[:PORT]/DB (the password from "
     "~/.pgpass), or 'local'. Default: TRNSETUP_HISTORY, else the settings file, else this "
     "station's own journal."},
    {Station, "", "station", "name", "The station's name in the journal. Default: the host name."},
    {OutputFile, "o", "output", "file", ""},
    {Yes, "", "yes", "", ""},
    {NoVerify, "", "no-verify", "", ""},
    {Adjust, "", "adjust", "", ""},
    {Force, "", "force", "", ""},
    {WithoutJournal, "", "without-journal", "", ""},
    {Export, "", "export", "entry", ""},
    {AllPorts, "", "all-ports", "", ""},
    {Json, "", "json", "", ""},
    {Init, "", "init", "", ""},
    {Sync, "", "sync", "", ""},
    {Since, "", "since", "time", ""},
    {Until, "", "until", "time", ""},
    {Where, "", "where", "condition", ""},
    {Window, "", "window", "", ""},
    {PortFolder, "", "port-folder", "folder",
     "Search the devices linked in this folder (such as /dev/serial/by-id) instead of every "
     "serial port of the system; links that come and go while the wizard waits for a "
     "controller are followed."},
    {Report, "", "report", "folder", ""},
};

const std::vector<QCommandLineOption>& all() {
    static const std::vector<QCommandLineOption> made = [] {
        std::vector<QCommandLineOption> out;
        for (const Entry& s : Table) {
            QStringList names{QLatin1String(s.name)};
            if (*s.shortName)
                names.prepend(QLatin1String(s.shortName));
            out.emplace_back(names, QLatin1String(s.help), QLatin1String(s.value));
        }
        return out;
    }();
    return made;
}

}  // namespace

const QCommandLineOption& option(Id id) {
    static_assert(Table[Report].id == Report, "the table follows the enumeration");
    return all()[static_cast<std::size_t>(id)];
}

QList<QCommandLineOption> list(std::initializer_list<Id> ids) {
    QList<QCommandLineOption> out;
    for (Id id : ids) out << option(id);
    return out;
}

bool takesValue(const QString& argument) {
    for (const QCommandLineOption& o : all())
        if (!o.valueName().isEmpty())
            for (const QString& name : o.names())
                if (argument ==
                    (name.size() == 1 ? QLatin1String("-") : QLatin1String("--")) + name)
                    return true;
    return false;
}

QString portFolderProblem(bool set, const QString& folder, bool portsNamed) {
    if (set && !QFileInfo(folder).isDir())
        return QStringLiteral("--port-folder: '%1' is not a folder.").arg(folder);
    if (set && portsNamed)
        return QStringLiteral("--port and --port-folder exclude each other.");
    return {};
}

}  // namespace options
