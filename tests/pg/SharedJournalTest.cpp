// The shared journal in-process against the real server: entries that wait at the station
// and arrive exactly once, the questions a fleet asks (answered alike by
// the station's own journal), and the rules the server keeps for a station role.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "../support/RandomImage.h"
#include "PgServer.h"
#include "SharedJournal.h"

using namespace config;

namespace {

const QString Program = QStringLiteral("trnsetup 4.1.0");

class SharedJournalTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    ServerAddress address(const QString& role, const QString& database) const {
        QString why;
        const auto a = ServerAddress::parse(PgServer::url(role, database), &why);
        EXPECT_TRUE(a) << why.toStdString();
        return a.value_or(ServerAddress{});
    }
    // The owner's database with the journal made.
    QString initialised() {
        const QString db = PgServer::newDatabase();
        QString done;
        const auto failed =
            ServerJournal::init(address(QStringLiteral("trnsetup_owner"), db), &done);
        EXPECT_FALSE(failed) << failed->text(Language::English).toStdString();
        return db;
    }
    std::unique_ptr<SqliteJournal> local(const QString& station = QStringLiteral("bay-1")) {
        Message failure{};
        auto journal = SqliteJournal::open(dir.filePath(QStringLiteral("journal.sqlite")), &failure,
                                           {station, [this] { return now; }});
        EXPECT_TRUE(journal) << failure.text(Language::English).toStdString();
        return journal;
    }
    static CalibrationImage with(CalibrationImage image, std::uint8_t motorCurrent) {
        image.setByte(Field::MaxMotorCurrent, motorCurrent);
        return image;
    }
    static std::vector<int> currents(const std::vector<JournalEntry>& entries) {
        std::vector<int> out;
        for (const JournalEntry& e : entries) out.push_back(e.image.byte(Field::MaxMotorCurrent));
        return out;
    }

    QTemporaryDir dir;
    QDateTime now{QDate(2024, 5, 1), QTime(8, 0), Qt::UTC};
    const CalibrationImage unit = randomImage(41, 0x0405, "TRN48201", 'C');
};

}  // namespace

// Written while the server is away, or with the connection cut between begin and complete:
// the entries wait at the station, and arrive once each, completed, however often they are
// sent; one the server took but the station never heard of is not doubled.
TEST_F(SharedJournalTest, WaitingEntriesArriveExactlyOnce) {
    SKIP_WITHOUT_SERVER();
    const QString db = initialised();
    const ServerAddress owner = address(QStringLiteral("trnsetup_owner"), db);
    ServerAddress away = owner;
    away.database = QStringLiteral("no_such_database");

    // Two written while away; one begun with the server there and completed after its
    // connection was cut.
    {
        SharedJournal journal(local(), away);
        for (std::uint8_t current : {61, 62}) {
            qint64 id = 0;
            ASSERT_FALSE(journal.begin(unit, with(unit, current), Program, &id));
            ASSERT_FALSE(journal.complete(id, Outcome::Verified));
        }
        EXPECT_EQ(journal.sharing().waiting, 2);
        EXPECT_TRUE(journal.sharing().why.contains(QLatin1String("no_such_database")));
        std::vector<JournalEntry> none;
        EXPECT_TRUE(
            journal.entries(unitName(unit), &none));  // the server is asked, not the station
    }
    {
        SharedJournal journal(local(), owner);
        EXPECT_EQ(journal.sharing().shared, 2);
        qint64 id = 0;
        ASSERT_FALSE(journal.begin(unit, with(unit, 63), Program, &id));
        ASSERT_EQ(PgServer::sql(db, QStringLiteral("SELECT pg_terminate_backend(pid) FROM "
                                                   "pg_stat_activity WHERE application_name = "
                                                   "'trnsetup';")),
                  QString());
        ASSERT_FALSE(journal.complete(id, Outcome::Differs));
        EXPECT_EQ(journal.sharing().waiting, 1);
    }
    // Taken by the server, unknown to the station's queue: as when the reply was lost.
    {
        std::unique_ptr<SqliteJournal> station = local();
        station->queueForServer(true);
        qint64 id = 0;
        ASSERT_FALSE(station->begin(unit, with(unit, 64), Program, &id));
        ASSERT_FALSE(station->complete(id, Outcome::Failed));
        JournalEntry e;
        ASSERT_FALSE(station->entry(id, &e));
        Message failure{};
        auto server = ServerJournal::open(owner, &failure);
        ASSERT_TRUE(server);
        Outcome has{};
        ASSERT_FALSE(server->share(e, &has));
    }
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        SharedJournal journal(local(), owner);
        EXPECT_EQ(journal.sharing().shared, run == 0 ? 2 : 0);
        EXPECT_EQ(journal.sharing().waiting, 0);
        std::vector<JournalEntry> entries;
        ASSERT_FALSE(journal.entries(unitName(unit), &entries));
        EXPECT_EQ(currents(entries), (std::vector<int>{64, 63, 62, 61}));
        const Outcome outcomes[] = {Outcome::Failed, Outcome::Differs, Outcome::Verified,
                                    Outcome::Verified};
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].outcome, outcomes[i]);
            EXPECT_EQ(entries[i].host, QStringLiteral("bay-1"));
            EXPECT_EQ(entries[i].time, now);
        }
    }
}

