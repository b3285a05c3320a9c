// The journal of writes: pending, then completed once; ordered by its own sequence whatever
// the clock says; the files of earlier versions taken in once; no entry lost to writers
// working at once; and nothing that is not a journal taken for one.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "../config/ConfigSupport.h"
#include "SqliteJournal.h"

using namespace config;

namespace {

const QString Program = QStringLiteral("trnsetup 4.1.0");

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path() const { return dir.filePath(QStringLiteral("journal.sqlite")); }

    std::unique_ptr<SqliteJournal> open() {
        Message failure{};
        auto journal = SqliteJournal::open(path(), &failure,
                                           {QStringLiteral("bench-7"), [this] { return now; }});
        EXPECT_TRUE(journal) << failure.text(Language::English).toStdString();
        return journal;
    }

    static CalibrationImage with(CalibrationImage image, std::uint8_t motorCurrent) {
        image.setByte(Field::MaxMotorCurrent, motorCurrent);
        return image;
    }

    QTemporaryDir dir;
    QDateTime now{QDate(2024, 3, 31), QTime(2, 30), Qt::UTC};
    const CalibrationImage unit = randomImage(31, 0x0405, "TRN48201", 'C');
};

// What a file of an earlier version held: the image written, named by the time of the write.
void writeOldFile(const QString& folder, const QString& name, const QByteArray& content) {
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

std::vector<int> currentsOf(const std::vector<JournalEntry>& entries) {
    std::vector<int> currents;
    for (const JournalEntry& e : entries) currents.push_back(e.image.byte(Field::MaxMotorCurrent));
    return currents;
}

}  // namespace

TEST_F(JournalTest, APendingEntryIsCompletedOnceWithItsOutcome) {
    const Outcome outcomes[] = {Outcome::Verified, Outcome::Differs, Outcome::Failed,
                                Outcome::ReplyLost, Outcome::NotVerified};
    auto journal = open();
    ASSERT_TRUE(journal);
    for (const Outcome outcome : outcomes) {
        SCOPED_TRACE(outcomeName(outcome).toStdString());
        const CalibrationImage before = with(unit, 50);
        const CalibrationImage image = with(unit, 60);
        qint64 id = 0;
        ASSERT_FALSE(journal->begin(before, image, Program, &id));

        // Pending, and so already seen by another connection, before the write starts.
        JournalEntry e;
        ASSERT_FALSE(open()->entry(id, &e));
        EXPECT_EQ(e.outcome, Outcome::Pending);
        EXPECT_EQ(e.unit, QStringLiteral("TRN48201-") + serialText(unit));
        EXPECT_EQ(e.time, now);
        EXPECT_EQ(e.program, Program);
        EXPECT_EQ(e.host, QStringLiteral("bench-7"));
        EXPECT_FALSE(e.uuid.isNull());
        EXPECT_EQ(e.before, before);
        EXPECT_EQ(e.image, image);

        ASSERT_FALSE(journal->complete(id, outcome));
        // Completed is final: neither another outcome nor the same one again.
        for (const Outcome again : {Outcome::Verified, outcome}) {
            const auto refused = journal->complete(id, again);
            ASSERT_TRUE(refused);
            EXPECT_TRUE(refused->text(Language::English).contains(QLatin1String("already")));
        }
        JournalEntry completed;
        ASSERT_FALSE(open()->entry(id, &completed));
        EXPECT_EQ(completed.outcome, outcome);
        EXPECT_EQ(completed.uuid, e.uuid);
        EXPECT_EQ(completed.image, image);
    }
    qint64 id = 0;
    ASSERT_FALSE(journal->begin(unit, unit, Program, &id));
    EXPECT_TRUE(journal->complete(id, Outcome::Pending));
    EXPECT_TRUE(journal->complete(id + 1, Outcome::Verified));
    JournalEntry e;
    EXPECT_TRUE(journal->entry(id + 1, &e));
}

