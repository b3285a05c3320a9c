#include "SqliteJournal.h"

#include <algorithm>
#include <tuple>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>

namespace config {

namespace {

// Raised whenever the tables change, so that an older program refuses a newer journal instead
// of misreading it. Version 2 added the outcome "refused".
constexpr int SchemaVersion = 2;
constexpr int BusyMilliseconds = 10000;

// The entries table under a name (the name differs only while an older table is converted).
QString entriesTable(const QString& name) {
    QStringList outcomes;
    for (const QString& outcome : outcomeNames())
        outcomes << QLatin1Char('\'') + outcome + QLatin1Char('\'');
    return QStringLiteral(
               "CREATE TABLE IF NOT EXISTS %1 ("
               " id INTEGER PRIMARY KEY AUTOINCREMENT,"
               " uuid TEXT NOT NULL UNIQUE,"
               " unit TEXT NOT NULL,"
               " time TEXT NOT NULL,"
               " program TEXT NOT NULL,"
               " host TEXT NOT NULL,"
               " held BLOB CHECK (held IS NULL OR length(held) = 128),"
               " image BLOB NOT NULL CHECK (length(image) = 128),"
               " outcome TEXT NOT NULL CHECK (outcome IN (%2)),"
               " completed TEXT)")
        .arg(name, outcomes.join(QStringLiteral(", ")));
}

const QStringList Schema{
    entriesTable(QStringLiteral("entries")),
    QStringLiteral("CREATE INDEX IF NOT EXISTS entries_by_unit ON entries (unit, id)"),
    // Files of earlier versions already taken in, by their name under the data folder.
    QStringLiteral("CREATE TABLE IF NOT EXISTS imported ("
                   " file TEXT PRIMARY KEY,"
                   " entry INTEGER NOT NULL REFERENCES entries (id))"),
    // Entries made while a server was named, with the outcome the server holds (NULL:
    // nothing yet), until it holds them completed. A table of its own, so that programs that
    // know no server still read and write the journal.
    QStringLiteral("CREATE TABLE IF NOT EXISTS to_share ("
                   " entry INTEGER PRIMARY KEY REFERENCES entries (id),"
                   " server_has TEXT)"),
    // The rules hold for any program that opens the file, not only this one.
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS entries_are_kept BEFORE DELETE ON entries"
                   " BEGIN SELECT RAISE(ABORT, 'journal entries are never deleted'); END"),
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS completed_entries_are_final"
                   " BEFORE UPDATE ON entries"
                   " WHEN OLD.outcome <> 'pending' OR NEW.id IS NOT OLD.id"
                   " OR NEW.uuid IS NOT OLD.uuid OR NEW.unit IS NOT OLD.unit"
                   " OR NEW.time IS NOT OLD.time OR NEW.program IS NOT OLD.program"
                   " OR NEW.host IS NOT OLD.host OR NEW.held IS NOT OLD.held"
                   " OR NEW.image IS NOT OLD.image"
                   " BEGIN SELECT RAISE(ABORT, 'a completed journal entry is final'); END"),
};

// A version 1 table takes the new outcomes only as a new table: SQLite cannot change a CHECK.
// Every row keeps its id; the index and the triggers go with the old table and are made again
// by the schema. Runs with foreign keys off, so that dropping the old table touches nothing.
const QStringList FromVersion1{
    entriesTable(QStringLiteral("entries_v2")),
    QStringLiteral("INSERT INTO entries_v2 SELECT id, uuid, unit, time, program, host, held, "
                   "image, outcome, completed FROM entries"),
    QStringLiteral("DROP TABLE entries"),
    QStringLiteral("ALTER TABLE entries_v2 RENAME TO entries"),
};

const QString Columns =
    QStringLiteral("id, uuid, unit, time, program, host, held, image, outcome FROM entries");

// Qt binds a null string as NULL: a file without a program line still has one, empty.
QString notNull(const QString& text) {
    return text.isNull() ? QString::fromLatin1("") : text;
}

QByteArray bytesOf(const CalibrationImage& image) {
    return storedBytes(image).toByteArray();
}

// A file of the earlier history: where it is, its name under the data folder, when written.
struct OldFile {
    QString path;
    QString name;
    QDateTime time;
    int sequence;
};

