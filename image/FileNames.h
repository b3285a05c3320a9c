#pragma once
// File names are the system's bytes, not text: a name need not be UTF-8. Inside the program a
// name is a QString in which each byte that is not part of valid UTF-8 is held as the lone
// code point U+DC00 + byte; no valid UTF-8 decodes to those, so every name reaches the system
// again exactly as it came.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

QString fileNameFromSystem(QByteArrayView bytes);
QByteArray fileNameToSystem(const QString& name);

// text for a message of one line: control characters and a name's stray bytes shown as \xNN
// (\uNNNN above U+00FF), so that nothing in a value can end, cut or hide part of the line.
QString visibleText(const QString& text);