// The same questions put to the station's own journal and to the server give the same
// entries: the server's SQL narrows, the settings table decides.
TEST_F(SharedJournalTest, QuestionsOfAFleet) {
    SKIP_WITHOUT_SERVER();
    const CalibrationImage other = randomImage(42, 0x0203, "TRE72101", 'J');
    const struct {
        const CalibrationImage* image;
        std::uint8_t current;
        const char* station;
        int day;  // of May 2024
    } writes[] = {
        {&unit, 100, "bay-1", 1}, {&unit, 80, "bay-2", 2},    {&other, 90, "bay-1", 3},
        {&unit, 85, "bay-2", 4},  {&other, 40, "service", 5}, {&unit, 20, "service", 6},
    };
    const ServerAddress owner = address(QStringLiteral("trnsetup_owner"), initialised());
    Message failure{};
    auto server = ServerJournal::open(owner, &failure);
    ASSERT_TRUE(server) << failure.text(Language::English).toStdString();
    for (const auto& w : writes) {
        now = QDateTime(QDate(2024, 5, w.day), QTime(9, 0), Qt::UTC);
        CalibrationImage image = with(*w.image, w.current);
        const Setting* sensor = findSetting("throttle_sensor_type");
        // 0-5V on even days; on odd days 1-4V, or 5-0V on the older firmware.
        sensor->setRaw(image, 1 + w.day % 2);
        auto station = local(QLatin1String(w.station));
        qint64 id = 0;
        ASSERT_FALSE(station->begin(*w.image, image, Program, &id));
        ASSERT_FALSE(station->complete(id, Outcome::Verified));
        JournalEntry e;
        ASSERT_FALSE(station->entry(id, &e));
        Outcome has{};
        ASSERT_FALSE(server->share(e, &has));
    }
    const struct {
        const char* unit;
        const char* station;
        const char* since;
        const char* until;
        QStringList where;
        std::vector<int> currents;  // newest first
    } questions[] = {
        {"TRN48201-", "", "", "", {}, {20, 85, 80, 100}},
        {"", "bay-1", "", "", {}, {90, 100}},
        {"", "", "2024-05-02", "2024-05-04", {}, {85, 90, 80}},
        {"", "", "2024-05-04T09:00:00.001", "", {}, {20, 40}},
        {"", "", "", "", {"max_motor_current>80%"}, {85, 90, 100}},
        {"", "", "", "", {"max_motor_current <= 40%"}, {20, 40}},
        // Not an item of the older firmware's list: the same code means another sensor there.
        {"", "", "", "", {"throttle_sensor_type=1-4V"}, {100}},
        {"", "bay-2", "", "", {"max_motor_current!=80%", "throttle_sensor_type=0-5V"}, {85}},
    };
    for (const auto& q : questions) {
        EntryQuery query;
        query.unit =
            QLatin1String(q.unit).isEmpty() ? QString() : QLatin1String(q.unit) + serialText(unit);
        query.station = QLatin1String(q.station);
        if (*q.since)
            query.since = queryTime(QLatin1String(q.since), false);
        if (*q.until)
            query.until = queryTime(QLatin1String(q.until), true);
        QString why;
        for (const QString& w : q.where) {
            const auto c = SettingCondition::parse(w, &why);
            ASSERT_TRUE(c) << why.toStdString();
            query.where.push_back(*c);
        }
        std::vector<JournalEntry> shared, own;
        ASSERT_FALSE(server->find(query, &shared));
        ASSERT_FALSE(local()->find(query, &own));
        SCOPED_TRACE(q.where.join(' ').toStdString() + q.station + q.since);
        EXPECT_EQ(currents(shared), q.currents);
        EXPECT_EQ(currents(own), q.currents);
    }
}

