// The journal's window over 100,000 entries, the station's own and the shared one on the real
// server: first rows at once, filters, comparison, export and the station's waiting entries.
// DISABLED_Bench gives scripts/bench.sh its figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include "../support/RandomImage.h"
#include "ConfigMenu.h"
#include "HistoryWindow.h"
#include "JournalModel.h"
#include "PgServer.h"

using namespace config;

namespace {

constexpr int Entries = 100000;
// What every unit held: max motor current 100%.
const CalibrationImage Base = [] {
    CalibrationImage image = randomImage(41, 0x0405, "TRN48201", 'C');
    image.setByte(Field::MaxMotorCurrent, 100);
    return image;
}();

// Entry i (from 1): unit i % 5000, station bay-(i % 8), one minute after the last, max motor
// current 20 + i % 81 over what the unit held.
int current(qint64 i) {
    return 20 + static_cast<int>(i % 81);
}

struct SaveTo : FileChooser {
    QString path;
    QString saveFile(QWidget*, const QString&, const QString&) override { return path; }
    std::optional<Choice> loadFile(QWidget*, const QString&, const std::vector<Choice>&) override {
        return std::nullopt;
    }
};

class HistoryWindowTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) {
            SKIP_WITHOUT_SERVER();
        }
        Message failure{};
        const QString file = dir.filePath(QStringLiteral("journal.sqlite"));
        station = SqliteJournal::open(file, &failure, {QStringLiteral("bay-1"), {}});
        ASSERT_TRUE(station);
        const QString image = QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(Base.data()), CalibrationImage::Size).toHex());
        if (!GetParam()) {
            seedLocal(file);
            return;
        }
        QString why;
        const auto server = ServerAddress::parse(
            PgServer::url(QStringLiteral("trnsetup_owner"), PgServer::newDatabase()), &why);
        QString done;
        ASSERT_FALSE(ServerJournal::init(*server, &done));
        const QString seeded = PgServer::sql(
            server->database,
            QStringLiteral(
                "INSERT INTO trnsetup.entries (uuid, unit, time, program, station, held, image, "
                "outcome) SELECT gen_random_uuid(), 'TRN48201-' || lpad(upper(to_hex(i % 5000)), "
                "8, '0'), timestamptz '2024-01-01' + i * interval '1 minute', 'trnsetup 4.1.0', "
                "'bay-' || i % 8, decode('%1', 'hex'), overlay(decode('%1', 'hex') placing "
                "decode(lpad(to_hex(20 + i % 81), 2, '0'), 'hex') from %2 for 1), 'verified' "
                "FROM generate_series(1, %3) AS i; ANALYZE trnsetup.entries;")
                .arg(image)
                .arg(Field::MaxMotorCurrent + 1)
                .arg(Entries));
        ASSERT_EQ(seeded, QString());
        auto queued = SqliteJournal::open(file, &failure, {QStringLiteral("bay-1"), {}});
        shared = std::make_unique<SharedJournal>(std::move(queued), *server);
        // Made after the shared journal's first sync: it waits at the station.
        auto local = SqliteJournal::open(file, &failure, {QStringLiteral("bay-1"), {}});
        local->queueForServer(true);
        CalibrationImage written = Base;
        written.setByte(Field::MaxMotorCurrent, 55);
        qint64 id = 0;
        ASSERT_FALSE(local->refuse(Base, written, QStringLiteral("trnsetup 4.1.0"), &id));
    }
    // One transaction: the journal's own inserts would sync the disk 100,000 times.
    void seedLocal(const QString& file) {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("seed"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open() && db.transaction());
        QSqlQuery q(db);
        ASSERT_TRUE(q.prepare(QStringLiteral(
            "INSERT INTO entries (uuid, unit, time, program, host, held, image, outcome) VALUES "
            "(?, ?, ?, 'trnsetup 4.1.0', ?, ?, ?, 'verified')")));
        const QDateTime start(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
        for (qint64 i = 1; i <= Entries; ++i) {
            CalibrationImage image = Base;
            image.setByte(Field::MaxMotorCurrent, static_cast<std::uint8_t>(current(i)));
            for (const QVariant& v : {QVariant(QUuid::createUuid().toString(QUuid::WithoutBraces)),
                                      QVariant(QStringLiteral("TRN48201-%1")
                                                   .arg(i % 5000, 8, 16, QLatin1Char('0'))
                                                   .toUpper()),
                                      QVariant(timeText(start.addSecs(60 * i))),
                                      QVariant(QStringLiteral("bay-%1").arg(i % 8)),
                                      storedBytes(Base), storedBytes(image)})
                q.addBindValue(v);
            ASSERT_TRUE(q.exec());
        }
        ASSERT_TRUE(db.commit());
    }
    void TearDown() override { QSqlDatabase::removeDatabase(QStringLiteral("seed")); }
    HistorySources sources() const {
        return {station.get(), shared.get(), QStringLiteral("the test server")};
    }
    // Every entry the window's filters find, paging to the end.
    static std::vector<const JournalEntry*> all(HistoryWindow& w) {
        while (w.model().canFetchMore({})) w.model().fetchMore({});
        std::vector<const JournalEntry*> out;
        for (int r = 0; r < w.model().rowCount(); ++r) out.push_back(w.model().entryAt(r));
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<SqliteJournal> station;
    std::unique_ptr<SharedJournal> shared;
    SaveTo chooser;
};

}  // namespace

