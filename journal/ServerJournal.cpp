#include "ServerJournal.h"

#include <arpa/inet.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

#include "ServerWatchdog.h"

namespace config {

namespace {

// The outcomes the server takes: every one a station records.
QString outcomeCheck() {
    QStringList quoted;
    for (const QString& outcome : outcomeNames())
        quoted << QLatin1Char('\'') + outcome + QLatin1Char('\'');
    return QStringLiteral("CHECK (outcome IN (%1))").arg(quoted.join(QStringLiteral(", ")));
}

// Each step takes the tables from the version of its index to the next. A program refuses
// a journal of a version it has no step for, so that nothing is written that it cannot read.
const std::vector<QStringList> Steps{
    {
        QStringLiteral("CREATE SCHEMA IF NOT EXISTS trnsetup"),
        QStringLiteral("CREATE TABLE trnsetup.schema_version ("
                       " version integer PRIMARY KEY,"
                       " made timestamptz NOT NULL DEFAULT now())"),
        QStringLiteral("CREATE TABLE trnsetup.entries ("
                       " id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,"
                       " uuid uuid NOT NULL UNIQUE,"
                       " unit text NOT NULL,"
                       " time timestamptz NOT NULL,"
                       " program text NOT NULL,"
                       " station text NOT NULL,"
                       " held bytea CHECK (held IS NULL OR length(held) = 128),"
                       " image bytea NOT NULL CHECK (length(image) = 128),"
                       " outcome text NOT NULL CHECK (outcome IN ('pending', 'verified',"
                       " 'differs', 'failed', 'reply-lost-read-back', 'not-verified')),"
                       " made_by name NOT NULL DEFAULT current_user,"
                       " shared timestamptz NOT NULL DEFAULT now())"),
        QStringLiteral("CREATE INDEX entries_by_unit ON trnsetup.entries (unit, id)"),
        QStringLiteral("CREATE INDEX entries_by_station ON trnsetup.entries (station, id)"),
        QStringLiteral("CREATE INDEX entries_by_time ON trnsetup.entries (time)"),
        // The server keeps the rules for every role: an entry is never deleted, a completed
        // one never changes, a pending one only gets its outcome, and only from the role
        // that added it; who added it is the server's to say.
        QStringLiteral(
            "CREATE FUNCTION trnsetup.entries_are_kept() RETURNS trigger LANGUAGE plpgsql AS $$\n"
            "BEGIN\n"
            "  IF TG_OP = 'INSERT' THEN\n"
            "    NEW.made_by := current_user;\n"
            "    NEW.shared := now();\n"
            "    RETURN NEW;\n"
            "  END IF;\n"
            "  IF TG_OP <> 'UPDATE' THEN\n"
            "    RAISE EXCEPTION 'journal entries are never deleted';\n"
            "  END IF;\n"
            "  IF OLD.outcome <> 'pending' THEN\n"
            "    RAISE EXCEPTION 'journal entry % is completed and final', OLD.id;\n"
            "  END IF;\n"
            "  IF (NEW.id, NEW.uuid, NEW.unit, NEW.time, NEW.program, NEW.station, NEW.held,\n"
            "      NEW.image, NEW.made_by, NEW.shared) IS DISTINCT FROM (OLD.id, OLD.uuid,\n"
            "      OLD.unit, OLD.time, OLD.program, OLD.station, OLD.held, OLD.image,\n"
            "      OLD.made_by, OLD.shared) THEN\n"
            "    RAISE EXCEPTION 'only the outcome of journal entry % may change', OLD.id;\n"
            "  END IF;\n"
            "  IF OLD.made_by <> current_user THEN\n"
            "    RAISE EXCEPTION 'journal entry % is completed only by %', OLD.id, OLD.made_by;\n"
            "  END IF;\n"
            "  RETURN NEW;\n"
            "END $$"),
        QStringLiteral("CREATE TRIGGER entries_are_kept BEFORE INSERT OR UPDATE OR DELETE"
                       " ON trnsetup.entries FOR EACH ROW"
                       " EXECUTE FUNCTION trnsetup.entries_are_kept()"),
        QStringLiteral("CREATE TRIGGER entries_are_not_truncated BEFORE TRUNCATE"
                       " ON trnsetup.entries FOR EACH STATEMENT"
                       " EXECUTE FUNCTION trnsetup.entries_are_kept()"),
    },
    // Version 2: the server takes "refused", and any outcome a station records.
    {
        QStringLiteral("ALTER TABLE trnsetup.entries DROP CONSTRAINT entries_outcome_check,"
                       " ADD CONSTRAINT entries_outcome_check ") +
            outcomeCheck(),
    },
};
static_assert(ServerJournal::SchemaVersion == 2, "one step per version");

// Any number: only trnsetup's --init takes this lock, so that two at once do not collide.
constexpr qint64 InitLock = 0x74726e7365747570;

const QString Columns = QStringLiteral(
    "SELECT id, uuid::text, unit, (extract(epoch FROM time) * 1000)::bigint,"
    " program, station, held, image, outcome, made_by::text FROM trnsetup.entries");

QVariant bytesOf(const std::optional<CalibrationImage>& image) {
    return storedBytes(image);
}

// The byte of the image at pos, as the server computes it.
QString byteSql(int pos) {
    return QStringLiteral("get_byte(image, %1)").arg(pos);
}

}  // namespace

std::optional<ServerAddress> ServerAddress::parse(const QString& text, QString* why) {
    static const QRegularExpression form(QStringLiteral(
        "^postgres(?:ql)?://(?:([^@/]*)@)?([^/:?@]+)(?::(\\d{1,5}))?/([^/?]+)(?:\\?(.*))?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) {
        *why = QCoreApplication::translate(
                   "Journal", "'%1' is not a server as postgresql://USER@HOST[:PORT]/DB")
                   .arg(text);
        return std::nullopt;
    }
    const auto decoded = [](const QString& part) {
        return QUrl::fromPercentEncoding(part.toUtf8());
    };
    ServerAddress a;
    a.user = decoded(m.captured(1));
    if (m.captured(1).contains(QLatin1Char(':'))) {
        *why = QCoreApplication::translate(
            "Journal",
            "no password on the command line, in the environment or in the settings: put it "
            "in ~/.pgpass (or the file PGPASSFILE names) or in a service file");
        return std::nullopt;
    }
    a.host = decoded(m.captured(2));
    a.database = decoded(m.captured(4));
    if (!m.captured(3).isEmpty())
        a.port = m.captured(3).toInt();
    if (a.port <= 0 || a.port > 65535) {
        *why = QCoreApplication::translate("Journal", "%1 is no port").arg(m.captured(3));
        return std::nullopt;
    }
    static const QStringList modes{QStringLiteral("disable"),   QStringLiteral("allow"),
                                   QStringLiteral("prefer"),    QStringLiteral("require"),
                                   QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    const QStringList options = m.captured(5).split(QLatin1Char('&'), Qt::SkipEmptyParts);
    for (const QString& option : options) {
        const QString mode = option.section(QLatin1Char('='), 1);
        if (!option.startsWith(QLatin1String("sslmode=")) || !modes.contains(mode)) {
            *why = QCoreApplication::translate(
                       "Journal", "the server address takes only ?sslmode=%1, not '%2'")
                       .arg(modes.join(QLatin1Char('|')), option);
            return std::nullopt;
        }
        a.sslmode = mode;
    }
    return a;
}

QString ServerAddress::text() const {
    QString t = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        t += user + QLatin1Char('@');
    t += QString::fromUtf8(QUrl::toPercentEncoding(host, ":[]")) +
         QStringLiteral(":%1/").arg(port) + database;
    if (sslmode != QLatin1String("prefer"))
        t += QStringLiteral("?sslmode=") + sslmode;
    return t;
}

// The watchdog armed for one exchange with the server, unless an exchange that holds this one is
// armed already: declared before the queries of the exchange, since a query that ends talks to
// the server too (it frees its prepared statement).
class ServerJournal::Exchange {
public:
    explicit Exchange(ServerJournal& journal) : journal_(journal) {
        if (journal_.exchanging_)
            return;
        // No connection yet: it is being opened. One whose socket libpq has closed fails at
        // once, and needs no watching.
        const pg_conn* conn = journal_.handle();
        const int socket = conn ? PQsocket(conn) : -1;
        if (conn && socket < 0)
            return;
        armed_ = journal_.exchanging_ = true;
        journal_.watchdog_->arm(socket, journal_.address_.port,
                                std::chrono::seconds(journal_.address_.timeout));
    }
    ~Exchange() {
        if (!armed_)
            return;
        if (journal_.watchdog_->disarm())
            journal_.timedOut_ = journal_.away_ = true;
        journal_.exchanging_ = false;
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

private:
    ServerJournal& journal_;
    bool armed_ = false;
};

ServerJournal::ServerJournal(ServerAddress address, QString connection)
    : address_(std::move(address)),
      connection_(std::move(connection)),
      watchdog_(std::make_unique<Watchdog>()) {}

ServerJournal::~ServerJournal() {
    Established::all().remove(socketInode_);
    if (!QSqlDatabase::contains(connection_))
        return;
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

pg_conn* ServerJournal::handle() const {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // The driver's connection, named by its struct (Qt 6) or by libpq's typedef (Qt 5).
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

Message ServerJournal::failure(const QString& reason) const {
    // The client library's reasons run over several indented lines; one line reads better.
    return {Message::Kind::ServerFailed, 0, {address_.text(), reason.simplified()}};
}

Message ServerJournal::serverFailure(const QSqlError& error) {
    if (timedOut_ || watchdog_->fired()) {
        away_ = true;
        return failure(
            QCoreApplication::translate("Journal", "no answer from the server within %1 s")
                .arg(address_.timeout));
    }
    // The server names the class of its error; libpq names none for the connection's own.
    // Only an error about the statement leaves the server to be counted on.
    const QString state = error.nativeErrorCode();
    static const QStringList awayClasses{QStringLiteral("08"), QStringLiteral("53"),
                                         QStringLiteral("57"), QStringLiteral("58")};
    const pg_conn* conn = handle();
    if (!conn || PQstatus(conn) != CONNECTION_OK || state.size() != 5 ||
        awayClasses.contains(state.left(2)) || state == QLatin1String("55P03") ||
        state == QLatin1String("25P03"))
        away_ = true;
    return failure(error.text());
}

std::optional<Message> ServerJournal::exec(QSqlQuery& query, const QString& sql,
                                           const QVariantList& values) {
    const Exchange exchange(*this);
    // Only statements with values are prepared: the server prepares no SET or CREATE.
    bool done = false;
    if (values.isEmpty()) {
        done = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant& value : values) query.addBindValue(value);
        done = query.exec();
    }
    if (!done)
        return serverFailure(query.lastError());
    return std::nullopt;
}

std::unique_ptr<ServerJournal> ServerJournal::connect(const ServerAddress& address,
                                                      Message* failure) {
    const QString connection =
        QStringLiteral("shared-journal-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::unique_ptr<ServerJournal> journal(new ServerJournal(address, connection));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    if (!db.isValid()) {
        *failure = journal->failure(QCoreApplication::translate(
            "Journal", "Qt's PostgreSQL driver is not installed (libqt6sql6-psql)"));
        return nullptr;
    }
    db.setHostName(address.host);
    db.setPort(address.port);
    db.setDatabaseName(address.database);
    db.setUserName(address.user);
    // No password is ever given here: libpq takes it from its password or service file. A
    // server that stops answering must not hold the line up: the connection gives up after the
    // time-out, and so does the kernel when sent data goes unacknowledged (tcp_user_timeout)
    // or an idle connection's peer is gone (keep-alives). The watchdog covers the rest.
    const int t = address.timeout;
    db.setConnectOptions(
        QStringLiteral("sslmode=%1;connect_timeout=%2;keepalives=1;keepalives_idle=%2;"
                       "keepalives_interval=%3;keepalives_count=3;tcp_user_timeout=%4;"
                       "application_name=trnsetup")
            .arg(address.sslmode)
            .arg(t)
            .arg(std::max(1, t / 3))
            .arg(t * 1000));
    bool opened = false;
    {
        const Exchange opening(*journal);
        opened = db.open();
    }
    if (!opened) {
        *failure = journal->serverFailure(db.lastError());
        return nullptr;
    }
    if (const pg_conn* conn = journal->handle()) {
        journal->socketInode_ = inodeOf(PQsocket(conn));
        Established::all().add(journal->socketInode_);
    }
    const Exchange exchange(*journal);
    QSqlQuery q(db);
    // The server ends what takes it too long itself, and keeps the connection.
    for (const QString& setting : {QStringLiteral("SET client_min_messages = warning"),
                                   QStringLiteral("SET statement_timeout = '%1s'").arg(t),
                                   QStringLiteral("SET lock_timeout = '%1s'").arg(t)})
        if (auto failed = journal->exec(q, setting)) {
            *failure = *failed;
            return nullptr;
        }
    return journal;
}

std::optional<Message> ServerJournal::version(int* out) {
    const Exchange exchange(*this);
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (auto failed = exec(q, QStringLiteral("SELECT to_regclass('trnsetup.schema_version') IS "
                                             "NOT NULL")))
        return failed;
    if (!q.next() || !q.value(0).toBool()) {
        *out = 0;
        return std::nullopt;
    }
    if (auto failed = exec(q, QStringLiteral("SELECT coalesce(max(version), 0) FROM "
                                             "trnsetup.schema_version")))
        return failed;
    *out = q.next() ? q.value(0).toInt() : 0;
    return std::nullopt;
}

std::unique_ptr<ServerJournal> ServerJournal::open(const ServerAddress& address, Message* failure) {
    std::unique_ptr<ServerJournal> journal = connect(address, failure);
    if (!journal)
        return nullptr;
    int version = 0;
    if (auto failed = journal->version(&version)) {
        *failure = *failed;
        return nullptr;
    }
    if (version == SchemaVersion)
        return journal;
    *failure = journal->failure(
        version == 0 ? QCoreApplication::translate(
                           "Journal",
                           "the server holds no trnsetup journal; its owner creates it with "
                           "'trnsetup history --init'")
        : version > SchemaVersion
            ? QCoreApplication::translate(
                  "Journal",
                  "the journal there has version %1, newer than this program knows "
                  "(%2): nothing is written to it; install a newer trnsetup")
                  .arg(version)
                  .arg(SchemaVersion)
            : QCoreApplication::translate(
                  "Journal",
                  "the journal there has version %1, older than this program's (%2); "
                  "its owner upgrades it with 'trnsetup history --init'")
                  .arg(version)
                  .arg(SchemaVersion));
    return nullptr;
}

std::optional<Message> ServerJournal::init(const ServerAddress& address, QString* done) {
    Message failure{};
    std::unique_ptr<ServerJournal> journal = connect(address, &failure);
    if (!journal)
        return failure;
    const Exchange exchange(*journal);
    QSqlDatabase db = QSqlDatabase::database(journal->connection_, false);
    if (!db.transaction())
        return journal->serverFailure(db.lastError());
    const auto work = [&]() -> std::optional<Message> {
        QSqlQuery q(db);
        if (auto failed =
                journal->exec(q, QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {InitLock}))
            return failed;
        int version = 0;
        if (auto failed = journal->version(&version))
            return failed;
        if (version > SchemaVersion)
            return journal->failure(
                QCoreApplication::translate("Journal",
                                            "the journal there has version %1, newer "
                                            "than this program knows (%2): left as it is")
                    .arg(version)
                    .arg(SchemaVersion));
        for (int v = version; v < SchemaVersion; ++v)
            for (const QString& statement : Steps[static_cast<std::size_t>(v)])
                if (auto failed = journal->exec(q, statement))
                    return failed;
        if (version < SchemaVersion)
            if (auto failed = journal->exec(q,
                                            QStringLiteral("INSERT INTO trnsetup.schema_version "
                                                           "(version) VALUES (?)"),
                                            {SchemaVersion}))
                return failed;
        *done = version == SchemaVersion
                    ? QCoreApplication::translate(
                          "Journal", "The shared journal on %1 is at version %2 already.")
                          .arg(address.text())
                          .arg(SchemaVersion)
                : version == 0
                    ? QCoreApplication::translate("Journal",
                                                  "Created the shared journal (version %2) on %1.")
                          .arg(address.text())
                          .arg(SchemaVersion)
                    : QCoreApplication::translate("Journal",
                                                  "Upgraded the shared journal on %1 from version "
                                                  "%2 to %3.")
                          .arg(address.text())
                          .arg(version)
                          .arg(SchemaVersion);
        return std::nullopt;
    };
    std::optional<Message> failed = work();
    if (!failed && !db.commit())
        failed = journal->serverFailure(db.lastError());
    if (failed)
        db.rollback();
    return failed;
}

std::optional<Message> ServerJournal::share(const JournalEntry& e, Outcome* serverHas) {
    const Exchange exchange(*this);
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.transaction())
        return serverFailure(db.lastError());
    const auto work = [&]() -> std::optional<Message> {
        QSqlQuery q(db);
        const QString uuid = e.uuid.toString(QUuid::WithoutBraces);
        if (auto failed =
                exec(q,
                     QStringLiteral("INSERT INTO trnsetup.entries (uuid, unit, time, program, "
                                    "station, held, image, outcome) VALUES (?::uuid, ?, "
                                    "?::timestamptz, ?, ?, ?, ?, ?) ON CONFLICT (uuid) DO NOTHING"),
                     {uuid, e.unit, timeText(e.time), e.program, e.host, bytesOf(e.before),
                      bytesOf(e.image), outcomeName(e.outcome)}))
            return failed;
        if (e.outcome != Outcome::Pending)
            if (auto failed = exec(q,
                                   QStringLiteral("UPDATE trnsetup.entries SET outcome = ? WHERE "
                                                  "uuid = ?::uuid AND outcome = 'pending'"),
                                   {outcomeName(e.outcome), uuid}))
                return failed;
        if (auto failed = exec(q,
                               QStringLiteral("SELECT outcome FROM trnsetup.entries WHERE uuid = "
                                              "?::uuid"),
                               {uuid}))
            return failed;
        const std::optional<Outcome> has =
            q.next() ? outcomeNamed(q.value(0).toString()) : std::nullopt;
        if (!has)
            return failure(
                QCoreApplication::translate("Journal", "entry %1 did not arrive").arg(uuid));
        if (*has != e.outcome && *has != Outcome::Pending)
            return failure(
                QCoreApplication::translate("Journal", "the server holds entry %1 as %2, not %3")
                    .arg(uuid, outcomeName(*has), outcomeName(e.outcome)));
        *serverHas = *has;
        return std::nullopt;
    };
    std::optional<Message> failed = work();
    if (!failed && !db.commit())
        failed = serverFailure(db.lastError());
    if (failed)
        db.rollback();
    return failed;
}

std::optional<Message> ServerJournal::select(const QString& where, const QVariantList& values,
                                             std::vector<JournalEntry>* out,
                                             const EntryQuery* recheck) {
    const Exchange exchange(*this);
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (auto failed = exec(
            q, Columns + QStringLiteral(" WHERE ") + where + QStringLiteral(" ORDER BY id DESC"),
            values))
        return failed;
    std::vector<JournalEntry> found;
    while (q.next()) {
        JournalEntry e;
        // The server gives the time as milliseconds since the epoch.
        if (!readRow(
                q,
                [](const QVariant& v) {
                    return QDateTime::fromMSecsSinceEpoch(v.toLongLong(), Qt::UTC);
                },
                &e))
            return failure(QCoreApplication::translate("Journal", "entry %1 is damaged").arg(e.id));
        e.madeBy = q.value(9).toString();
        if (!recheck || recheck->matches(e))
            found.push_back(std::move(e));
    }
    if (q.lastError().isValid())
        return serverFailure(q.lastError());
    *out = std::move(found);
    return std::nullopt;
}

std::optional<Message> ServerJournal::entry(qint64 id, JournalEntry* out) {
    std::vector<JournalEntry> found;
    if (auto failed = select(QStringLiteral("id = ?"), {id}, &found, nullptr))
        return failed;
    if (found.empty())
        return failure(QCoreApplication::translate("Journal", "there is no entry %1").arg(id));
    *out = std::move(found.front());
    return std::nullopt;
}

namespace {

// What the server is asked of the query: as far as SQL can narrow it.
void narrowing(const EntryQuery& query, QStringList* where, QVariantList* values) {
    *where = QStringList{QStringLiteral("true")};
    values->clear();
    narrowSql(query, {"station = ?", "time >= ?::timestamptz", "time <= ?::timestamptz", byteSql},
              0, where, values);
}

}  // namespace

std::optional<Message> ServerJournal::find(const EntryQuery& query,
                                           std::vector<JournalEntry>* out) {
    // The server narrows the search as far as SQL can; each entry found is then asked again,
    // by the settings table itself, so that the answer never rests on the SQL alone.
    QStringList where;
    QVariantList values;
    narrowing(query, &where, &values);
    return select(where.join(QStringLiteral(" AND ")), values, out, &query);
}

std::optional<Message> ServerJournal::page(const EntryQuery& query, qint64 before, int limit,
                                           std::vector<JournalEntry>* out, qint64* next) {
    QStringList where;
    QVariantList values;
    narrowing(query, &where, &values);
    where << QStringLiteral("id < ?");
    const QString sql = QStringLiteral(
                            "SELECT id, image FROM trnsetup.entries WHERE %1 ORDER BY "
                            "id DESC LIMIT ?")
                            .arg(where.join(QStringLiteral(" AND ")));
    const auto scan = [&](qint64 from, int n, std::vector<std::pair<qint64, QVariant>>* images) {
        const Exchange exchange(*this);
        QSqlQuery q(QSqlDatabase::database(connection_, false));
        q.setForwardOnly(true);
        if (auto failed = exec(q, sql, values + QVariantList{from, n}))
            return failed;
        images->clear();
        while (q.next()) images->emplace_back(q.value(0).toLongLong(), q.value(1));
        return q.lastError().isValid() ? std::optional(serverFailure(q.lastError())) : std::nullopt;
    };
    const auto entries = [&](const std::vector<qint64>& ids, std::vector<JournalEntry>* rows) {
        return select(idsSql(ids), {}, rows, nullptr);
    };
    return gatherPage(query, before, limit, {scan, entries}, out, next);
}

}  // namespace config
