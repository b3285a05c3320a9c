// The settings table: which bits are settings for which controllers, and the value texts.
#include <gtest/gtest.h>

#include <set>

#include "ConfigSupport.h"
#include "Settings.h"

using namespace config;

namespace {

struct Identity {
    unsigned firmware;
    const char* model;
    char variant;
};
// Every firmware threshold of the pages, both series, with and without regeneration, and
// the three variant letters.
std::vector<Identity> identities() {
    const unsigned versions[] = {0x0203, 0x0204, 0x0208, 0x0209, 0x0300, 0x0301, 0x0302,
                                 0x0304, 0x0402, 0x0403, 0x0404, 0x0405, 0x0500};
    const char* models[] = {"TRN48201", "TRE72300"};
    std::vector<Identity> out;
    for (unsigned v : versions)
        for (const char* m : models)
            for (char variant : {'C', 'J', 'B'}) out.push_back({v, m, variant});
    return out;
}

}  // namespace

TEST(SettingsTable, KeysAndBitsClassifyTheImage) {
    std::set<std::string> keys;
    for (const Setting& s : settings()) {
        EXPECT_TRUE(keys.insert(s.key).second) << "key twice: " << s.key;
        for (const char* c = s.key; *c; ++c)
            EXPECT_TRUE((*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9') || *c == '_') << s.key;
        EXPECT_FALSE(s.caption(Language::Chinese).isEmpty()) << s.key;
        EXPECT_FALSE(QString::fromLatin1(s.english).contains(QLatin1Char('['))) << s.key;
    }

    // The controller's own bits, which no setting may claim on any controller.
    const std::map<int, std::uint8_t> unnamed = {{0, 0xA0}, {1, 0x80}, {45, 0xFE}};
    for (const Identity& id : identities()) {
        const CalibrationImage image = randomImage(7, id.firmware, id.model, id.variant);
        SCOPED_TRACE(std::string(id.model) + " " + id.variant + " " +
                     versionText(image).toStdString());
        std::array<std::uint8_t, CalibrationImage::Size> claimed{};
        for (const Setting* s : settingsOf(image)) {
            for (const auto& [pos, bits] : s->bits()) {
                EXPECT_EQ(claimed[pos] & bits, 0) << s->key << " shares byte " << pos;
                claimed[pos] |= bits;
                EXPECT_TRUE(pos <= 63 || pos == 100 || (pos >= 108 && pos <= 121)) << s->key;
                EXPECT_FALSE(isIdentity(pos)) << s->key;
                if (unnamed.count(pos)) {
                    EXPECT_EQ(bits & unnamed.at(pos), 0) << s->key;
                }
            }
        }
        EXPECT_EQ(claimed, settingBits(image));
    }
}

TEST(SettingsTable, SettingsFollowFirmwareModelAndVariant) {
    struct Case {
        const char* key;
        unsigned firmware;
        const char* model;
        char variant;
        bool listed;
    };
    const Case cases[] = {
        {"throttle_start_step", 0x0301, "TRN48201", 'B', true},
        {"throttle_start_step", 0x0302, "TRN48201", 'B', false},
        {"throttle_start", 0x0301, "TRN48201", 'B', false},
        {"throttle_end", 0x0302, "TRN48201", 'B', true},
        {"brake_start_step", 0x0301, "TRN48201", 'B', true},
        {"brake_start_step", 0x0301, "TRN48200", 'B', false},
        {"brake_start", 0x0302, "TRN48201", 'B', true},
        {"max_battery_current", 0x0207, "TRN48201", 'B', false},
        {"max_battery_current", 0x0208, "TRN48201", 'B', true},
        {"top_speed", 0x0203, "TRN48201", 'B', false},
        {"top_speed", 0x0204, "TRN48201", 'B', true},
        {"boost", 0x0208, "TRN48200", 'B', false},
        {"boost", 0x0208, "TRN48201", 'B', true},
        {"boost", 0x0300, "TRN48200", 'B', true},
        {"brake_sensor_type", 0x0300, "TRN48200", 'B', true},
        {"regeneration", 0x0405, "TRN48200", 'B', false},
        {"reverse_top_speed", 0x0402, "TRN48201", 'B', false},
        {"reverse_top_speed", 0x0403, "TRN48201", 'B', true},
        {"smoothing", 0x0403, "TRN48201", 'B', false},
        {"smooth_high_decel", 0x0404, "TRN48201", 'B', true},
        {"can_send_id", 0x0405, "TRN48201", 'J', false},
        {"can_send_id", 0x0405, "TRN48201", 'C', true},
        {"j1939_identity", 0x0405, "TRN48201", 'C', false},
        {"j1939_identity", 0x0405, "TRN48201", 'J', true},
    };
    for (const Case& c : cases) {
        const Setting* s = findSetting(QLatin1String(c.key));
        ASSERT_NE(s, nullptr) << c.key;
        EXPECT_EQ(s->appliesTo(randomImage(1, c.firmware, c.model, c.variant)), c.listed)
            << c.key << " on " << std::hex << c.firmware << " " << c.model << " " << c.variant;
    }
}

TEST(SettingsTable, ValueTextsAndNames) {
    struct Case {
        const char* key;
        unsigned firmware;
        std::uint32_t raw;
        const char* file;
        const char* english;
        const char* chinese;
        bool offered;
    };
    const Case cases[] = {
        {"max_motor_current", 0x0405, 80, "80%", "80%", "80%", true},
        {"max_motor_current", 0x0405, 255, "255%", "255%", "255%", false},
        {"throttle_start", 0x0405, 81, "40.5%", "40.5%", "40.5%", false},
        {"throttle_end", 0x0405, 200, "100%", "100%", "100%", true},
        {"startup_delay", 0x0405, 15, "1.5s", "1.5s", "1.5s", true},
        {"startup_delay", 0x0405, 20, "2s", "2s", "2s", true},
        {"startup_delay", 0x0405, 255, "25.5s", "25.5s", "25.5s", false},
        {"throttle_rate", 0x0405, 150, "15", "15", "15", true},
        {"throttle_rate", 0x0405, 155, "15.5", "15.5", "15.5", false},
        {"under_voltage", 0x0405, 18, "18V", "18V", "18V", true},
        {"stop_temperature", 0x0405, 90, "90C", "90C", "90C", true},
        {"abs", 0x0405, 1, "on", "Enable", "启用", true},
        {"power_on_high_pedal_disable", 0x0405, 1, "off", "Disable", "禁用", true},
        {"power_on_high_pedal_disable", 0x0405, 0, "on", "Enable", "启用", true},
        {"throttle_sensor_type", 0x0405, 2, "2", "1-4V", "1-4V", true},
        {"throttle_sensor_type", 0x0402, 2, "2", "powered Hall pedal", "霍尔有源踏板", true},
        {"throttle_sensor_type", 0x0301, 3, "3", "3", "3", false},
        {"throttle_start_step", 0x0301, 3, "3", "30%", "30%", true},
        {"throttle_end_step", 0x0301, 7, "7", "7", "7", false},
        {"hall_sensor_type", 0x0405, 60, "60", "60 degree", "60度", true},
        {"control_mode", 0x0405, 3, "3", "torque", "转矩", true},
        {"control_mode", 0x0405, 2, "2", "speed", "速度", true},
        {"brake_sensor_type", 0x0301, 0, "0", "No Used", "不使用", true},
        {"motor_temperature_sensor", 0x0403, 2, "2", "2", "2", false},
        {"motor_temperature_sensor", 0x0404, 2, "2", "KTY84-130", "KTY84-130", true},
        {"motor_poles", 0x0405, 7, "7", "7", "7", false},
        {"j1939_address", 0x0405, 250, "250", "250", "250", true},
        {"j1939_address", 0x0405, 200, "200", "200", "200", false},
        {"j1939_identity", 0x0405, 16777215, "16777215", "16777215", "16777215", false},
    };
    for (const Case& c : cases) {
        const Setting* s = findSetting(QLatin1String(c.key));
        ASSERT_NE(s, nullptr) << c.key;
        const CalibrationImage image = randomImage(3, c.firmware, "TRN48201", 'J');
        SCOPED_TRACE(std::string(c.key) + " = " + std::to_string(c.raw));
        EXPECT_EQ(valueText(*s, c.raw), QString::fromUtf8(c.file));
        EXPECT_EQ(parseValue(*s, QString::fromUtf8(c.file)), c.raw);
        EXPECT_EQ(shownText(*s, image, c.raw, Language::English), QString::fromUtf8(c.english));
        EXPECT_EQ(shownText(*s, image, c.raw, Language::Chinese), QString::fromUtf8(c.chinese));
        EXPECT_EQ(offered(*s, image, c.raw), c.offered);
    }
}

TEST(SettingsTable, EveryStoredValueSurvivesItsText) {
    for (const Setting& s : settings()) {
        const std::uint32_t top = s.maximum();
        for (std::uint32_t raw = 0; raw <= std::min<std::uint32_t>(top, 300); ++raw)
            ASSERT_EQ(parseValue(s, valueText(s, raw)), raw) << s.key << " " << raw;
        ASSERT_EQ(parseValue(s, valueText(s, top)), top) << s.key;
        EXPECT_EQ(parseValue(s, valueText(s, top) + QLatin1Char('0')).has_value(), false) << s.key;
    }
}

TEST(SettingsTable, TextsThatFitNoCoding) {
    struct Case {
        const char* key;
        const char* text;
    };
    const Case cases[] = {
        {"max_motor_current", "256%"},
        {"max_motor_current", "-5%"},
        {"max_motor_current", "80V"},
        {"max_motor_current", "80.5%"},
        {"max_motor_current", ""},
        {"max_motor_current", "8 0"},
        {"throttle_start", "40.25%"},
        {"throttle_start", "40.3%"},
        {"startup_delay", "1.55s"},
        {"abs", "yes"},
        {"abs", "1"},
        {"throttle_sensor_type", "1-4V"},
        {"throttle_start_step", "16"},
        {"can_send_id", "65536"},
        {"j1939_identity", "1e3"},
        {"j1939_identity", "0x10"},
        {"stop_temperature", "90°C"},
        {"motor_poles", "+8"},
    };
    for (const Case& c : cases) {
        const Setting* s = findSetting(QLatin1String(c.key));
        ASSERT_NE(s, nullptr) << c.key;
        EXPECT_FALSE(parseValue(*s, QString::fromUtf8(c.text)).has_value())
            << c.key << " = " << c.text;
    }
}

TEST(SettingsTable, OfferedRangesFollowTheController) {
    struct Case {
        const char* key;
        const char* model;
        const char* range;
    };
    const Case cases[] = {
        {"under_voltage", "TRN24201", "8V..30V"},
        {"over_voltage", "TRN09201", "18V..120V"},
        {"over_voltage", "TRN13201", "0V..100V"},
        {"max_battery_current", "TRE48201", "20%..70%"},
        {"max_battery_current", "TRN48201", "20%..100%"},
        {"motor_poles", "TRN48201", "2..200, step 2"},
        {"j1939_address", "TRN48201", "0..127, 248..253"},
        {"hall_sensor_type", "TRN48201", "60 degree, 120 degree"},
    };
    for (const Case& c : cases) {
        const Setting* s = findSetting(QLatin1String(c.key));
        ASSERT_NE(s, nullptr) << c.key;
        EXPECT_EQ(offeredText(*s, randomImage(2, 0x0405, c.model, 'J')), QLatin1String(c.range))
            << c.key << " " << c.model;
    }
}