// The clock set back and forth: entries keep the order in which they were made.
TEST_F(JournalTest, EntriesSortBySequenceNotByClock) {
    CalibrationImage unnamed = randomImage(32, 0x0405, "\x01\x02\x03\x04\x05\x06\x07\x08", 'C');
    const struct {
        const CalibrationImage* image;
        int minutes;  // after the first write's time
        std::uint8_t motorCurrent;
    } writes[] = {
        {&unit, 0, 61}, {&unit, -60, 62}, {&unnamed, 30, 63}, {&unit, -60, 64}, {&unit, -1440, 65},
    };
    auto journal = open();
    ASSERT_TRUE(journal);
    const QDateTime first = now;
    for (const auto& w : writes) {
        now = first.addSecs(60 * w.minutes);
        qint64 id = 0;
        ASSERT_FALSE(journal->begin(*w.image, with(*w.image, w.motorCurrent), Program, &id));
        ASSERT_FALSE(journal->complete(id, Outcome::Verified));
    }
    std::vector<JournalEntry> entries;
    ASSERT_FALSE(journal->entries(unitName(unit), &entries));
    EXPECT_EQ(currentsOf(entries), (std::vector<int>{65, 64, 62, 61}));
    EXPECT_EQ(entries.front().time, first.addDays(-1));
    for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_GT(entries[i - 1].id, entries[i].id);

    ASSERT_FALSE(journal->entries(QStringLiteral("unnamed-") + serialText(unnamed), &entries));
    EXPECT_EQ(currentsOf(entries), std::vector<int>{63});
}

// The per-unit folders of configuration files that earlier versions kept are taken in once,
// in the order written, and stay where they are.
TEST_F(JournalTest, EarlierFilesAreTakenInOnce) {
    const QString data = dir.filePath(QStringLiteral("data"));
    const QString folder = QDir(data).filePath(unitName(unit));
    const auto file = [this](std::uint8_t current) {
        return ConfigFile::write(with(unit, current), {QDateTime(), Program}, Language::English)
            .toUtf8();
    };
    const struct {
        const char* name;
        QByteArray content;
    } files[] = {
        {"20240331T023000.000Z_2.trncfg", file(63)},  // the second write within a millisecond
        {"20240331T023000.000Z.trncfg", file(62)},
        {"20240330T120000.000Z.trncfg", file(61)},
        {"20240331T040000.000Z.trncfg", QByteArray("max_motor_current = 50%\n")},
        {"notes.trncfg", file(70)},  // not a name the history gave
    };
    for (const auto& f : files) writeOldFile(folder, QLatin1String(f.name), f.content);

    // Opened three times, the last after one more file appeared (an earlier version run again).
    const int added[] = {3, 0, 1};
    std::vector<JournalEntry> entries;
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        if (run == 2)
            writeOldFile(folder, QStringLiteral("20240401T000000.000Z.trncfg"), file(64));
        Message failure{};
        std::vector<SqliteJournal::Skipped> skipped;
        const auto journal = openStationJournal(data, &failure, &skipped);
        ASSERT_TRUE(journal) << failure.text(Language::English).toStdString();
        // The broken file is named every time: it is still there to mend.
        ASSERT_EQ(skipped.size(), 1u);
        EXPECT_TRUE(skipped[0].path.endsWith(QLatin1String("20240331T040000.000Z.trncfg")));
        const std::size_t had = entries.size();
        ASSERT_FALSE(journal->entries(unitName(unit), &entries));
        EXPECT_EQ(entries.size(), had + static_cast<std::size_t>(added[run]));
    }
    EXPECT_EQ(currentsOf(entries), (std::vector<int>{64, 63, 62, 61}));
    EXPECT_EQ(entries.back().time, QDateTime(QDate(2024, 3, 30), QTime(12, 0), Qt::UTC));
    for (const JournalEntry& e : entries) {
        EXPECT_EQ(e.outcome, Outcome::NotVerified);
        EXPECT_FALSE(e.before.has_value());
        EXPECT_EQ(e.program, Program);
    }
    EXPECT_TRUE(QFile::exists(QDir(folder).filePath(QLatin1String(files[0].name))));
}

