// Configuration files: lossless round trips, strict reading, applying onto a controller.
#include <gtest/gtest.h>

#include <functional>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "ConfigFile.h"
#include "ConfigSupport.h"

using namespace config;
using Kind = Message::Kind;

namespace {

struct Identity {
    unsigned firmware;
    const char* model;
    char variant;
};
// Firmware on each side of the pages' thresholds, with and without regeneration, every
// variant letter, and a model name that needs escaping.
const Identity Identities[] = {
    {0x0203, "TRN48201", 'C'},     {0x0208, "TRE72300", 'J'},  {0x0301, "TRN48201", 'B'},
    {0x0302, "TRN96201", 'J'},     {0x0403, "TRE24300", 'C'},  {0x0404, "TRN48201", 'J'},
    {0x0405, "TRN\\#4 \xFF", 'C'}, {0x0405, "TRN48201", '\0'},
};

int lineCount(const QString& text) {
    const int n = static_cast<int>(text.split(QLatin1Char('\n')).size());
    return text.endsWith(QLatin1Char('\n')) ? n - 1 : n;
}

std::string describe(const std::optional<Message>& m) {
    return m ? m->text(Language::English).toStdString() : std::string("no message");
}

}  // namespace

TEST(ConfigFile, RoundTripsAndAppliesOnlySettings) {
    for (const Identity& id : Identities) {
        for (unsigned seed = 1; seed <= 4; ++seed) {
            const CalibrationImage source = randomImage(seed, id.firmware, id.model, id.variant);
            SCOPED_TRACE(versionText(source).toStdString() + " " + id.model + " seed " +
                         std::to_string(seed));
            for (Language language : {Language::English, Language::Chinese}) {
                const QString text = ConfigFile::write(source, SampleInfo, language);
                ReadResult read = ConfigFile::parse(text.toUtf8());
                ASSERT_TRUE(read.ok()) << describe(read.error);
                EXPECT_EQ(read.file->image(), source);
                EXPECT_EQ(read.file->settingsImage(), source);
                EXPECT_EQ(read.file->values().size(), settingsOf(source).size());
                EXPECT_EQ(ConfigFile::write(read.file->settingsImage(), SampleInfo, language),
                          text);
            }

            // Another unit of the same model, variant and firmware: only its settings change.
            const ReadResult read = ConfigFile::parse(ConfigFile::write(source, SampleInfo, {}));
            ASSERT_TRUE(read.ok());
            const CalibrationImage other =
                randomImage(seed + 100, id.firmware, id.model, id.variant);
            CalibrationImage target = other;
            ASSERT_FALSE(apply(*read.file, target)) << "refused";
            const auto bits = settingBits(other);
            // The control mode's bytes are written as the page writes them.
            const Setting& mode = *findSetting("control_mode");
            EXPECT_EQ(mode.raw(target), mode.raw(source));
            for (int pos = 0; pos < CalibrationImage::Size; ++pos) {
                if (pos == Field::SpeedMode || pos == Field::ControlMode ||
                    pos == Field::ControlModeCopy)
                    continue;
                const std::uint8_t mask = bits[static_cast<std::size_t>(pos)];
                EXPECT_EQ(target.byte(pos) & mask, source.byte(pos) & mask) << "byte " << pos;
                EXPECT_EQ(target.byte(pos) & ~mask & 0xFF, other.byte(pos) & ~mask & 0xFF)
                    << "byte " << pos;
            }
        }
    }
}

