#pragma once
// Every option of trnsetup's command line, defined once: the wizard's parser and the commands'
// take theirs from here, and so does the look-up of the command word among them.

#include <initializer_list>

#include <QCommandLineOption>
#include <QList>
#include <QString>

namespace options {

enum Id {
    Help,
    Version,
    Language,
    Port,
    History,
    Station,
    OutputFile,
    Yes,
    NoVerify,
    Adjust,
    Force,
    WithoutJournal,
    Export,
    AllPorts,
    Json,
    Init,
    Sync,
    Since,
    Until,
    Where,
    Window,
    PortFolder,
    Report,
};

const QCommandLineOption& option(Id id);
QList<QCommandLineOption> list(std::initializer_list<Id> ids);
// Whether the argument is an option that takes the next one as its value ("-p", "--port").
bool takesValue(const QString& argument);
// What is wrong with --port-folder as given (empty: nothing), for every parser that takes it.
QString portFolderProblem(bool set, const QString& folder, bool portsNamed);

}  // namespace options
