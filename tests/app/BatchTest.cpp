// Batches and --json, run as the real program against real simulators: every unit handled as a
// single write, one unit's failure left to itself, and every document parseable with the exit
// status it exits with.
#include <gtest/gtest.h>

#include <memory>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "../support/TrnsetupProcess.h"
#include "../support/TrnsimProcess.h"
#include "CalibrationImage.h"
#include "ConfigFile.h"
#include "SimController.h"
#include "UnitRunner.h"

namespace {

class Batch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }

    // A simulator on an image file of the sample controller, its serial's last byte and model
    // name changed as asked.
    TrnsimProcess* sim(const QString& name, std::uint8_t serial, const QStringList& faults = {},
                       const char* model = "TRN48201") {
        SimController::Image image = SimController::sampleImage();
        image[Field::SerialNumber + 3] = serial;
        std::copy_n(model, Field::ModelLength, image.begin() + Field::Model);
        save(name, QByteArray(reinterpret_cast<const char*>(image.data()), 128));
        sims.push_back(
            std::make_unique<TrnsimProcess>(QStringList{"--image", path(name)} + faults));
        return sims.back().get();
    }
    void save(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray bytes(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The sample's settings with the max motor current at 85%: the file a batch writes.
    QString batchFile() const {
        CalibrationImage image;
        const SimController::Image sample = SimController::sampleImage();
        std::copy(sample.begin(), sample.end(), image.data());
        image.setByte(Field::MaxMotorCurrent, 85);
        const QString file = path(QStringLiteral("batch.trncfg"));
        save(QStringLiteral("batch.trncfg"),
             config::ConfigFile::write(image, {}, config::Language::English).toUtf8());
        return file;
    }
    CommandResult trnsetup(const QStringList& arguments) const {
        return runTrnsetup(arguments, path(QStringLiteral("data")));
    }

    QTemporaryDir dir;
    std::vector<std::unique_ptr<TrnsimProcess>> sims;
};

}  // namespace

// Four units: two written and verified, one of another model refused, one that stops answering
// mid-write. Exit 1; the good images hold the file, the others are unchanged; four entries.
TEST_F(Batch, FourUnitsEachHandledAsASingleWrite) {
    const struct {
        const char* image;
        std::uint8_t serial;
        QStringList faults;
        const char* model;
        const char* outcome;
        int status;
        const char* says;
    } units[] = {
        {"a.img", 0xA1, {}, "TRN48201", "verified", 0, ""},
        {"b.img", 0xB2, {}, "TRN48201", "verified", 0, ""},
        {"c.img", 0xC3, {}, "TRN48200", "refused", 1, "The file is for model TRN48201"},
        // Found and read (identify, open and 8 blocks), then two chunks answered: 13 replies.
        {"d.img", 0xD4, {"--drop-after", "13"}, "TRN48201", "failed", 1, "writing the controller"},
    };
    QStringList arguments{QStringLiteral("write"), batchFile(), QStringLiteral("--yes"),
                          QStringLiteral("--json")};
    std::vector<QByteArray> before;
    for (const auto& u : units) {
        const TrnsimProcess* s = sim(QLatin1String(u.image), u.serial, u.faults, u.model);
        ASSERT_FALSE(s->device().isEmpty());
        arguments << QStringLiteral("--port") << s->device();
        before.push_back(bytes(QLatin1String(u.image)));
    }
    const CommandResult r = trnsetup(arguments);
    EXPECT_EQ(r.status, 1) << r.err.join('\n').toStdString();
    const QJsonObject doc = printedJson(r);
    EXPECT_EQ(doc[QStringLiteral("status")].toInt(), 1);
    const QJsonArray reported = doc[QStringLiteral("units")].toArray();
    ASSERT_EQ(reported.size(), 4);
    for (std::size_t i = 0; i < std::size(units); ++i) {
        const auto& u = units[i];
        SCOPED_TRACE(u.image);
        const QJsonObject unit = reported[static_cast<qsizetype>(i)].toObject();
        EXPECT_EQ(unit[QStringLiteral("port")].toString(), sims[i]->device());
        EXPECT_EQ(unit[QStringLiteral("outcome")].toString(), QLatin1String(u.outcome));
        EXPECT_EQ(unit[QStringLiteral("status")].toInt(), u.status);
        EXPECT_EQ(unit[QStringLiteral("model")].toString(), QLatin1String(u.model));
        EXPECT_TRUE(unit[QStringLiteral("errors")].toArray().isEmpty() == (*u.says == 0));
        EXPECT_TRUE(unit[QStringLiteral("errors")].toArray().at(0).toString().contains(
            QLatin1String(u.says)));
        sims[i]->stop();
        QByteArray expected = before[i];
        if (u.status == 0)
            expected[Field::MaxMotorCurrent] = 85;
        EXPECT_EQ(bytes(QLatin1String(u.image)), expected);

        // Each unit's entry, the refused one included, completed with its outcome.
        const CommandResult history =
            trnsetup({QStringLiteral("history"), unit[QStringLiteral("unit")].toString(),
                      QStringLiteral("--json")});
        const QJsonArray entries = printedJson(history)[QStringLiteral("entries")].toArray();
        ASSERT_EQ(entries.size(), 1);
        EXPECT_EQ(entries[0].toObject()[QStringLiteral("outcome")].toString(),
                  QLatin1String(u.outcome));
        EXPECT_EQ(entries[0].toObject()[QStringLiteral("entry")], unit[QStringLiteral("entry")]);
    }
}

