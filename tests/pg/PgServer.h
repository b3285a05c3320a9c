#pragma once
// The throw-away server the ctest fixture started (tests/pg/pg-server.sh): its port, its
// password file, SQL as its superuser, and stopping and starting it again; and a forwarder in
// front of it (tcp-forwarder.cpp) that a test can freeze, so that connections stay open and
// acknowledged and nothing is answered.

#include <signal.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>

struct PgServer {
    // The fixture's folder; TRN_PG_DIR names another server's (scripts/bench-history.sh).
    static QString dir() { return qEnvironmentVariable("TRN_PG_DIR", QStringLiteral(TRN_PG_DIR)); }
    static QString file(const char* name) {
        QFile f(dir() + QLatin1Char('/') + QLatin1String(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    }
    // Why the tests cannot run; empty when the server is there.
    static QString absent() {
        if (const QString why = file("skip"); !why.isEmpty())
            return why;
        if (file("port").isEmpty())
            return QStringLiteral("no PostgreSQL test server: ctest starts it (ctest -R pg)");
        return {};
    }
    // What went wrong, empty when nothing did; output, when given, gets standard output.
    static QString run(const QStringList& arguments, const QByteArray& input = {},
                       QString* output = nullptr) {
        QProcess p;
        p.start(QStringLiteral(TRN_PG_SCRIPT), arguments);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(30000);
        if (output)
            *output = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError());
    }
    // SQL as the superuser; what went wrong, empty when nothing did.
    static QString sql(const QString& database, const QString& text) {
        return run({QStringLiteral("sql"), dir(), database}, text.toUtf8());
    }
    // The rows the query gives as the superuser, one a line, columns split by '|'.
    static QStringList rows(const QString& database, const QString& query) {
        QString output;
        const QString failed =
            run({QStringLiteral("rows"), dir(), database}, query.toUtf8(), &output);
        EXPECT_TRUE(failed.isEmpty()) << failed.toStdString();
        return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // A verified entry put straight into the server's journal, as the superuser, whatever its
    // texts hold (line breaks, terminal escapes): what a listing of the journal must survive.
    static QString plantEntry(const QString& database, const QString& unit, const QString& program,
                              const QString& station) {
        const auto text = [](const QString& t) {
            return QStringLiteral("convert_from('\\x%1'::bytea, 'UTF8')")
                .arg(QString::fromLatin1(t.toUtf8().toHex()));
        };
        return sql(
            database,
            QStringLiteral("INSERT INTO trnsetup.entries (uuid, unit, time, program, station, "
                           "image, outcome) VALUES (gen_random_uuid(), %1, now(), %2, %3, "
                           "decode(repeat('00', 128), 'hex'), 'verified');")
                .arg(text(unit), text(program), text(station)));
    }
    static QString pause() { return run({QStringLiteral("pause"), dir()}); }
    static QString resume() { return run({QStringLiteral("resume"), dir()}); }
    // A database of its own for a test, owned by the role that runs history --init.
    static QString newDatabase() {
        static int count = 0;
        const QString name =
            QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(++count);
        const QString failed =
            sql(QStringLiteral("postgres"),
                QStringLiteral("CREATE DATABASE %1 OWNER trnsetup_owner;").arg(name));
        EXPECT_TRUE(failed.isEmpty()) << failed.toStdString();
        return name;
    }
    static QString url(const QString& role, const QString& database) {
        return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(role, file("port"), database);
    }
};

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

// Skips the test, saying why, when there is no server to test against.
#define SKIP_WITHOUT_SERVER()                                   \
    if (const QString why = PgServer::absent(); !why.isEmpty()) \
        GTEST_SKIP() << why.toStdString();                      \
    qputenv("PGPASSFILE", QFile::encodeName(PgServer::dir() + QStringLiteral("/pgpass")))
