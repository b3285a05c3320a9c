#pragma once
// The reasons the system gives for a failure (strerror, QFile::errorString), in the program's
// language: the common ones through the installed catalogue (context "System"), which has them
// in Chinese; any other, and every one without a catalogue, as the system says it.

#include <QString>

QString systemErrorText(int code);
// For a reason already put into words by the system or by Qt, which say it as strerror does.
QString systemErrorText(const QString& systemText);
