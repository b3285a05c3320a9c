// Renders every dialog template of a language bundle to PNG files, so that layouts can be
// looked at without running the wizard.
//
//   trnrender <bundle.rcc> <outdir>
//
// writes <outdir>/<language>-<id>.png for each template, as the template is created (controls
// created hidden stay hidden), and lists the hidden and disabled controls of each.
#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <memory>

#include "RenderStart.h"

namespace {

const int kDialogIds[] = {133, 146, 147, 148, 149, 150, 151, 156};

QString describe(const QWidget* control) {
    return QStringLiteral("%1 (%2)").arg(control->objectName(),
                                         QString::fromLatin1(control->metaObject()->className()));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: trnrender <bundle.rcc> <outdir>\n");
        return 2;
    }

    RenderStart render;
    if (!render.start("trnrender", args[1], args[2]))
        return 1;
    QString error;
    int failures = 0;
    for (int id : kDialogIds) {
        std::unique_ptr<QWidget> dialog(render.module.createDialog(id, nullptr, &error));
        if (!dialog) {
            std::fprintf(stderr, "trnrender: %s\n", qPrintable(error));
            ++failures;
            continue;
        }
        dialog->show();
        QApplication::processEvents();
        const QString path =
            render.save("trnrender", *dialog, QStringLiteral("%1-%2").arg(render.language).arg(id));
        if (path.isEmpty()) {
            ++failures;
            continue;
        }
        std::printf("%s  %dx%d", qPrintable(path), dialog->width(), dialog->height());
        if (!dialog->windowTitle().isEmpty())
            std::printf("  title \"%s\"", qPrintable(dialog->windowTitle()));
        std::printf("\n");
        for (const QWidget* control : dialog->findChildren<QWidget*>()) {
            if (control->objectName().isEmpty() ||
                control->objectName().startsWith(QLatin1String("qt_")))
                continue;
            if (control->isHidden())
                std::printf("    hidden:   %s\n", qPrintable(describe(control)));
            else if (!control->isEnabled())
                std::printf("    disabled: %s\n", qPrintable(describe(control)));
        }
        std::fflush(stdout);  // keep the listing in step with errors on stderr
    }
    return failures == 0 ? 0 : 1;
}
