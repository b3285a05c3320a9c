// The workshop's commands, run as the real program against the real simulator, with no
// display: what they print, what they write to the controller and their exit status.
#include <gtest/gtest.h>

#include <map>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "../support/TrnsetupProcess.h"
#include "../support/TrnsimProcess.h"
#include "CalibrationImage.h"
#include "ConfigFile.h"
#include "Settings.h"
#include "SimController.h"

namespace {

using Result = CommandResult;

class Commands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& name) const { return dir.filePath(name); }

    // trnsetup with these arguments, no display and its own data folder.
    Result trnsetup(const QStringList& arguments) const {
        return runTrnsetup(arguments, path(QStringLiteral("data")));
    }

    QByteArray bytes(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void save(const QString& name, const QByteArray& content) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    // A copy of a file with the line of one setting replaced.
    void edit(const QString& from, const QString& to, const QString& key,
              const QString& value) const {
        QString text = QString::fromUtf8(bytes(from));
        QStringList lines = text.split(QLatin1Char('\n'));
        int replaced = 0;
        for (QString& line : lines)
            if (line.startsWith(key + QStringLiteral(" = "))) {
                line = key + QStringLiteral(" = ") + value;
                ++replaced;
            }
        ASSERT_EQ(replaced, 1) << key.toStdString();
        save(to, lines.join(QLatin1Char('\n')).toUtf8());
    }

    QTemporaryDir dir;
};

CalibrationImage imageOf(const QByteArray& bytes) {
    CalibrationImage image;
    for (int i = 0; i < CalibrationImage::Size && i < bytes.size(); ++i)
        image.setByte(i, static_cast<std::uint8_t>(bytes[i]));
    return image;
}

}  // namespace