std::vector<OldFile> oldFiles(const QString& folder) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{8})T(\\d{6}\\.\\d{3})Z(?:_(\\d+))?\\.trncfg$"));
    std::vector<OldFile> found;
    const QDir base(folder);
    for (const QString& unit : base.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir dir(base.filePath(unit));
        for (const QString& file : dir.entryList({QStringLiteral("*.trncfg")}, QDir::Files)) {
            const QRegularExpressionMatch m = pattern.match(file);
            if (!m.hasMatch())
                continue;
            // Date and time apart, so that no local clock rule can make a name invalid.
            const QDateTime time(QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd")),
                                 QTime::fromString(m.captured(2), QStringLiteral("HHmmss.zzz")),
                                 Qt::UTC);
            if (!time.isValid())
                continue;
            found.push_back({dir.filePath(file), unit + QLatin1Char('/') + file, time,
                             m.captured(3).isEmpty() ? 1 : m.captured(3).toInt()});
        }
    }
    std::sort(found.begin(), found.end(), [](const OldFile& a, const OldFile& b) {
        return std::tie(a.time, a.sequence, a.name) < std::tie(b.time, b.sequence, b.name);
    });
    return found;
}

}  // namespace

std::unique_ptr<SqliteJournal> SqliteJournal::open(const QString& path, Message* failure,
                                                   Station station) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *failure = {Message::Kind::WriteFailed,
                    0,
                    {folder, QCoreApplication::translate("Journal", "cannot create the folder")}};
        return nullptr;
    }
    // Each object its own connection: Qt's connections belong to one thread, and SQLite's
    // locking between connections is what keeps concurrent writers apart.
    const QString connection =
        QStringLiteral("journal-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::unique_ptr<SqliteJournal> journal(new SqliteJournal(path, connection, std::move(station)));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        if (!db.isValid()) {
            *failure = journal->failure(
                Message::Kind::Unreadable,
                QCoreApplication::translate("Journal", "Qt's SQLite driver is not installed"));
            return nullptr;
        }
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyMilliseconds));
        if (!db.open()) {
            *failure = journal->failure(Message::Kind::Unreadable, db.lastError().text());
            return nullptr;
        }
    }
    if (auto failed = journal->prepare()) {
        *failure = *failed;
        return nullptr;
    }
    return journal;
}

SqliteJournal::SqliteJournal(QString path, QString connection, Station station)
    : path_(std::move(path)), connection_(std::move(connection)), station_(std::move(station)) {
    if (station_.host.isEmpty())
        station_.host = QSysInfo::machineHostName();
    if (!station_.clock)
        station_.clock = [] { return QDateTime::currentDateTimeUtc(); };
}

SqliteJournal::~SqliteJournal() {
    if (!QSqlDatabase::contains(connection_))
        return;
    database().close();
    QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase SqliteJournal::database() const {
    return QSqlDatabase::database(connection_, false);
}

Message SqliteJournal::failure(Message::Kind kind, const QString& reason) const {
    return {kind, 0, {QDir::toNativeSeparators(path_), reason}};
}

std::optional<Message> SqliteJournal::exec(QSqlQuery& query, const QString& sql,
                                           const QVariantList& values, Message::Kind kind) const {
    if (!query.prepare(sql))
        return failure(kind, query.lastError().text());
    for (const QVariant& value : values) query.addBindValue(value);
    if (!query.exec())
        return failure(kind, query.lastError().text());
    return std::nullopt;
}

std::optional<Message> SqliteJournal::transaction(
    const std::function<std::optional<Message>()>& work) {
    // A deferred transaction that reads and then writes can fail at once when another
    // connection wrote in between; taking the write lock first makes it wait instead.
    QSqlQuery control(database());
    if (!control.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failure(Message::Kind::WriteFailed, control.lastError().text());
    std::optional<Message> failed = work();
    if (!failed && !control.exec(QStringLiteral("COMMIT")))
        failed = failure(Message::Kind::WriteFailed, control.lastError().text());
    if (failed)
        control.exec(QStringLiteral("ROLLBACK"));
    return failed;
}

Message SqliteJournal::newerJournal(int version) const {
    return failure(Message::Kind::Unreadable,
                   QCoreApplication::translate("Journal",
                                               "made by a newer version of the program (journal "
                                               "version %1)")
                       .arg(version));
}

std::optional<Message> SqliteJournal::prepare() {
    QSqlQuery query(database());
    // A file that is not a database fails here, and is left as it is; so is a journal of a
    // newer program, refused before anything (its journal mode included) is changed in it.
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failure(Message::Kind::Unreadable, query.lastError().text());
    if (const int version = query.value(0).toInt(); version > SchemaVersion)
        return newerJournal(version);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !query.next())
        return failure(Message::Kind::Unreadable, query.lastError().text());
    if (query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        return failure(Message::Kind::Unreadable,
                       QCoreApplication::translate(
                           "Journal", "cannot use write-ahead logging (journal mode %1)")
                           .arg(query.value(0).toString()));
    // A pending entry must be on the disk before the first frame goes to the controller.
    if (!query.exec(QStringLiteral("PRAGMA synchronous = FULL")))
        return failure(Message::Kind::Unreadable, query.lastError().text());
    query.finish();
    const std::optional<Message> prepared = transaction([this]() -> std::optional<Message> {
        QSqlQuery q(database());
        if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
            return failure(Message::Kind::Unreadable, q.lastError().text());
        const int version = q.value(0).toInt();
        q.finish();
        if (version > SchemaVersion)
            return newerJournal(version);
        if (version == 1)
            for (const QString& statement : FromVersion1)
                if (!q.exec(statement))
                    return failure(Message::Kind::WriteFailed, q.lastError().text());
        for (const QString& statement : Schema)
            if (!q.exec(statement))
                return failure(Message::Kind::WriteFailed, q.lastError().text());
        if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion)))
            return failure(Message::Kind::WriteFailed, q.lastError().text());
        return std::nullopt;
    });
    if (prepared)
        return prepared;
    // Only now: a table converted above must not take its references with it.
    if (!query.exec(QStringLiteral("PRAGMA foreign_keys = ON")))
        return failure(Message::Kind::Unreadable, query.lastError().text());
    return std::nullopt;
}

