#include "WindowPlace.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

WindowPlace::WindowPlace(QString name, QString file)
    : key_(name + QStringLiteral("/geometry")), file_(std::move(file)) {}

QString WindowPlace::defaultFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("window.conf"));
}

bool WindowPlace::restore(QWidget& window) const {
    const QByteArray kept = QSettings(file_, QSettings::IniFormat).value(key_).toByteArray();
    return !kept.isEmpty() && window.restoreGeometry(kept);
}

void WindowPlace::keep(const QWidget& window) const {
    // Losing a window's place is not worth a message; the next run starts at the usual size.
    QSettings(file_, QSettings::IniFormat).setValue(key_, window.saveGeometry());
}