// Read into a file, change one line, write: the controller's image changes in that setting's
// bits only, and diff names exactly that setting.
TEST_F(Commands, RoundTripChangesOnlyTheEditedSetting) {
    const struct {
        const char* key;
        const char* value;
        const char* diffLine;
    } rows[] = {
        {"max_motor_current", "90%", "Max Motor Current: 100% -> 90%"},
        {"forward_switch", "off", "Forward Switch: Enable -> Disable"},
        {"throttle_sensor_type", "1-4V", "Throttle Sensor Type: 0-5V -> 1-4V"},
        {"startup_delay", "1.5s", "Start-up Delay: 0.5s -> 1.5s"},
        {"under_voltage", "40V", "Under Voltage: 36V -> 40V"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        const QString image = QStringLiteral("%1.img").arg(QLatin1String(row.key));
        TrnsimProcess sim({QStringLiteral("--image"), path(image)});
        ASSERT_FALSE(sim.device().isEmpty()) << sim.errors().toStdString();
        const QByteArray before = bytes(image);
        ASSERT_EQ(before.size(), CalibrationImage::Size);

        const Result read =
            trnsetup({QStringLiteral("read"), QStringLiteral("--port"), sim.device(),
                      QStringLiteral("-o"), path(QStringLiteral("before.trncfg"))});
        ASSERT_EQ(read.status, 0) << read.err.join('\n').toStdString();
        edit(QStringLiteral("before.trncfg"), QStringLiteral("after.trncfg"),
             QLatin1String(row.key), QLatin1String(row.value));

        const Result diff = trnsetup({QStringLiteral("diff"), path(QStringLiteral("before.trncfg")),
                                      path(QStringLiteral("after.trncfg"))});
        EXPECT_EQ(diff.status, 1);  // they differ
        EXPECT_EQ(diff.out, QStringList{QString::fromUtf8(row.diffLine)});

        const Result write =
            trnsetup({QStringLiteral("write"), path(QStringLiteral("after.trncfg")),
                      QStringLiteral("--port"), sim.device(), QStringLiteral("--yes")});
        ASSERT_EQ(write.status, 0) << write.err.join('\n').toStdString();
        EXPECT_TRUE(write.err.isEmpty()) << write.err.join('\n').toStdString();
        EXPECT_EQ(write.out.value(0), QString::fromUtf8(row.diffLine));

        const QByteArray after = bytes(image);
        ASSERT_EQ(after.size(), CalibrationImage::Size);
        const config::Setting* setting = config::findSetting(row.key);
        ASSERT_NE(setting, nullptr);
        int changed = 0;
        for (int i = 0; i < CalibrationImage::Size; ++i) {
            const auto flipped = static_cast<std::uint8_t>(before[i] ^ after[i]);
            if (flipped == 0)
                continue;
            ++changed;
            const bool inSetting = i >= setting->pos && i < setting->pos + setting->width;
            EXPECT_TRUE(inSetting) << "byte " << i << " changed";
            if (setting->width == 1) {
                EXPECT_EQ(flipped & ~setting->mask, 0) << "byte " << i;
            }
        }
        EXPECT_GT(changed, 0);
    }
}

TEST_F(Commands, ShowAndDiffPrintNamesInTheLanguageChosen) {
    const CalibrationImage sample =
        imageOf(QByteArray(reinterpret_cast<const char*>(SimController::sampleImage().data()),
                           CalibrationImage::Size));
    save(QStringLiteral("a.trncfg"),
         config::ConfigFile::write(sample, {}, config::Language::English).toUtf8());
    edit(QStringLiteral("a.trncfg"), QStringLiteral("b.trncfg"),
         QStringLiteral("max_motor_current"), QStringLiteral("85%"));
    CalibrationImage another = sample;
    another.setByte(Field::SerialNumber + 3, 0xFE);
    save(QStringLiteral("c.trncfg"),
         config::ConfigFile::write(another, {}, config::Language::English).toUtf8());
    const QString a = path(QStringLiteral("a.trncfg"));
    const QString b = path(QStringLiteral("b.trncfg"));
    const QString c = path(QStringLiteral("c.trncfg"));
    // The default file the wizard keeps after a read, which edit opens too.
    save(QStringLiteral("0405000AB0FFV.v"),
         QByteArray(reinterpret_cast<const char*>(sample.data()), CalibrationImage::Size));
    const QString v = path(QStringLiteral("0405000AB0FFV.v"));
    const int settings = static_cast<int>(config::settingsOf(sample).size());

    // diff exits as diff(1) does: 1 when the files differ, the controller included.
    const struct {
        QStringList arguments;
        int status;
        int lines;  // of output; -1 for one line per setting
        const char* first;
    } rows[] = {
        {{"show", a}, 0, -1, "TRN48201 (variant J, firmware 0405, serial 000AB0FF)"},
        {{"show", a, "--language", "chinese"},
         0,
         -1,
         "TRN48201 (variant J, firmware 0405, serial 000AB0FF)"},
        {{"diff", a, b}, 1, 1, "Max Motor Current: 100% -> 85%"},
        {{"--language", "chinese", "diff", a, b}, 1, 1, "最大电机电流：100% -> 85%"},
        {{"diff", b, a}, 1, 1, "Max Motor Current: 85% -> 100%"},
        {{"diff", a, c}, 1, 1, "Serial number: 000AB0FF -> 000AB0FE"},
        {{"diff", a, a}, 0, 0, ""},
        {{"show", v}, 0, -1, "TRN48201 (variant J, firmware 0405, serial 000AB0FF)"},
        {{"diff", a, v}, 0, 0, ""},
        {{"diff", v, b}, 1, 1, "Max Motor Current: 100% -> 85%"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const Result r = trnsetup(row.arguments);
        EXPECT_EQ(r.status, row.status) << r.err.join('\n').toStdString();
        EXPECT_TRUE(r.err.isEmpty());
        // show names the controller first, then one line per setting.
        EXPECT_EQ(r.out.size(), row.lines < 0 ? settings + 1 : row.lines);
        EXPECT_EQ(r.out.value(0), QString::fromUtf8(row.first));
    }
}

// Mistakes on the command line: exit 2, one line on stderr, nothing done.
TEST_F(Commands, UsageErrorsExitTwo) {
    TrnsimProcess sim({QStringLiteral("--image"), path(QStringLiteral("sim.img"))});
    ASSERT_FALSE(sim.device().isEmpty());
    save(QStringLiteral("f.trncfg"), QByteArray("x"));
    const QString f = path(QStringLiteral("f.trncfg"));
    const struct {
        QStringList arguments;
        const char* says;
    } rows[] = {
        {{"show"}, "show takes 1 file name(s), not 0"},
        {{"show", f, f}, "show takes 1 file name(s), not 2"},
        {{"diff", f}, "diff takes 2 file name(s), not 1"},
        {{"read", "--port", sim.device()}, "read needs -o FILE"},
        {{"read", "-o"}, "Missing value after '-o'"},
        {{"read", "-o", "", "--port", sim.device()}, "-o needs a file name"},
        {{"write", f, "--port", sim.device(), "--yes", "-o", f}, "write takes no -o"},
        {{"show", f, "--yes"}, "show takes no --yes or --no-verify"},
        {{"diff", f, f, "--port", sim.device()}, "diff takes no --port"},
        {{"write", f, "--port", "", "--yes"}, "--port needs a device path"},
        {{"show", f, "--language", ""}, "--language needs english, chinese or a module file"},
        {{"show", f, "--frob"}, "Unknown option 'frob'"},
        {{"write", f, "--port", sim.device()}, "nothing written: add --yes"},
        {{"history", "TRN48201"}, "history takes one unit as MODEL-SERIAL"},
        {{"history", "A-00000000", "B-00000000"}, "history takes one unit as MODEL-SERIAL"},
        {{"history", "A-00000000", "--port", sim.device()}, "history takes no --port"},
        {{"history", "--export", "x", "-o", f}, "--export needs an entry number"},
        {{"history", "--export", "1"}, "history needs -o FILE"},
        {{"history", "A-00000000", "--export", "1", "-o", f}, "history --export takes no unit"},
        {{"show", f, "--export", "1"}, "show takes no --export"},
        {{"show", f, "--window"}, "show takes no --window"},
        {{"history", "--window", "--export", "1"}, "history --window takes no --export"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const Result r = trnsetup(row.arguments);
        EXPECT_EQ(r.status, 2);
        ASSERT_EQ(r.err.size(), 1) << r.err.join('\n').toStdString();
        EXPECT_TRUE(r.err[0].startsWith(QStringLiteral("trnsetup: ") + QLatin1String(row.says)))
            << r.err[0].toStdString();
    }
    // Without --yes the wizard's warning is printed instead of writing.
    const Result r = trnsetup({QStringLiteral("write"), f, QStringLiteral("--port"), sim.device()});
    EXPECT_TRUE(
        r.out.value(0).startsWith(QStringLiteral("Warning:Prohibit doing any configuration")));
}

// Controller and file failures: exit 1, one line on stderr saying why, the controller as it was.
TEST_F(Commands, FailuresExitOneAndLeaveTheControllerAlone) {
    SimController::Image special = SimController::sampleImage();
    special[Field::ModelOptions] |= Field::SpecialVersionBit;
    SimController::Image otherSeries = SimController::sampleImage();
    otherSeries[Field::Series] = 'X';
    save(QStringLiteral("special.img"),
         QByteArray(reinterpret_cast<const char*>(special.data()), 128));
    save(QStringLiteral("series.img"),
         QByteArray(reinterpret_cast<const char*>(otherSeries.data()), 128));

    // A file of another model, and a broken one.
    CalibrationImage other =
        imageOf(QByteArray(reinterpret_cast<const char*>(SimController::sampleImage().data()),
                           CalibrationImage::Size));
    other.setByte(Field::Model + 7, '0');
    save(QStringLiteral("other.trncfg"),
         config::ConfigFile::write(other, {}, config::Language::English).toUtf8());
    save(QStringLiteral("broken.trncfg"), QByteArray("model = TRN48201\nmax_motor_current\n"));

    const struct {
        const char* image;    // the simulator's image file
        QStringList extra;    // the simulator's options
        const char* command;  // read or write; the file read first for write
        const char* file;     // written; empty writes what the controller holds
        const char* says;
    } rows[] = {
        {"special.img", {}, "write", "", "The configuration program is provided only for"},
        {"series.img", {}, "write", "", "The configurable program is provided only for"},
        {"plain.img",
         {},
         "write",
         "other.trncfg",
         "The file is for model TRN48200; this controller is a TRN48201"},
        {"plain.img", {}, "write", "broken.trncfg", "Line 2:"},  // exits 2: the user's to mend
        {"plain.img", {}, "write", "missing.trncfg", "Cannot read"},
        {"plain.img", {"--silent"}, "write", "other.trncfg", "no controller found"},
        {"plain.img", {"--silent"}, "read", "", "no controller found"},
        {"plain.img",
         {"--corrupt-commit"},
         "write",
         "",
         "read-back mismatch: written -> read back: Max Motor Current: 100% -> 101%"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.image) + " " + row.command + " " + row.file);
        const QString image = path(QLatin1String(row.image));
        TrnsimProcess sim(QStringList{QStringLiteral("--image"), image} + row.extra);
        ASSERT_FALSE(sim.device().isEmpty());
        const QByteArray before = bytes(QLatin1String(row.image));
        QString file = path(QLatin1String(row.file));
        if (*row.file == 0) {
            // The controller's own settings, read without the simulator's fault.
            file = path(QStringLiteral("own.trncfg"));
            CalibrationImage own = imageOf(
                before.isEmpty()
                    ? QByteArray(reinterpret_cast<const char*>(SimController::sampleImage().data()),
                                 128)
                    : before);
            save(QStringLiteral("own.trncfg"),
                 config::ConfigFile::write(own, {}, config::Language::English).toUtf8());
        }
        const QStringList arguments =
            QLatin1String(row.command) == QLatin1String("read")
                ? QStringList{QStringLiteral("read"), QStringLiteral("--port"), sim.device(),
                              QStringLiteral("-o"), path(QStringLiteral("out.trncfg"))}
                : QStringList{QStringLiteral("write"),  file,
                              QStringLiteral("--port"), sim.device(),
                              QStringLiteral("--yes"),  QStringLiteral("--force")};
        const Result r = trnsetup(arguments);
        EXPECT_EQ(r.status, QLatin1String(row.file) == QLatin1String("broken.trncfg") ? 2 : 1);
        ASSERT_FALSE(r.err.isEmpty());
        EXPECT_TRUE(r.err.constLast().contains(QLatin1String(row.says)))
            << r.err.constLast().toStdString();
        // Before it, only the search's line for the port tried.
        for (qsizetype i = 0; i + 1 < r.err.size(); ++i)
            EXPECT_TRUE(r.err[i].startsWith(QStringLiteral("trnsetup: ") + sim.device() + ':'))
                << r.err[i].toStdString();
        if (QLatin1String(row.says).startsWith(QLatin1String("read-back")))
            continue;
        EXPECT_EQ(bytes(QLatin1String(row.image)), before);
    }
}

// Every write is journalled with what came of it; history lists a unit's entries newest first,
// from the controller on a port or from the unit's name, and gives any back as a file.
TEST_F(Commands, EveryWriteIsJournalledAndListedByHistory) {
    {
        TrnsimProcess sim({QStringLiteral("--image"), path(QStringLiteral("sim.img"))});
        ASSERT_FALSE(sim.device().isEmpty());
        ASSERT_EQ(trnsetup({QStringLiteral("read"), QStringLiteral("-p"), sim.device(),
                            QStringLiteral("-o"), path(QStringLiteral("a.trncfg"))})
                      .status,
                  0);
    }
    const struct {
        QStringList faults;  // the simulator's
        const char* value;   // of max_motor_current
        QStringList options;
        int status;
        const char* outcome;
    } writes[] = {
        {{}, "90%", {}, 0, "verified"},
        {{}, "80%", {"--no-verify"}, 0, "not-verified"},
        {{"--corrupt-commit"}, "70%", {}, 1, "differs"},
        // Silent once found and read (11 replies): the write goes unanswered.
        {{"--drop-after", "11"}, "60%", {}, 1, "failed"},
        // The commit is kept but its reply lost: the read-back tells the truth.
        {{"--lose-commit-reply"}, "50%", {}, 0, "reply-lost-read-back"},
    };
    const int count = static_cast<int>(std::size(writes));
    QByteArray verified;  // the controller after the verified write
    for (const auto& w : writes) {
        SCOPED_TRACE(w.outcome);
        TrnsimProcess sim(QStringList{QStringLiteral("--image"), path(QStringLiteral("sim.img"))} +
                          w.faults);
        ASSERT_FALSE(sim.device().isEmpty());
        edit(QStringLiteral("a.trncfg"), QStringLiteral("b.trncfg"),
             QStringLiteral("max_motor_current"), QLatin1String(w.value));
        const Result r =
            trnsetup(QStringList{QStringLiteral("write"), path(QStringLiteral("b.trncfg")),
                                 QStringLiteral("-p"), sim.device(), QStringLiteral("--yes")} +
                     w.options);
        EXPECT_EQ(r.status, w.status) << r.err.join('\n').toStdString();
        if (QLatin1String(w.outcome) == QLatin1String("reply-lost-read-back")) {
            EXPECT_TRUE(r.out.constLast().contains(QLatin1String("reply to the write was lost")));
            EXPECT_TRUE(r.out.constLast().contains(QLatin1String("it holds what was written")));
        }
        sim.stop();
        if (verified.isEmpty())
            verified = bytes(QStringLiteral("sim.img"));
    }

    TrnsimProcess sim({QStringLiteral("--image"), path(QStringLiteral("sim.img"))});
    ASSERT_FALSE(sim.device().isEmpty());
    const Result byPort =
        trnsetup({QStringLiteral("history"), QStringLiteral("--port"), sim.device()});
    const Result byName =
        trnsetup({QStringLiteral("history"), QStringLiteral("TRN48201-000ab0ff")});
    ASSERT_EQ(byPort.status, 0) << byPort.err.join('\n').toStdString();
    EXPECT_TRUE(byPort.err.isEmpty()) << byPort.err.join('\n').toStdString();
    EXPECT_EQ(byName.out, byPort.out);
    ASSERT_EQ(byPort.out.size(), count);

    // Each line: entry, UTC time, outcome, program; each entry back into a file holds the
    // settings it wrote.
    const QRegularExpression line(QStringLiteral(
        "^(\\d+)  \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ  (\\S+)  trnsetup " TRN_VERSION "$"));
    const config::Setting* current = config::findSetting("max_motor_current");
    qint64 previous = 0;
    for (int i = 0; i < count; ++i) {
        const auto& w = writes[count - 1 - i];
        SCOPED_TRACE(w.outcome);
        const QRegularExpressionMatch m = line.match(byPort.out[i]);
        ASSERT_TRUE(m.hasMatch()) << byPort.out[i].toStdString();
        EXPECT_EQ(m.captured(2), QLatin1String(w.outcome));
        EXPECT_TRUE(previous == 0 || m.captured(1).toLongLong() < previous);
        previous = m.captured(1).toLongLong();

        const Result exported =
            trnsetup({QStringLiteral("history"), QStringLiteral("--export"), m.captured(1),
                      QStringLiteral("-o"), path(QStringLiteral("entry.trncfg"))});
        ASSERT_EQ(exported.status, 0) << exported.err.join('\n').toStdString();
        const config::ReadResult read =
            config::ConfigFile::load(path(QStringLiteral("entry.trncfg")));
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(config::valueText(*current, current->raw(read.file->settingsImage())),
                  QLatin1String(w.value));
        if (QLatin1String(w.outcome) == QLatin1String("verified")) {
            EXPECT_EQ(read.file->settingsImage(), imageOf(verified));
        }
    }
    const Result missing =
        trnsetup({QStringLiteral("history"), QStringLiteral("--export"), QStringLiteral("99"),
                  QStringLiteral("-o"), path(QStringLiteral("none.trncfg"))});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.value(0).contains(QLatin1String("there is no entry 99")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("none.trncfg"))));
    // "-" is standard output, as for read, never a file of that name.
    const Result toStdout =
        trnsetup({QStringLiteral("history"), QStringLiteral("--export"), QStringLiteral("1"),
                  QStringLiteral("-o"), QStringLiteral("-")});
    EXPECT_EQ(toStdout.status, 0) << toStdout.err.join('\n').toStdString();
    EXPECT_TRUE(config::ConfigFile::parse(toStdout.out.join('\n').toUtf8()).ok());
    EXPECT_FALSE(QFile::exists(QStringLiteral("-")));
}