std::optional<Message> SqliteJournal::add(const CalibrationImage& before,
                                          const CalibrationImage& image, const QString& program,
                                          Outcome outcome, qint64* id) {
    return transaction([&]() -> std::optional<Message> {
        QSqlQuery q(database());
        const QString time = timeText(station_.clock());
        // A pending entry is completed later; any other is complete as it is made.
        const QVariant completed = outcome == Outcome::Pending ? QVariant() : QVariant(time);
        if (auto failed = exec(q,
                               QStringLiteral("INSERT INTO entries (uuid, unit, time, program, "
                                              "host, held, image, outcome, completed) VALUES "
                                              "(?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                               {QUuid::createUuid().toString(QUuid::WithoutBraces), unitName(image),
                                time, notNull(program), notNull(station_.host), bytesOf(before),
                                bytesOf(image), outcomeName(outcome), completed},
                               Message::Kind::WriteFailed))
            return failed;
        *id = q.lastInsertId().toLongLong();
        // Queued in the same transaction, so that no entry made while a server is named can
        // miss it.
        if (!queue_)
            return std::nullopt;
        return exec(q, QStringLiteral("INSERT INTO to_share (entry) VALUES (?)"), {*id},
                    Message::Kind::WriteFailed);
    });
}

std::optional<Message> SqliteJournal::begin(const CalibrationImage& before,
                                            const CalibrationImage& image, const QString& program,
                                            qint64* id) {
    return add(before, image, program, Outcome::Pending, id);
}

std::optional<Message> SqliteJournal::refuse(const CalibrationImage& before,
                                             const CalibrationImage& image, const QString& program,
                                             qint64* id) {
    return add(before, image, program, Outcome::Refused, id);
}

std::optional<Message> SqliteJournal::complete(qint64 id, Outcome outcome) {
    if (outcome == Outcome::Pending)
        return failure(
            Message::Kind::WriteFailed,
            QCoreApplication::translate("Journal", "entry %1 cannot be completed as pending")
                .arg(id));
    return transaction([&]() -> std::optional<Message> {
        QSqlQuery q(database());
        // Only a pending entry changes: a completed one keeps what it says.
        if (auto failed = exec(q,
                               QStringLiteral("UPDATE entries SET outcome = ?, completed = ? "
                                              "WHERE id = ? AND outcome = 'pending'"),
                               {outcomeName(outcome), timeText(station_.clock()), id},
                               Message::Kind::WriteFailed))
            return failed;
        if (q.numRowsAffected() == 1)
            return std::nullopt;
        if (auto failed = exec(q, QStringLiteral("SELECT outcome FROM entries WHERE id = ?"), {id},
                               Message::Kind::WriteFailed))
            return failed;
        return failure(
            Message::Kind::WriteFailed,
            q.next() ? QCoreApplication::translate("Journal", "entry %1 is already completed (%2)")
                           .arg(id)
                           .arg(q.value(0).toString())
                     : QCoreApplication::translate("Journal", "there is no entry %1").arg(id));
    });
}