TEST(ConfigFile, ReadingRefusesWhatDoesNotFit) {
    const CalibrationImage image = randomImage(5, 0x0403, "TRN48201", 'C');
    const QString good = ConfigFile::write(image, SampleInfo, Language::English);
    const QString end = QStringLiteral("<end>");
    struct Case {
        const char* name;
        std::function<QString(const QString&)> edit;
        Kind kind;
        QString namedLine;  // the line the message names, by its start; "" for none
    };
    const Case cases[] = {
        {"empty", [](const QString&) { return QString(); }, Kind::Empty, {}},
        {"blank lines",
         [](const QString&) { return QStringLiteral("\n  \n\t\n"); },
         Kind::Empty,
         {}},
        {"no equals sign", [](const QString& t) { return insertBefore(t, "abs =", "abs on"); },
         Kind::Unparsable, "abs on"},
        {"no name", [](const QString& t) { return insertBefore(t, "abs =", " = on"); },
         Kind::Unparsable, " = on"},
        {"unknown setting",
         [](const QString& t) { return insertBefore(t, "abs =", "anti_lock = on"); },
         Kind::UnknownKey, "anti_lock"},
        {"repeated setting",
         [](const QString& t) { return insertBefore(t, "[image]", "abs = off"); },
         Kind::RepeatedKey, "abs = off"},
        {"repeated header",
         [](const QString& t) { return insertBefore(t, "abs =", "serial = 00000000"); },
         Kind::RepeatedKey, "serial = 00000000"},
        {"value of another coding",
         [](const QString& t) {
             return replaceLine(t, "max_motor_current", "max_motor_current = 80V");
         },
         Kind::BadValue, "max_motor_current"},
        {"value too large for its byte",
         [](const QString& t) { return replaceLine(t, "top_speed", "top_speed = 256%"); },
         Kind::BadValue, "top_speed"},
        {"switch neither on nor off",
         [](const QString& t) { return replaceLine(t, "abs =", "abs = yes"); }, Kind::BadValue,
         "abs ="},
        {"date that is no date",
         [](const QString& t) { return replaceLine(t, "date", "date = yesterday"); }, Kind::BadDate,
         "date"},
        {"setting this controller lacks",
         [](const QString& t) { return insertBefore(t, "abs =", "smoothing = on"); },
         Kind::NotOnController, "smoothing"},
        {"J1939 field on a CAN unit",
         [](const QString& t) { return insertBefore(t, "abs =", "j1939_address = 5"); },
         Kind::NotOnController, "j1939_address"},
        {"header without serial",
         [](const QString& t) { return replaceLine(t, "serial", ""); },
         Kind::MissingHeader,
         {}},
        {"header model differs",
         [](const QString& t) { return replaceLine(t, "model", "model = TRN48202"); },
         Kind::HeaderMismatch, "model"},
        {"header variant differs",
         [](const QString& t) { return replaceLine(t, "variant", "variant = J"); },
         Kind::HeaderMismatch, "variant"},
        {"header firmware differs",
         [](const QString& t) { return replaceLine(t, "firmware", "firmware = 0405"); },
         Kind::HeaderMismatch, "firmware"},
        {"header serial differs",
         [](const QString& t) { return replaceLine(t, "serial", "serial = 12345678"); },
         Kind::HeaderMismatch, "serial"},
        {"truncated among the settings",
         [](const QString& t) { return t.left(t.indexOf(QLatin1String("abs ="))); },
         Kind::Truncated, end},
        {"truncated in the image block", [](const QString& t) { return t.left(t.size() - 30); },
         Kind::Truncated, end},
        {"image row of 15 bytes",
         [](const QString& t) {
             return replaceLine(t, "30 ", "30 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
         },
         Kind::BadImageRow, "30 "},
        {"image row out of order",
         [](const QString& t) {
             return replaceLine(t, "30 ", "40 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
         },
         Kind::BadImageRow, "40 00"},
        {"image byte that is no hex",
         [](const QString& t) {
             return replaceLine(t, "70 ", "70 G0 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
         },
         Kind::BadImageRow, "70 "},
        // A byte is exactly two hexadecimal digits: no sign, no blank inside.
        {"image byte with a sign",
         [](const QString& t) {
             return replaceLine(t, "70 ", "70 +F 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
         },
         Kind::BadImageRow, "70 "},
        {"image byte padded with a tab",
         [](const QString& t) {
             return replaceLine(t, "70 ", "70 \tF 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
         },
         Kind::BadImageRow, "70 "},
        {"text after the image block",
         [](const QString& t) { return t + QStringLiteral("abs = on\n"); }, Kind::TextAfterImage,
         "abs = on"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = c.edit(good);
        ASSERT_NE(text, good);
        const ReadResult read = ConfigFile::parse(text);
        ASSERT_FALSE(read.ok());
        ASSERT_TRUE(read.error.has_value());
        EXPECT_EQ(read.error->kind, c.kind) << describe(read.error);
        const int line = c.namedLine.isEmpty() ? 0
                         : c.namedLine == end  ? lineCount(text)
                                               : lineStarting(text, c.namedLine);
        EXPECT_EQ(read.error->line, line) << describe(read.error);
        for (Language language : {Language::English, Language::Chinese}) {
            const QString message = read.error->text(language);
            EXPECT_FALSE(message.contains(QRegularExpression(QStringLiteral("%\\d"))))
                << message.toStdString();
            if (line > 0) {
                EXPECT_TRUE(message.contains(QString::number(line))) << message.toStdString();
            }
        }
    }

    // Tabs between the bytes of a row are blanks.
    QString tabbed = good;
    const qsizetype block = tabbed.indexOf(QLatin1String("[image]"));
    tabbed.replace(block, tabbed.size() - block,
                   tabbed.mid(block).replace(QLatin1Char(' '), QLatin1Char('\t')));
    const ReadResult tabs = ConfigFile::parse(tabbed);
    ASSERT_TRUE(tabs.ok()) << describe(tabs.error);
    EXPECT_EQ(tabs.file->image(), image);

    const ReadResult binary = ConfigFile::parse(QByteArray("model = \xFF\xFE\n"));
    ASSERT_TRUE(binary.error.has_value());
    EXPECT_EQ(binary.error->kind, Kind::NotUtf8);
}

TEST(ConfigFile, ValuesOutsideThePagesAreTakenWithAWarning) {
    struct Case {
        const char* model;
        const char* line;
        bool warned;
    };
    const Case cases[] = {
        {"TRN48201", "max_motor_current = 10%", true},
        {"TRN48201", "max_motor_current = 20%", false},
        {"TRN24201", "under_voltage = 5V", true},
        {"TRN24201", "under_voltage = 8V", false},
        {"TRE48201", "max_battery_current = 80%", true},
        {"TRN48201", "max_battery_current = 80%", false},
        {"TRN48201", "motor_poles = 7", true},
        {"TRN48201", "throttle_rate = 15.5", true},
        {"TRN48201", "throttle_start = 40.5%", true},
        {"TRN48201", "throttle_sensor_type = 0", true},
        {"TRN48201", "hall_sensor_type = 90", true},
        {"TRN48201", "j1939_address = 200", true},
        {"TRN48201", "j1939_address = 250", false},
        {"TRN48201", "j1939_identity = 2097152", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CalibrationImage image = randomImage(9, 0x0405, c.model, 'J');
        // Every other value in range, so that only the edited line can warn.
        for (const Setting* s : settingsOf(image)) {
            std::uint32_t raw = 0;
            while (!offered(*s, image, raw)) ++raw;
            s->setRaw(image, raw);
        }
        const QString line = QString::fromLatin1(c.line);
        const QString key = line.section(QLatin1Char(' '), 0, 0);
        const QString text = replaceLine(ConfigFile::write(image, SampleInfo, Language::English),
                                         key + QLatin1String(" ="), line);
        const ReadResult read = ConfigFile::parse(text);
        ASSERT_TRUE(read.ok()) << describe(read.error);
        ASSERT_EQ(read.warnings.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(read.warnings[0].kind, Kind::OutOfRange);
            EXPECT_EQ(read.warnings[0].line, lineStarting(text, key + QLatin1String(" =")));
        }
        // Taken as written, never clamped.
        const Setting* s = findSetting(key);
        EXPECT_EQ(valueText(*s, s->raw(read.file->settingsImage())),
                  line.section(QLatin1String(" = "), 1));
    }
}

TEST(ConfigFile, ApplyRefusesAnotherKindOfController) {
    const CalibrationImage source = randomImage(11, 0x0405, "TRN48201", 'C');
    const ReadResult read = ConfigFile::parse(ConfigFile::write(source, SampleInfo, {}));
    ASSERT_TRUE(read.ok());
    struct Case {
        const char* name;
        int pos;
        std::uint8_t value;
        Kind kind;
        const char* mentions;
    };
    const Case cases[] = {
        {"other series", Field::Model + 2, 'E', Kind::OtherModel, "TRE48201"},
        {"other voltage class", Field::Model + 3, '7', Kind::OtherModel, "TRN78201"},
        {"no regeneration", Field::RegenerationMarker, '0', Kind::OtherModel, "TRN48200"},
        {"other variant", Field::Variant, 'J', Kind::OtherVariant, "J"},
        {"other major version", Field::VersionMajor, 3, Kind::OtherFirmware, "0305"},
        {"other minor version", Field::VersionMinor, 4, Kind::OtherFirmware, "0404"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CalibrationImage target = randomImage(12, 0x0405, "TRN48201", 'C');
        target.setByte(c.pos, c.value);
        const CalibrationImage before = target;
        const auto refused = apply(*read.file, target);
        ASSERT_TRUE(refused.has_value());
        EXPECT_EQ(refused->kind, c.kind);
        EXPECT_TRUE(refused->text(Language::English).contains(QLatin1String(c.mentions)))
            << describe(refused);
        EXPECT_FALSE(refused->text(Language::Chinese).isEmpty());
        EXPECT_EQ(target, before);
    }
}

TEST(ConfigFile, SavesAndLoadsThroughTheFileSystem) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const CalibrationImage image = randomImage(13, 0x0405, "TRN48201", 'J');
    const QString path = dir.filePath(QStringLiteral("unit.trncfg"));
    ASSERT_FALSE(saveText(path, ConfigFile::write(image, SampleInfo, Language::Chinese)));
    const ReadResult read = ConfigFile::load(path);
    ASSERT_TRUE(read.ok()) << describe(read.error);
    EXPECT_EQ(read.file->settingsImage(), image);
    EXPECT_EQ(read.file->program(), QStringLiteral("trnsetup 4.1.0"));

    const ReadResult missing = ConfigFile::load(dir.filePath(QStringLiteral("none.trncfg")));
    ASSERT_TRUE(missing.error.has_value());
    EXPECT_EQ(missing.error->kind, Kind::Unreadable);

    const auto failed = saveText(dir.filePath(QStringLiteral("no/such/folder/x.trncfg")), "x");
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(failed->kind, Kind::WriteFailed);

    QFile big(dir.filePath(QStringLiteral("big.trncfg")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(2 << 20, '#'));
    big.close();
    const ReadResult tooLarge = ConfigFile::load(big.fileName());
    ASSERT_TRUE(tooLarge.error.has_value());
    EXPECT_EQ(tooLarge.error->kind, Kind::TooLarge);
}