// A file goes on as the wizard's pages take it: the control mode's three bytes as the page
// writes them, old files with its bytes one by one still meaning what they meant, and a value
// the page does not offer refused unless --adjust writes what the page would.
TEST_F(Commands, WriteTakesTheFileAsThePagesDo) {
    using Edits = std::vector<std::pair<const char*, const char*>>;  // key, new value
    const struct {
        const char* name;
        Edits edits;
        bool adjust;
        int status;
        std::map<int, int> bytes;  // expected afterwards; -1: as before
        const char* says;          // on stderr
    } rows[] = {
        {"speed", {{"control_mode", "speed"}}, false, 0, {{28, 2}, {30, -1}, {18, -1}}, ""},
        {"balanced", {{"control_mode", "balanced"}}, false, 0, {{28, 0}, {30, 1}, {18, 1}}, ""},
        // As older files held it: one numeric line per byte.
        {"old keys",
         {{"control_mode", "1\ncontrol_mode_copy = 1\nspeed_mode = 0"}},
         false,
         0,
         {{28, 0}, {30, 1}, {18, 1}},
         ""},
        {"out of range",
         {{"max_motor_current", "255%"}},
         false,
         2,
         {{14, -1}},
         "max_motor_current = 255% is outside what the page offers (20%..100%); 100% will be "
         "written"},
        {"adjusted", {{"max_motor_current", "255%"}}, true, 0, {{14, 100}}, "100% will be written"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TrnsimProcess sim({QStringLiteral("--image"), path(QStringLiteral("unit.img"))});
        ASSERT_FALSE(sim.device().isEmpty());
        const QByteArray before = bytes(QStringLiteral("unit.img"));
        ASSERT_EQ(trnsetup({QStringLiteral("read"), QStringLiteral("--port"), sim.device(),
                            QStringLiteral("-o"), path(QStringLiteral("edited.trncfg"))})
                      .status,
                  0);
        for (const auto& [key, value] : row.edits)
            edit(QStringLiteral("edited.trncfg"), QStringLiteral("edited.trncfg"),
                 QLatin1String(key), QLatin1String(value));
        QStringList arguments{QStringLiteral("write"), path(QStringLiteral("edited.trncfg")),
                              QStringLiteral("--port"), sim.device(), QStringLiteral("--yes")};
        if (row.adjust)
            arguments << QStringLiteral("--adjust");
        const Result r = trnsetup(arguments);
        EXPECT_EQ(r.status, row.status) << r.err.join('\n').toStdString();
        EXPECT_TRUE(r.err.join('\n').contains(QLatin1String(row.says)))
            << r.err.join('\n').toStdString();
        const QByteArray after = bytes(QStringLiteral("unit.img"));
        for (const auto& [pos, value] : row.bytes)
            EXPECT_EQ(static_cast<std::uint8_t>(after[pos]),
                      static_cast<std::uint8_t>(value < 0 ? before[pos] : value))
                << "byte " << pos;
        if (row.status != 0) {
            EXPECT_EQ(after, before) << "written although refused";
        }
        QFile::remove(path(QStringLiteral("unit.img")));
    }
}

// A write the journal cannot record is not made, unless the user says so; then it is not a
// success a script may take for one.
TEST_F(Commands, NoJournalNoWriteUnlessWithoutJournal) {
    TrnsimProcess sim({QStringLiteral("--image"), path(QStringLiteral("unit.img"))});
    ASSERT_FALSE(sim.device().isEmpty());
    ASSERT_EQ(trnsetup({QStringLiteral("read"), QStringLiteral("-p"), sim.device(),
                        QStringLiteral("-o"), path(QStringLiteral("unit.trncfg"))})
                  .status,
              0);
    edit(QStringLiteral("unit.trncfg"), QStringLiteral("unit.trncfg"),
         QStringLiteral("max_motor_current"), QStringLiteral("77%"));
    // A data folder that cannot be made: its place is taken by a file.
    save(QStringLiteral("blocked"), QByteArray("x"));
    const struct {
        QStringList more;
        int status;
        int held;  // the motor current the controller then holds
        const char* says;
    } rows[] = {
        {{}, 1, 100, "nothing written: the journal cannot record the write"},
        {{QStringLiteral("--without-journal")}, 3, 77, "the journal does not record it"},
    };
    for (const auto& row : rows) {
        const CommandResult r =
            runTrnsetup(QStringList{QStringLiteral("write"), path(QStringLiteral("unit.trncfg")),
                                    QStringLiteral("-p"), sim.device(), QStringLiteral("--yes")} +
                            row.more,
                        path(QStringLiteral("blocked")));
        EXPECT_EQ(r.status, row.status) << r.err.join('\n').toStdString();
        EXPECT_TRUE(r.err.join('\n').contains(QLatin1String(row.says)))
            << r.err.join('\n').toStdString();
        EXPECT_EQ(
            static_cast<std::uint8_t>(bytes(QStringLiteral("unit.img"))[Field::MaxMotorCurrent]),
            row.held);
    }
}
