#include "CVexlaControllerApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Help, version and mistakes on the command line need no display: answered before the GUI
    // exists. The language module's path is resolved later, once the program's directory is known.
    const int early = answerCommandLine(parseCommandLine(programArguments(argc, argv), QString()));
    if (early >= 0) return early;

    CVexlaControllerApp app(argc, argv);
    const int status = app.InitInstance(QApplication::arguments());
    const int exitStatus = app.ExitInstance();
    return status != 0 ? status : exitStatus;
}
