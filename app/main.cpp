#include "CVexlaControllerApp.h"
#include "Commands.h"

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QFileInfo>

namespace {

// Qt ends a program that cannot reach a window system with its platform plugin's message and
// an abort (status 134); the user is told what is wrong instead, with status 1.
QtMessageHandler previousHandler = nullptr;
QStringList platformMessages;

void startupHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const bool platform =
        context.category != nullptr && QByteArrayView(context.category).startsWith("qt.qpa");
    if (type != QtFatalMsg) {
        if (platform)
            platformMessages << message;  // said once, below, if the start fails
        else if (previousHandler)
            previousHandler(type, context, message);
        return;
    }
    QString why;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        why = QCoreApplication::translate(
            "main",
            "There is no display to show the wizard on: neither DISPLAY nor WAYLAND_DISPLAY is "
            "set. Start it in a desktop session; the workshop commands (trnsetup read, write, "
            "show, diff, history) need no display.");
    else
        why = QCoreApplication::translate("main", "The window system cannot be reached: %1")
                  .arg(platformMessages.isEmpty() ? message.section(QLatin1Char('\n'), 0, 0)
                                                  : platformMessages.join(QStringLiteral("; ")));
    std::fprintf(stderr, "trnsetup: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    // The workshop's commands run without a window, so without a display; --json asks for a
    // command's document, which says so when no command is given.
    if (const QStringList arguments = programArguments(argc, argv);
        !commandOf(arguments).isEmpty() || arguments.mid(1).contains(QStringLiteral("--json")))
        return runCommand(argc, argv, arguments);

    // Help, version and mistakes on the command line need no display: answered before the GUI
    // exists, which is also before Qt can tell the program's directory.
    const QString programDir =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
    const int early = answerCommandLine(parseCommandLine(programArguments(argc, argv), programDir));
    if (early >= 0)
        return early;

    previousHandler = qInstallMessageHandler(startupHandler);
    CVexlaControllerApp app(argc, argv);
    qInstallMessageHandler(previousHandler);
    const int status = app.InitInstance(QApplication::arguments());
    const int exitStatus = app.ExitInstance();
    return status != 0 ? status : exitStatus;
}
