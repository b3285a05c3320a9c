#pragma once
// Runs the real trnsetup program as a workshop command: no display, its own data folder.

#include <functional>

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

struct CommandResult {
    int status = -1;  // -1 when it hung or crashed
    QStringList out;  // lines
    QStringList err;
};

// whileRunning, when given, runs once the program has started, before it is waited for.
inline CommandResult runTrnsetup(const QStringList& arguments, const QString& dataHome,
                                 const std::function<void(QProcess&)>& whileRunning = {}) {
    const auto lines = [](const QByteArray& bytes) {
        return QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    };
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TRN_BIN_DIR "/trnsetup"), arguments);
    if (whileRunning)
        whileRunning(p);
    CommandResult r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = lines(p.readAllStandardOutput());
    r.err = lines(p.readAllStandardError());
    return r;
}

// The JSON a --json run printed, checked by Python's own parser too where there is one.
inline QJsonObject printedJson(const QByteArray& text) {
    if (const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        !python.isEmpty()) {
        QProcess p;
        p.start(python, {QStringLiteral("-m"), QStringLiteral("json.tool")});
        p.write(text);
        p.closeWriteChannel();
        p.waitForFinished(10000);
        EXPECT_EQ(p.exitCode(), 0) << text.toStdString();
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    return doc.object();
}
inline QJsonObject printedJson(const CommandResult& r) {
    return printedJson(r.out.join(QLatin1Char('\n')).toUtf8());
}