// The summary's last line says what the units had done: never "verified" without a read-back,
// and units that held the file already are said to.
TEST_F(Batch, TheSummarySaysWhatEachUnitDid) {
    const TrnsimProcess* a = sim(QStringLiteral("a.img"), 0x01);
    const TrnsimProcess* b = sim(QStringLiteral("b.img"), 0x02);
    const TrnsimProcess* c = sim(QStringLiteral("c.img"), 0x03);
    const QString file = batchFile();
    const struct {
        QStringList arguments;
        const char* last;
    } rows[] = {
        {{"-p", a->device(), "-p", b->device(), "--no-verify"}, "All 2 units written."},
        {{"-p", a->device(), "-p", b->device()}, "All 2 units already held the file's settings."},
        {{"-p", a->device(), "-p", c->device()},
         "All 2 units done: 1 already held the file's settings, 1 written and verified."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.last);
        const CommandResult r = trnsetup(
            QStringList{QStringLiteral("write"), file, QStringLiteral("--yes")} + row.arguments);
        EXPECT_EQ(r.status, 0) << r.err.join('\n').toStdString();
        EXPECT_EQ(r.out.value(r.out.size() - 1), QLatin1String(row.last));
        if (row.arguments.contains(QStringLiteral("--no-verify"))) {
            EXPECT_FALSE(r.out.join('\n').contains(QLatin1String(" verified")));
        }
    }
}

// A controller's texts reach standard output escaped: a model name holding a line break and
// escape sequences neither makes a line of its own nor drives the terminal.
TEST_F(Batch, TextsOfAControllerAreShownEscaped) {
    const TrnsimProcess* a = sim(QStringLiteral("a.img"), 0x01, {}, "TRN\n\x1b[2J");
    const QString file = path(QStringLiteral("a.trncfg"));
    const QStringList runs[] = {
        {"read", "-p", a->device(), "-o", file},
        {"show", file},
        {"read", "--all-ports", "-p", a->device(), "-o", path(QStringLiteral("units"))},
    };
    for (const QStringList& arguments : runs) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CommandResult r = trnsetup(arguments);
        EXPECT_EQ(r.status, 0) << r.err.join('\n').toStdString();
        const QString out = r.out.join('\n');
        EXPECT_TRUE(out.contains(QLatin1String("TRN\\x0a\\x1b[2J"))) << out.toStdString();
        EXPECT_FALSE(out.contains(QLatin1Char('\x1b')));
    }
}

