// Change lists: the settings that differ between two images, as the screens show them.
#include <gtest/gtest.h>

#include "Changes.h"
#include "ConfigSupport.h"

using namespace config;

TEST(Changes, ListsEverySettingThatDiffersAndNothingElse) {
    struct Edit {
        int pos;
        std::uint8_t value;
    };
    struct Case {
        const char* name;
        std::vector<Edit> edits;
        QStringList english;
        QStringList chinese;
    };
    const Case cases[] = {
        {"nothing", {}, {}, {}},
        {"the controller's own bytes and bits",
         {{6, 0x12}, {0, 0x80}, {1, 0x80}, {45, 0x0E}, {122, 1}},
         {},
         {}},
        {"a percentage",
         {{Field::MaxMotorCurrent, 90}},
         {"Max Motor Current: 80% -> 90%"},
         {"最大电机电流：80% -> 90%"}},
        {"a switch and an inverted switch",
         {{1, 0x28}},
         {"Power On High Pedal Disable: Enable -> Disable", "ABS: Disable -> Enable"},
         {"上电高踏板禁止：启用 -> 禁用", "ABS：禁用 -> 启用"}},
        {"a list, a value off the list, and a number",
         {{Field::ThrottleSensorType, 2}, {Field::MotorTempSensor, 9}, {Field::CanSendId + 1, 7}},
         {"Throttle Sensor Type: 0-5V -> 1-4V", "Motor Temperature Sensor: disabled -> 9",
          "Send ID: 0 -> 7"},
         {"油门传感器类型：0-5V -> 1-4V", "电机温度传感器：禁用 -> 9", "发送 ID：0 -> 7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A CAN unit whose settings bytes start out 0, apart from the motor current.
        CalibrationImage before = randomImage(21, 0x0405, "TRN48201", 'C');
        for (const Setting* s : settingsOf(before)) s->setRaw(before, 0);
        before.setByte(Field::MaxMotorCurrent, 80);
        before.setByte(Field::ThrottleSensorType, 1);
        before.setByte(0, 0x00);
        before.setByte(1, 0x00);
        before.setByte(45, 0x00);
        CalibrationImage after = before;
        for (const Edit& e : c.edits) after.setByte(e.pos, e.value);
        EXPECT_EQ(changeLines(changes(before, after, Language::English), Language::English),
                  c.english);
        EXPECT_EQ(changeLines(changes(before, after, Language::Chinese), Language::Chinese),
                  c.chinese);
    }
}

TEST(Changes, SettingsOfOnlyOneSideShowADash) {
    const CalibrationImage before = randomImage(22, 0x0403, "TRN48201", 'C');
    CalibrationImage after = before;
    after.setByte(Field::VersionMinor, 4);  // 0404 adds the smoothing settings
    const auto list = changes(before, after, Language::English);
    ASSERT_EQ(list.size(), 6u);  // the smoothing switch and its five rows
    for (const Change& c : list) {
        if (QLatin1String(c.setting->key).startsWith(QLatin1String("smooth"))) {
            EXPECT_TRUE(c.before.isEmpty()) << c.setting->key;
            EXPECT_FALSE(c.after.isEmpty()) << c.setting->key;
        }
    }
    EXPECT_TRUE(changeLines(list, Language::English).first().contains(QLatin1String("-> ")));
}

TEST(Changes, SettingLinesNameEverySetting) {
    const CalibrationImage image = randomImage(23, 0x0405, "TRN48201", 'J');
    const QStringList lines = settingLines(image, Language::English);
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(settingsOf(image).size()));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("Max Motor Current (max_motor_current): ") +
        valueText(*findSetting(u"max_motor_current"), image.byte(Field::MaxMotorCurrent))));
}
