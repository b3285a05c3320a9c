// Renders every dialog template of a language bundle to PNG files, so that layouts can be
// looked at without running the wizard.
//
//   trnrender <bundle.rcc> <outdir>
//
// writes <outdir>/<language>-<id>.png for each template, as the template is created (controls
// created hidden stay hidden), and lists the hidden and disabled controls of each.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <memory>

#include "ResourceModule.h"

namespace {

const int kDialogIds[] = {133, 146, 147, 148, 149, 150, 151, 156};

QString languageName(const ResourceModule& module) {
    const QString name = module.languageName();
    return name.isEmpty() ? QFileInfo(module.fileName()).baseName() : name;
}

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

    ResourceModule module;
    QString error;
    if (!module.load(args[1], &error)) {
        std::fprintf(stderr, "trnrender: %s\n", qPrintable(error));
        return 1;
    }
    const QDir out(args[2]);
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "trnrender: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    const QString language = languageName(module);
    int failures = 0;
    for (int id : kDialogIds) {
        std::unique_ptr<QWidget> dialog(module.createDialog(id, nullptr, &error));
        if (!dialog) {
            std::fprintf(stderr, "trnrender: %s\n", qPrintable(error));
            ++failures;
            continue;
        }
        dialog->show();
        QApplication::processEvents();
        const QString path = out.filePath(QStringLiteral("%1-%2.png").arg(language).arg(id));
        if (!dialog->grab().save(path)) {
            std::fprintf(stderr, "trnrender: cannot write %s\n", qPrintable(path));
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
