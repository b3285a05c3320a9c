#pragma once
// The workshop's commands, run without a window (and so without a display):
//
//   trnsetup read [--port DEV]... -o FILE
//   trnsetup read --all-ports [--port DEV]... -o FOLDER
//   trnsetup write FILE [--port DEV]... --yes [--no-verify]
//   trnsetup write FILE (--port DEV --port DEV... | --all-ports) --yes   (a batch)
//   trnsetup show FILE
//   trnsetup diff A B
//   trnsetup history [--port DEV]... | MODEL-SERIAL
//   trnsetup history --export ENTRY -o FILE
//   trnsetup history --window [MODEL-SERIAL] [--station NAME] [--since T] [--until T] [--where C]
//
// each with [--language english|chinese|FILE] for the names of settings and the messages of
// the language module, and [--json] for one JSON document on standard output. Exit status 0 on
// success, 1 when a controller or a file fails, 2 on a usage error; every failure is one line on
// stderr.

#include <QStringList>

// The command word of the arguments (the program first), or an empty string when they ask
// for the wizard.
QString commandOf(const QStringList& arguments);

// Whether the arguments ask for history --window, the one command that shows a window.
bool wantsWindow(const QStringList& arguments);

// Runs the command the arguments name. Makes its own core application from argc and argv,
// so it must run before any other exists. Returns the exit status.
int runCommand(int& argc, char** argv, const QStringList& arguments);
