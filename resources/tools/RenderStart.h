#pragma once
// What the render tools do before they draw: the module loaded, the folder for the pictures
// made, and the language the pictures are named after.

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QWidget>

#include <cstdio>

#include "ResourceModule.h"

struct RenderStart {
    ResourceModule module;
    QDir out;
    QString language;

    // False, said on stderr after the tool's name, when the module does not load or the folder
    // cannot be made.
    bool start(const char* tool, const QString& bundle, const QString& outDir) {
        QString error;
        if (!module.load(bundle, &error)) {
            std::fprintf(stderr, "%s: %s\n", tool, qPrintable(error));
            return false;
        }
        out = QDir(outDir);
        if (!QDir().mkpath(out.path())) {
            std::fprintf(stderr, "%s: cannot create %s\n", tool, qPrintable(out.path()));
            return false;
        }
        language = module.languageName();
        if (language.isEmpty())
            language = QFileInfo(module.fileName()).baseName();
        return true;
    }

    // The widget drawn into <out>/<name>.png: the file's path, or empty (said on stderr).
    QString save(const char* tool, QWidget& widget, const QString& name) const {
        const QString path = out.filePath(name + QStringLiteral(".png"));
        if (widget.grab().save(path))
            return path;
        std::fprintf(stderr, "%s: cannot write %s\n", tool, qPrintable(path));
        return {};
    }
};