// Writers in threads of their own, each with its own connection, all at once.
TEST_F(JournalTest, ConcurrentWritersLoseNoEntry) {
    constexpr int Writers = 4;
    constexpr int Each = 20;
    ASSERT_TRUE(open());  // made once, so that the writers race for entries, not the schema
    std::vector<QString> failures(Writers);
    std::vector<std::thread> threads;
    for (int w = 0; w < Writers; ++w)
        threads.emplace_back([&, w] {
            Message failure{};
            auto journal = SqliteJournal::open(path(), &failure);
            if (!journal) {
                failures[w] = failure.text(Language::English);
                return;
            }
            for (int i = 0; i < Each; ++i) {
                qint64 id = 0;
                auto failed = journal->begin(
                    unit, with(unit, static_cast<std::uint8_t>(w * Each + i)), Program, &id);
                if (!failed)
                    failed = journal->complete(id, Outcome::Verified);
                if (failed) {
                    failures[w] = failed->text(Language::English);
                    return;
                }
            }
        });
    for (std::thread& t : threads) t.join();
    for (const QString& f : failures) EXPECT_TRUE(f.isEmpty()) << f.toStdString();

    std::vector<JournalEntry> entries;
    ASSERT_FALSE(open()->entries(unitName(unit), &entries));
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(Writers * Each));
    std::set<int> currents;
    for (const JournalEntry& e : entries) {
        EXPECT_EQ(e.outcome, Outcome::Verified);
        currents.insert(e.image.byte(Field::MaxMotorCurrent));
    }
    EXPECT_EQ(currents.size(), static_cast<std::size_t>(Writers * Each));
}

// What is in the journal's place and is not one is reported, and left as it was.
TEST_F(JournalTest, WhatIsNotAJournalIsRefusedAndKept) {
    const struct {
        const char* file;  // a plain file, made first
        const char* journal;
        Message::Kind kind;
    } rows[] = {
        {"blocked", "blocked/journal.sqlite", Message::Kind::WriteFailed},  // the folder's place
        {"text.sqlite", "text.sqlite", Message::Kind::Unreadable},
    };
    const QByteArray bytes = QByteArray("max_motor_current = 50%\n").repeated(64);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        QFile f(dir.filePath(QLatin1String(row.file)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        Message failure{};
        EXPECT_FALSE(SqliteJournal::open(dir.filePath(QLatin1String(row.journal)), &failure));
        EXPECT_EQ(failure.kind, row.kind) << failure.text(Language::English).toStdString();
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes);
    }
}

// A refusal is one entry, completed at once; a journal of the first version takes refusals
// once opened, keeping its entries, their numbers and its rules.
TEST_F(JournalTest, RefusalsAreEntriesInOldJournalsToo) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "v1");
        db.setDatabaseName(path());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const char* sql :
             {"CREATE TABLE entries (id INTEGER PRIMARY KEY AUTOINCREMENT, uuid TEXT NOT NULL "
              "UNIQUE, unit TEXT NOT NULL, time TEXT NOT NULL, program TEXT NOT NULL, host TEXT "
              "NOT NULL, held BLOB, image BLOB NOT NULL, outcome TEXT NOT NULL CHECK (outcome IN "
              "('pending', 'verified')), completed TEXT)",
              "CREATE TABLE imported (file TEXT PRIMARY KEY, entry INTEGER NOT NULL REFERENCES "
              "entries (id))",
              "INSERT INTO entries VALUES (7, 'u', 'TRN48201-0', '2024-01-01T00:00:00.000Z', 'p', "
              "'h', NULL, zeroblob(128), 'verified', NULL)",
              "INSERT INTO imported VALUES ('old/file.trncfg', 7)", "PRAGMA user_version = 1"})
            ASSERT_TRUE(q.exec(QLatin1String(sql))) << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v1"));
    auto journal = open();
    ASSERT_TRUE(journal);
    JournalEntry old;
    ASSERT_FALSE(journal->entry(7, &old));
    EXPECT_EQ(old.outcome, Outcome::Verified);

    qint64 id = 0;
    ASSERT_FALSE(journal->refuse(unit, with(unit, 70), Program, &id));
    EXPECT_EQ(id, 8);
    JournalEntry e;
    ASSERT_FALSE(open()->entry(id, &e));
    EXPECT_EQ(e.outcome, Outcome::Refused);
    EXPECT_EQ(e.before, unit);
    EXPECT_EQ(e.image.byte(Field::MaxMotorCurrent), 70);
    EXPECT_TRUE(journal->complete(id, Outcome::Verified));  // final at once
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "v2");
        db.setDatabaseName(path());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_FALSE(q.exec(QStringLiteral("DELETE FROM entries WHERE id = 7")));
        EXPECT_FALSE(q.exec(QStringLiteral("UPDATE entries SET outcome = 'bogus' WHERE id = 8")));
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT entry FROM imported")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), 7);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v2"));
}
