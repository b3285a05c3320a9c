#pragma once
// The test server behind a TCP forwarder (tcp-forwarder.cpp), which a test can freeze: the
// connections stay open and acknowledged, and nothing is answered.

#include <signal.h>

#include <QProcess>
#include <QString>

#include "PgServer.h"

class Forwarder {
public:
    Forwarder() {
        process_.start(QStringLiteral(TRN_FORWARDER), {PgServer::file("port")});
        if (process_.waitForReadyRead(5000))
            port_ = QString::fromLatin1(process_.readLine()).trimmed();
    }
    ~Forwarder() {
        thaw();
        process_.kill();
        process_.waitForFinished(5000);
    }
    Forwarder(const Forwarder&) = delete;
    Forwarder& operator=(const Forwarder&) = delete;

    // The port it listens on, empty when it did not start.
    const QString& port() const { return port_; }
    QString url(const QString& role, const QString& database) const {
        return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(role, port_, database);
    }
    bool freeze() { return signal(SIGSTOP); }
    bool thaw() { return signal(SIGCONT); }

private:
    bool signal(int number) {
        const qint64 pid = process_.processId();
        return pid > 0 && ::kill(static_cast<pid_t>(pid), number) == 0;
    }

    QProcess process_;
    QString port_;
};