std::optional<Message> SqliteJournal::readEntry(const QSqlQuery& q, JournalEntry* out) const {
    JournalEntry e;
    // The file keeps the time as ISO text.
    if (!readRow(
            q,
            [](const QVariant& v) {
                return QDateTime::fromString(v.toString(), Qt::ISODateWithMs).toUTC();
            },
            &e))
        return failure(Message::Kind::Unreadable,
                       QCoreApplication::translate("Journal", "entry %1 is damaged").arg(e.id));
    *out = std::move(e);
    return std::nullopt;
}

std::optional<Message> SqliteJournal::entry(qint64 id, JournalEntry* out) {
    QSqlQuery q(database());
    if (auto failed = exec(q, QStringLiteral("SELECT ") + Columns + QStringLiteral(" WHERE id = ?"),
                           {id}, Message::Kind::Unreadable))
        return failed;
    if (!q.next())
        return failure(Message::Kind::Unreadable,
                       QCoreApplication::translate("Journal", "there is no entry %1").arg(id));
    return readEntry(q, out);
}

namespace {

// The byte of the image at pos as SQLite computes it: SQLite has no function that gives a
// blob's byte as a number, but it spells the byte in hexadecimal.
QString byteSql(int pos) {
    const QString hex = QStringLiteral("hex(substr(image, %1, 1))").arg(pos + 1);
    return QStringLiteral(
               "(instr('0123456789ABCDEF', substr(%1, 1, 1)) * 16 + "
               "instr('0123456789ABCDEF', substr(%1, 2, 1)) - 17)")
        .arg(hex);
}

}  // namespace

namespace {

// What SQLite is asked of the query, as far as SQL can narrow it; rows older than entry before
// (0: any).
QString narrowing(const EntryQuery& query, qint64 before, QVariantList* values) {
    QStringList where{QStringLiteral("1")};
    narrowSql(query, {"host = ?", "time >= ?", "time <= ?", byteSql}, before, &where, values);
    return where.join(QStringLiteral(" AND "));
}

}  // namespace

std::optional<Message> SqliteJournal::select(const QString& where, const QVariantList& values,
                                             std::vector<JournalEntry>* out) {
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (auto failed = exec(q,
                           QStringLiteral("SELECT ") + Columns + QStringLiteral(" WHERE ") + where +
                               QStringLiteral(" ORDER BY id DESC"),
                           values, Message::Kind::Unreadable))
        return failed;
    std::vector<JournalEntry> found;
    while (q.next()) {
        JournalEntry e;
        if (auto failed = readEntry(q, &e))
            return failed;
        found.push_back(std::move(e));
    }
    if (q.lastError().isValid())
        return failure(Message::Kind::Unreadable, q.lastError().text());
    *out = std::move(found);
    return std::nullopt;
}

std::optional<Message> SqliteJournal::find(const EntryQuery& query,
                                           std::vector<JournalEntry>* out) {
    // SQL narrows the search as far as it can; each entry is then asked again.
    QVariantList values;
    std::vector<JournalEntry> rows;
    if (auto failed = select(narrowing(query, 0, &values), values, &rows))
        return failed;
    keepMatching(query, rows, out);
    return std::nullopt;
}

std::optional<Message> SqliteJournal::page(const EntryQuery& query, qint64 before, int limit,
                                           std::vector<JournalEntry>* out, qint64* next) {
    const auto scan = [&](qint64 from, int n, std::vector<std::pair<qint64, QVariant>>* images) {
        QVariantList values;
        const QString where = narrowing(query, from, &values);
        QSqlQuery q(database());
        q.setForwardOnly(true);
        if (auto failed = exec(q,
                               QStringLiteral("SELECT id, image FROM entries WHERE %1 ORDER BY "
                                              "id DESC LIMIT %2")
                                   .arg(where)
                                   .arg(n),
                               values, Message::Kind::Unreadable))
            return failed;
        images->clear();
        while (q.next()) images->emplace_back(q.value(0).toLongLong(), q.value(1));
        return q.lastError().isValid()
                   ? std::optional(failure(Message::Kind::Unreadable, q.lastError().text()))
                   : std::nullopt;
    };
    const auto entries = [&](const std::vector<qint64>& ids, std::vector<JournalEntry>* rows) {
        return select(idsSql(ids), {}, rows);
    };
    return gatherPage(query, before, limit, {scan, entries}, out, next);
}

