#pragma once
// The test server behind a TCP forwarder (tcp-forwarder.cpp) that a test can freeze: the
// connections stay open and acknowledged, and nothing is answered.

#include <signal.h>

#include <QProcess>

#include "PgServer.h"

struct Forwarder {
    Forwarder() {
        process.start(QStringLiteral(TRN_FORWARDER), {PgServer::file("port")});
        if (process.waitForReadyRead(5000))
            port = QString::fromLatin1(process.readLine()).trimmed();
    }
    QString url(const QString& database) const {
        return QStringLiteral("postgresql://trnsetup_owner@127.0.0.1:%1/%2").arg(port, database);
    }
    bool signal(int number) { return ::kill(static_cast<pid_t>(process.processId()), number) == 0; }

    QProcess process;
    QString port;  // empty when it did not start
};
