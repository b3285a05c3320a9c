#include "CVexlaControllerApp.h"
#include "Commands.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv) {
    // The workshop's commands run without a window, so without a display.
    if (const QStringList arguments = programArguments(argc, argv); !commandOf(arguments).isEmpty())
        return runCommand(argc, argv, arguments);

    // Help, version and mistakes on the command line need no display: answered before the GUI
    // exists, which is also before Qt can tell the program's directory.
    const QString programDir =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
    const int early = answerCommandLine(parseCommandLine(programArguments(argc, argv), programDir));
    if (early >= 0)
        return early;

    CVexlaControllerApp app(argc, argv);
    const int status = app.InitInstance(QApplication::arguments());
    const int exitStatus = app.ExitInstance();
    return status != 0 ? status : exitStatus;
}
