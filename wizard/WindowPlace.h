#pragma once
// Where the user left a window and how large, kept per user between runs.

#include <QString>

class QWidget;

class WindowPlace {
public:
    // name: the window's key in the file (one per kind of window).
    explicit WindowPlace(QString name, QString file = defaultFile());

    // Puts the window where it was last kept; false, leaving it alone, when nothing is kept.
    // A place off every screen now (a screen unplugged) is brought back onto one by Qt.
    bool restore(QWidget& window) const;
    void keep(const QWidget& window) const;

    // The user's file of window places, beside the program's settings.
    static QString defaultFile();

private:
    QString key_;
    QString file_;
};