// Every command's document parses and carries the status the program exits with.
TEST_F(Batch, EveryJsonDocumentCarriesItsExitStatus) {
    const TrnsimProcess* a = sim(QStringLiteral("a.img"), 0x01);
    const TrnsimProcess* b = sim(QStringLiteral("b.img"), 0x02);
    const TrnsimProcess* silent = sim(QStringLiteral("s.img"), 0x03, {QStringLiteral("--silent")});
    const QString file = batchFile();
    const QString units = path(QStringLiteral("units"));
    const QString unitA = units + QStringLiteral("/TRN48201-000AB001.trncfg");
    const struct {
        QStringList arguments;
        int status;
        const char* field;  // holds as many items as count
        int count;
    } rows[] = {
        {{"read", "--all-ports", "-p", a->device(), "-p", silent->device(), "-p", b->device(), "-o",
          units},
         0,
         "units",
         2},
        {{"show", unitA}, 0, "settings", -1},
        {{"diff", unitA, file}, 1, "changes", 1},
        {{"diff", unitA, unitA}, 0, "changes", 0},
        {{"write", file, "-p", a->device(), "--yes"}, 0, "units", 1},
        {{"write", file, "-p", a->device(), "--yes"}, 0, "units", 1},  // unchanged
        {{"write", file, "-p", a->device(), "-p", silent->device(), "--yes"}, 1, "units", 2},
        {{"history", "TRN48201-000AB001"}, 0, "entries", 1},
        {{"show", path(QStringLiteral("missing"))}, 1, "errors", 1},
        {{"show", unitA, "--frob"}, 2, "errors", 1},
        {{"read", "--frob"}, 2, "errors", 1},
        {{}, 2, "errors", 1},
        // The named port where nothing answered is named.
        {{"read", "--all-ports", "-p", a->device(), "-p", silent->device(), "-o",
          path(QStringLiteral("more"))},
         0,
         "silent_ports",
         1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const CommandResult r = trnsetup(row.arguments + QStringList{QStringLiteral("--json")});
        EXPECT_EQ(r.status, row.status) << r.err.join('\n').toStdString();
        const QJsonObject doc = printedJson(r);
        EXPECT_EQ(doc[QStringLiteral("format")].toInt(), 1);
        EXPECT_EQ(doc[QStringLiteral("status")].toInt(-1), r.status);
        EXPECT_EQ(doc[QStringLiteral("command")].toString(), row.arguments.value(0));
        const QJsonValue field = doc[QLatin1String(row.field)];
        const qsizetype count = field.isArray() ? field.toArray().size() : field.toObject().size();
        if (row.count >= 0) {
            EXPECT_EQ(count, row.count);
        } else {
            EXPECT_GT(count, 20);
        }
    }
    // What read saved is the controller, settings by key with value and unit.
    const QJsonObject shown = printedJson(trnsetup({"show", unitA, "--json"}));
    const QJsonObject current =
        shown[QStringLiteral("settings")][QStringLiteral("max_motor_current")].toObject();
    EXPECT_EQ(current[QStringLiteral("value")].toDouble(), 100);
    EXPECT_EQ(current[QStringLiteral("unit")].toString(), QStringLiteral("%"));
    EXPECT_EQ(shown[QStringLiteral("identity")][QStringLiteral("serial")].toString(),
              QStringLiteral("000AB001"));
}

// The summary lines up on a terminal when a text in it is Chinese, two columns a character:
// each row's outcome starts in its heading's column.
TEST(BatchSummary, ColumnsLineUpWhereTextsAreWide) {
    std::vector<UnitReport> units(2);
    units[0].port = QStringLiteral("/dev/ttyUSB0");
    units[1].port = QStringLiteral("/dev/串口0");
    for (UnitReport& u : units) u.outcome = QStringLiteral("verified");
    const QStringList lines = summaryTable(units);
    const auto columnOf = [](const QString& line, const QString& text) {
        int column = 0;
        for (const QChar c : line.left(line.indexOf(text))) column += c.unicode() >= 0x2E80 ? 2 : 1;
        return column;
    };
    for (const QString& line : lines.mid(1))
        EXPECT_EQ(columnOf(line, QStringLiteral("verified")), columnOf(lines[0], "outcome"))
            << lines.join('\n').toStdString();
}