std::optional<Message> SqliteJournal::waiting(std::vector<Queued>* out) {
    QSqlQuery q(database());
    if (auto failed =
            exec(q,
                 QStringLiteral("SELECT entries.id, uuid, unit, time, program, host, held, image, "
                                "outcome, server_has FROM entries JOIN to_share ON entry = "
                                "entries.id WHERE server_has IS NULL OR server_has <> outcome "
                                "ORDER BY entries.id"),
                 {}, Message::Kind::Unreadable))
        return failed;
    std::vector<Queued> found;
    while (q.next()) {
        Queued queued;
        if (auto failed = readEntry(q, &queued.entry))
            return failed;
        if (!q.value(9).isNull())
            queued.serverHas = outcomeNamed(q.value(9).toString());
        found.push_back(std::move(queued));
    }
    if (q.lastError().isValid())
        return failure(Message::Kind::Unreadable, q.lastError().text());
    *out = std::move(found);
    return std::nullopt;
}

std::optional<Message> SqliteJournal::serverHas(qint64 id, Outcome outcome) {
    return transaction([&]() -> std::optional<Message> {
        QSqlQuery q(database());
        if (outcome == Outcome::Pending)
            return exec(q, QStringLiteral("UPDATE to_share SET server_has = ? WHERE entry = ?"),
                        {outcomeName(outcome), id}, Message::Kind::WriteFailed);
        return exec(q,
                    QStringLiteral("DELETE FROM to_share WHERE entry = ? AND (SELECT outcome FROM "
                                   "entries WHERE id = ?) = ?"),
                    {id, id, outcomeName(outcome)}, Message::Kind::WriteFailed);
    });
}

std::vector<SqliteJournal::Skipped> SqliteJournal::importFiles(const QString& folder) {
    std::vector<Skipped> skipped;
    for (const OldFile& file : oldFiles(folder)) {
        const auto taken = [&](bool* yes) -> std::optional<Message> {
            QSqlQuery q(database());
            if (auto failed = exec(q, QStringLiteral("SELECT 1 FROM imported WHERE file = ?"),
                                   {file.name}, Message::Kind::Unreadable))
                return failed;
            *yes = q.next();
            return std::nullopt;
        };
        bool done = false;
        if (auto failed = taken(&done)) {
            skipped.push_back({file.path, *failed});
            return skipped;  // the journal itself fails: the next file would fail alike
        }
        if (done)
            continue;
        const ReadResult read = ConfigFile::load(file.path);
        if (!read.ok()) {
            skipped.push_back({file.path, *read.error});
            continue;
        }
        // Asked again under the write lock: another process may be importing the same files.
        const auto failed = transaction([&]() -> std::optional<Message> {
            if (auto failed = taken(&done); failed || done)
                return failed;
            QSqlQuery q(database());
            const CalibrationImage& image = read.file->image();
            // What the earlier history knew: the controller acknowledged the image; it was
            // recorded before any read-back, and what it held before was not kept.
            if (auto failed =
                    exec(q,
                         QStringLiteral("INSERT INTO entries (uuid, unit, time, "
                                        "program, host, held, image, outcome) VALUES "
                                        "(?, ?, ?, ?, ?, NULL, ?, 'not-verified')"),
                         {QUuid::createUuid().toString(QUuid::WithoutBraces), unitName(image),
                          timeText(file.time), notNull(read.file->program()),
                          notNull(station_.host), bytesOf(image)},
                         Message::Kind::WriteFailed))
                return failed;
            return exec(q, QStringLiteral("INSERT INTO imported (file, entry) VALUES (?, ?)"),
                        {file.name, q.lastInsertId()}, Message::Kind::WriteFailed);
        });
        if (failed) {
            skipped.push_back({file.path, *failed});
            return skipped;
        }
    }
    return skipped;
}

QString stationJournalFile(const QString& dataDir) {
    return QDir(dataDir).filePath(QStringLiteral("journal.sqlite"));
}

std::unique_ptr<Journal> openStationJournal(const QString& dataDir, Message* failure,
                                            std::vector<SqliteJournal::Skipped>* skipped) {
    std::unique_ptr<SqliteJournal> journal =
        SqliteJournal::open(stationJournalFile(dataDir), failure);
    if (journal)
        *skipped = journal->importFiles(dataDir);
    return journal;
}

}  // namespace config