// The station role the README gives may add entries and complete its own pending ones, and
// nothing else: the server refuses the rest, whoever asks.
TEST_F(SharedJournalTest, AStationRoleCompletesItsOwnEntriesOnly) {
    SKIP_WITHOUT_SERVER();
    const QString db = initialised();
    // The README's SQL, as a database administrator runs it.
    QFile readme(QStringLiteral(TRN_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch block =
        QRegularExpression(QStringLiteral("<!-- station role -->\\s*```sql\\n(.*?)```"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(QString::fromUtf8(readme.readAll()));
    ASSERT_TRUE(block.hasMatch());
    QString roleSql = block.captured(1);
    roleSql.replace(QStringLiteral("workshop"), db);
    ASSERT_EQ(
        PgServer::sql(
            db, QStringLiteral("DROP ROLE IF EXISTS bay1, bay2, trnsetup_station;") + roleSql),
        QString());
    for (const char* bay : {"bay1", "bay2"})
        ASSERT_EQ(PgServer::sql(db, QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%1-secret' IN "
                                                   "ROLE trnsetup_station;")
                                        .arg(QLatin1String(bay))),
                  QString());

    // bay1 through the program: its pending entry completes.
    SharedJournal journal(local(), address(QStringLiteral("bay1"), db));
    qint64 done = 0, open = 0;
    ASSERT_FALSE(journal.begin(unit, with(unit, 70), Program, &done));
    ASSERT_FALSE(journal.complete(done, Outcome::Verified));
    ASSERT_FALSE(journal.begin(unit, with(unit, 71), Program, &open));
    EXPECT_EQ(journal.sharing().waiting, 0) << journal.sharing().why.toStdString();

    const struct {
        const char* role;
        const char* sql;
        const char* refusal;  // empty: done
    } rows[] = {
        {"bay1", "UPDATE trnsetup.entries SET outcome = 'failed' WHERE outcome = 'verified'",
         "is completed and final"},
        {"bay1", "UPDATE trnsetup.entries SET image = image WHERE outcome = 'pending'",
         "permission denied"},
        {"bay1", "DELETE FROM trnsetup.entries", "permission denied"},
        {"bay1", "TRUNCATE trnsetup.entries", "permission denied"},
        {"bay2", "UPDATE trnsetup.entries SET outcome = 'failed' WHERE outcome = 'pending'",
         "is completed only by bay1"},
        {"trnsetup_owner", "DELETE FROM trnsetup.entries", "never deleted"},
        {"trnsetup_owner", "UPDATE trnsetup.entries SET outcome = 'failed'", "completed"},
        {"bay2", "SELECT count(*) FROM trnsetup.entries", ""},
    };
    // As the role, through the superuser's session: the server's own checks decide.
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sql);
        const QString said =
            PgServer::sql(db, QStringLiteral("SET ROLE %1; %2;")
                                  .arg(QLatin1String(row.role), QLatin1String(row.sql)));
        EXPECT_EQ(said.isEmpty(), !*row.refusal);
        EXPECT_TRUE(said.contains(QLatin1String(row.refusal))) << said.toStdString();
    }
    ASSERT_FALSE(journal.complete(open, Outcome::Verified));
    EXPECT_EQ(journal.sharing().waiting, 0) << journal.sharing().why.toStdString();
    std::vector<JournalEntry> entries;
    ASSERT_FALSE(journal.entries(unitName(unit), &entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].outcome, Outcome::Verified);
    EXPECT_EQ(entries[1].outcome, Outcome::Verified);
    EXPECT_EQ(entries[0].madeBy, QStringLiteral("bay1"));
}

// A server that stops answering with the connection open (a forwarder in front of it,
// stopped) costs one time-out: the write goes on and its entry waits, saying why; another
// connection of the process to the same server waits for it no more, nor does a question.
TEST_F(SharedJournalTest, AServerThatStopsAnswering) {
    SKIP_WITHOUT_SERVER();
    Forwarder forwarder;
    ServerAddress via = address(QStringLiteral("trnsetup_owner"), initialised());
    via.port = forwarder.port.toInt();
    via.timeout = 1;
    qint64 id = 0;
    SharedJournal first(local(), via);
    ASSERT_FALSE(first.begin(unit, unit, Program, &id));
    ASSERT_TRUE(forwarder.signal(SIGSTOP));
    const auto completes = [&](SharedJournal& journal, int waits, int waiting) {
        QElapsedTimer took;
        took.start();
        std::vector<JournalEntry> entries;
        ASSERT_FALSE(journal.complete(id, Outcome::Verified));
        EXPECT_TRUE(journal.entries(unitName(unit), &entries));
        EXPECT_GE(took.elapsed(), waits);
        EXPECT_LT(took.elapsed(), waits + 900);
        EXPECT_EQ(journal.sharing().waiting, waiting);
        EXPECT_TRUE(
            journal.sharing().why.contains(QLatin1String("no answer from the server within 1 s")))
            << journal.sharing().why.toStdString();
    };
    completes(first, 1000, 1);
    QElapsedTimer took;
    took.start();
    SharedJournal second(local(), via);
    ASSERT_FALSE(second.begin(unit, unit, Program, &id));
    completes(second, 0, 2);
    EXPECT_LT(took.elapsed(), 900);
}

// The server's settings: the time-out from the environment over the settings file, refused
// when it is no whole number of seconds in 1..600; a password in PGPASSWORD refused. Only
// what counts for the journal chosen is asked.
TEST_F(SharedJournalTest, TheServerSettings) {
    const QString file = dir.filePath(QStringLiteral("trnsetup.conf"));
    const struct {
        const char* settings;
        const char* environment;  // TRNSETUP_HISTORY_TIMEOUT, PGPASSWORD
        int timeout;              // 0: refused; -1: no server
        const char* says;
    } rows[] = {
        {"history = postgresql://a@h/db", "", 5, ""},
        {"history = postgresql://a@h/db\nhistory_timeout = 7", "", 7, ""},
        {"history = postgresql://a@h/db\nhistory_timeout = 7", "600", 600, ""},
        {"history = postgresql://a@h/db\nhistory_timeout = 2.5", "", 0,
         "trnsetup.conf: history_timeout takes whole seconds from 1 to 600, not '2.5'"},
        {"history = postgresql://a@h/db\nhistory_timeout = 5, 6", "", 0, "not ''"},
        {"history = postgresql://a@h/db", "0", 0, "TRNSETUP_HISTORY_TIMEOUT takes whole"},
        {"history = postgresql://a@h/db", "5\nsecret", 0, "PGPASSWORD is set"},
        {"history = local\nhistory_timeout = none", "\nsecret", -1, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.settings + std::string(row.environment));
        QFile settings(file);
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
        settings.write(row.settings);
        settings.close();
        const QList<QByteArray> environment = QByteArray(row.environment).split('\n');
        qputenv("TRNSETUP_HISTORY_TIMEOUT", environment.value(0));
        qputenv("PGPASSWORD", environment.value(1));
        QString why;
        const std::optional<HistoryChoice> choice = chooseHistory({}, {}, file, {}, &why);
        EXPECT_EQ(choice ? choice->server ? choice->server->timeout : -1 : 0, row.timeout);
        EXPECT_TRUE(why.contains(QLatin1String(row.says))) << why.toStdString();
    }
    qunsetenv("TRNSETUP_HISTORY_TIMEOUT");
    qunsetenv("PGPASSWORD");
}