TEST_P(HistoryWindowTest, FiltersCompareAndExportOver100000Entries) {
    HistoryWindow w(sources(), chooser, Language::English);
    // The first page, newest first, and not the whole journal; the shared table leads with the
    // entry that waits at the station, marked.
    const int ahead = GetParam() ? 1 : 0;
    ASSERT_EQ(w.model().rowCount(), JournalModel::PageSize + ahead) << w.status().toStdString();
    EXPECT_EQ(w.model().waits(0), GetParam());
    EXPECT_EQ(w.model().entryAt(ahead)->id, Entries);
    EXPECT_EQ(w.model().entryAt(ahead + 1)->id, Entries - 1);

    const struct {
        const char *unit, *station, *since, *until, *where;
        bool (*holds)(qint64 i);  // what entry i must be to be found
    } filters[] = {
        {"TRN48201-0000000a", "", "", "", "", [](qint64 i) { return i % 5000 == 10; }},
        {"", "", "2024-01-01T10:00", "2024-01-01T11:00", "",
         [](qint64 i) { return i >= 600 && i <= 660; }},
        {"", "bay-3", "", "", "max_motor_current>80%",
         [](qint64 i) { return i % 8 == 3 && current(i) > 80; }},
        {"", "", "", "", "max_motor_current=20%; max_motor_current!=20%",
         [](qint64) { return false; }},
    };
    for (const auto& f : filters) {
        SCOPED_TRACE(f.where);
        for (const auto& [name, value] : {std::pair{"unit", f.unit},
                                          {"station", f.station},
                                          {"since", f.since},
                                          {"until", f.until},
                                          {"where", f.where}})
            w.findChild<QLineEdit*>(QLatin1String(name))->setText(QLatin1String(value));
        w.findChild<QPushButton*>(QStringLiteral("apply"))->click();
        int expected = 0;
        for (qint64 i = 1; i <= Entries; ++i) expected += f.holds(i) ? 1 : 0;
        const auto found = all(w);
        EXPECT_EQ(static_cast<int>(found.size()), expected) << w.status().toStdString();
        for (const JournalEntry* e : found) EXPECT_TRUE(f.holds(e->id)) << e->id;
    }

    // The unit's two newest entries, compared older first; one's changes against what the
    // unit held; one exported into a file that reads back as the entry.
    w.findChild<QLineEdit*>(QStringLiteral("where"))->clear();
    w.setQuery({QStringLiteral("TRN48201-00000007"), {}, {}, {}, {}});
    QItemSelectionModel& selection = *w.table().selectionModel();
    for (int row : {0, 1})
        selection.select(w.table().model()->index(row, 0),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_TRUE(w.details().contains(QStringLiteral("Max Motor Current: %1% -> %2%")
                                         .arg(current(Entries - 5000 * 2 + 7))
                                         .arg(current(Entries - 5000 + 7))))
        << w.details().toStdString();
    selection.select(w.table().model()->index(1, 0),
                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const JournalEntry exported = *w.entryInRow(1);
    EXPECT_TRUE(w.details().contains(
        QStringLiteral("Max Motor Current: 100% -> %1%").arg(current(exported.id))));
    chooser.path = dir.filePath(QStringLiteral("exported.trncfg"));
    w.findChild<QPushButton*>(QStringLiteral("export"))->click();
    const ReadResult read = ConfigFile::load(chooser.path);
    ASSERT_TRUE(read.ok()) << w.status().toStdString();
    EXPECT_EQ(read.file->image(), exported.image);
}

// Figures for scripts/bench.sh: the first rows, and the answer to a filter change, as the
// window shows them: one that SQL narrows, and the worst, one that only each image can answer
// (the control mode is three fields) and that no entry matches.
TEST_P(HistoryWindowTest, DISABLED_Bench) {
    QElapsedTimer clock;
    clock.start();
    HistoryWindow w(sources(), chooser, Language::English);
    w.show();
    QCoreApplication::processEvents();
    const qint64 first = clock.elapsed();
    ASSERT_GT(w.model().rowCount(), 0);
    const auto change = [&](const char* station, const QString& where) {
        w.findChild<QLineEdit*>(QStringLiteral("station"))->setText(QLatin1String(station));
        w.findChild<QLineEdit*>(QStringLiteral("where"))->setText(where);
        clock.restart();
        w.findChild<QPushButton*>(QStringLiteral("apply"))->click();
        QCoreApplication::processEvents();
        return static_cast<long long>(clock.elapsed());
    };
    const long long narrowed = change("bay-3", QStringLiteral("max_motor_current>80%"));
    EXPECT_GT(w.model().rowCount(), 0);
    const Setting& mode = *findSetting("control_mode");
    const long long scanned =
        change("", QStringLiteral("control_mode!=") + fileText(mode, Base, mode.raw(Base)));
    EXPECT_EQ(w.model().rowCount(), 0);
    // What the window promises of a journal this size.
    EXPECT_LT(first, 300);
    EXPECT_LT(std::max(narrowed, scanned), 500);
    std::printf(
        "journal window over %d entries, %s: first rows in %lld ms; a filter change in "
        "%lld ms, %lld ms for one that every image must answer\n",
        Entries, GetParam() ? "shared" : "local", static_cast<long long>(first), narrowed, scanned);
}

INSTANTIATE_TEST_SUITE_P(Journals, HistoryWindowTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Shared" : "Local"; });
