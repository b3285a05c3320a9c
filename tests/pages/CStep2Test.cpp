#include <gtest/gtest.h>

#include "CStep2.h"
#include "PageFixture.h"

namespace {

const unsigned Firmware[] = {0x0203, 0x0207, 0x0208, 0x0209, 0x0301, 0x0302,
                             0x0401, 0x0402, 0x0403, 0x0404, 0x0405};

std::uint8_t withBits(std::uint8_t byte, std::uint8_t mask, bool on) {
    return static_cast<std::uint8_t>(on ? byte | mask : byte & ~mask);
}

}  // namespace

// One controller through every firmware and both series, left untouched: what the page shows
// and the bytes it stores. Out-of-range bytes are clamped; foreign bits of byte 1 stay.
TEST(CStep2, LoadsAndStoresByFirmwareAndSeries) {
    for (unsigned fw : Firmware) {
        for (const char* model : {"TRN48201", "TRE72301"}) {
            SCOPED_TRACE(testing::Message() << std::hex << fw << " " << model);
            const bool tre = model[2] == 'E';
            const bool v0302 = fw >= 0x0302, v0402 = fw >= 0x0402, v0405 = fw >= 0x0405;
            PageFixture<CStep2> fx(fw, model, 'x', fw);
            const std::uint8_t switches = fx.image.byte(1) | 0x05;  // forward and foot on
            fx.image.setByte(1, switches);
            fx.image.setByte(2, 2);     // 1-4 V throttle where the list has it
            fx.image.setByte(4, 0x35);  // new: 26 %; old: start 30 %, end 50 %
            fx.image.setByte(5, 141);   // 70 %
            fx.image.setByte(14, 10);   // below the range
            fx.image.setByte(100, 90);  // above a TRE's range
            fx.image.setByte(53, 50);
            fx.image.setByte(54, 50);
            fx.show();

            EXPECT_EQ(fx.text(1041), QString::asprintf("%04X", fw));
            EXPECT_EQ(fx.hidden(1030), !v0302);
            EXPECT_EQ(fx.hidden(1107), !v0302);
            EXPECT_EQ(fx.hidden(1110), v0302);
            EXPECT_EQ(fx.hidden(1111), v0302);
            const QStringList sensors = !v0302        ? QStringList{"0-5V ", "5-0V "}
                                        : fw < 0x0403 ? QStringList{QStringLiteral("3线式踏板"),
                                                                    QStringLiteral("霍尔有源踏板")}
                                                      : QStringList{"0-5V", "1-4V", "0-5K"};
            EXPECT_EQ(fx.items(1031), sensors);
            EXPECT_EQ(fx.index(1031), 1);
            if (!v0302) {
                EXPECT_EQ(fx.index(1110), 3);
                EXPECT_EQ(fx.index(1111), 5);
            } else {
                EXPECT_EQ(fx.text(1106), v0405 ? "26%" : "1.8V");
                EXPECT_EQ(fx.text(1107), v0405 ? "70%" : "3.1V");
            }
            EXPECT_EQ(fx.enabled(1123), v0402);
            EXPECT_EQ(fx.checked(1123), v0402);
            EXPECT_EQ(fx.checked(1124), false);
            EXPECT_EQ(fx.enabled(1037), !v0402);
            EXPECT_EQ(fx.checked(1037), !v0402);
            EXPECT_EQ(fx.checked(1038), v0402);
            EXPECT_EQ(fx.text(1125).startsWith(QStringLiteral("1、仅在")), !v0402);
            EXPECT_EQ(fx.text(1055).startsWith(QStringLiteral("2.通常")), v0302 && fw < 0x0403);
            EXPECT_EQ(fx.text(1036), "20%");
            EXPECT_EQ(fx.enabled(1094), fw >= 0x0208);
            EXPECT_EQ(fx.text(1096), fw < 0x0208 ? "0%" : tre ? "70%" : "90%");
            for (int id : {1033, 1035, 1108, 1109, 1142, 1143})
                EXPECT_EQ(fx.hidden(id), !v0405) << id;
            EXPECT_EQ(fx.text(1108), "40%");
            EXPECT_EQ(fx.text(1109), "60%");

            std::map<int, int> out{{1, withBits(switches, 0x04, v0402) & (v0402 ? ~0x01 : 0xFF)},
                                   {14, 20},
                                   {53, 40},
                                   {54, 60}};
            if (v0302)
                out.insert({{4, 52}, {5, 140}});
            if (fw >= 0x0208)
                out[100] = tre ? 70 : 90;
            EXPECT_EQ(fx.hide(out), "");

            // A second visit without changes writes nothing more.
            const CalibrationImage first = fx.image;
            fx.show();
            EXPECT_EQ(fx.items(1031), sensors);
            EXPECT_EQ(fx.hide(), "");
            EXPECT_TRUE(fx.image == first);
        }
    }
}

// Bytes that the lists and sliders cannot show fall back, as far as each firmware allows.
TEST(CStep2, UnusualBytesFallBack) {
    struct Row {
        unsigned fw;
        std::map<int, int> in;
        std::map<int, int> out;
    };
    const Row rows[] = {
        // Unwritten image, new coding: sliders at their maxima.
        {0x0302,
         {{2, 0xFF}, {4, 0xFF}, {5, 0xFF}, {14, 0xFF}},
         {{2, 1}, {4, 80}, {5, 200}, {14, 100}}},
        // Old coding: start nibble 15 and end nibble 15 show 20 % and 80 %.
        {0x0301, {{2, 0xFF}, {4, 0xFF}, {5, 0xFF}, {14, 0xFF}}, {{2, 1}, {4, 0x22}, {14, 100}}},
        // Sensor code 3 with two items: nothing selected, stored as code 1.
        {0x0301, {{2, 3}, {4, 0x05}}, {{2, 1}}},
        {0x0402, {{2, 3}}, {{2, 1}}},
        {0x0403, {{2, 3}}, {{2, 3}}},
        {0x0403, {{2, 0}}, {{2, 1}}},
    };
    for (const Row& row : rows) {
        PageFixture<CStep2> fx(row.fw);
        for (auto [pos, value] : row.in) fx.image.setByte(pos, static_cast<std::uint8_t>(value));
        fx.image.setByte(1, 0);
        fx.image.setByte(14, row.in.count(14) ? row.in.at(14) : 50);
        fx.image.setByte(100, 50);
        if (row.fw >= 0x0302 && !row.in.count(4)) {
            fx.image.setByte(4, 20);
            fx.image.setByte(5, 160);
        }
        fx.show();
        std::map<int, int> out = row.out;
        out.insert({{14, fx.image.byte(14) == 0xFF ? 100 : 50}});
        EXPECT_EQ(fx.hide(out), "") << std::hex << row.fw << " sensor " << row.in.begin()->second;
    }
}

// What the user does: the forward-switch interlock, the sensor list and the sliders.
TEST(CStep2, FollowsTheUser) {
    {  // Forward Enable turns the foot switch off; Disable gives it back as it was.
        PageFixture<CStep2> fx(0x0402);
        fx.image.setByte(1, 0x01);  // foot on, forward off
        for (auto [pos, value] : {std::pair{2, 1}, {4, 20}, {5, 136}, {14, 50}, {100, 50}})
            fx.image.setByte(pos, static_cast<std::uint8_t>(value));
        fx.show();
        EXPECT_TRUE(fx.checked(1037));
        fx.click(1123);
        EXPECT_FALSE(fx.enabled(1037));
        EXPECT_TRUE(fx.checked(1038));
        fx.click(1124);
        EXPECT_TRUE(fx.enabled(1037));
        EXPECT_TRUE(fx.checked(1038));
        fx.click(1123);
        EXPECT_EQ(fx.hide({{1, 0x04}}), "");
    }
    {  // 0404, 1-4 V throttle: labels in volts, hidden thresholds still stored.
        PageFixture<CStep2> fx(0x0404);
        fx.image.setByte(2, 2);
        fx.show();
        const std::pair<int, const char*> volts[] = {{0, "1.0V"}, {40, "2.2V"}};
        for (auto [pos, text] : volts) {
            fx.move(1030, pos);
            EXPECT_EQ(fx.text(1106), text);
        }
        fx.move(1032, 60);
        EXPECT_EQ(fx.text(1107), "2.8V");
        fx.move(1032, 100);
        EXPECT_EQ(fx.text(1107), "4.0V");
        EXPECT_TRUE(fx.hidden(1033));
        fx.pick(1031, 0);  // another sensor: percent at once
        EXPECT_EQ(fx.text(1106), "40%");
        fx.pick(1031, 1);
        fx.move(1033, 7);
        fx.move(1035, 93);
        EXPECT_EQ(fx.hide({{1, fx.image.byte(1) & ~0x04},
                           {2, 2},
                           {4, 80},
                           {5, 200},
                           {14, fx.value(1034)},
                           {100, fx.value(1094)},
                           {53, 7},
                           {54, 93}}),
                  "");
    }
    {  // 0405: the threshold group follows the sensor list; other sensors leave 53 and 54.
        PageFixture<CStep2> fx(0x0405);
        fx.image.setByte(2, 2);
        fx.show();
        EXPECT_FALSE(fx.hidden(1033));
        EXPECT_EQ(fx.text(1106), QStringLiteral("%1%").arg(fx.value(1030)));
        fx.pick(1031, 2);
        EXPECT_TRUE(fx.hidden(1033));
        EXPECT_TRUE(fx.hidden(1143));
        fx.move(1034, 33);
        EXPECT_EQ(fx.text(1036), "33%");
        fx.hide();
        EXPECT_EQ(fx.image.byte(2), 3);
        EXPECT_EQ(fx.image.byte(14), 33);
        EXPECT_EQ(fx.image.byte(53), fx.before.byte(53));
        EXPECT_EQ(fx.image.byte(54), fx.before.byte(54));
    }
}

TEST(CStep2, ModelText) {
    const struct {
        const char* model;
        std::uint8_t options;
        char variant;
        const char* text;
    } rows[] = {
        {"TRN48201", 0x29, 'J', "TRN48201ASC"},
        {"TRN48201", 0x10, 'J', "TRN48201U  "},
        {"TRN48201", 0x00, 'J', "TRN48201   "},
        {"TRN48201", 0x56, 'J', "TRN48201UJ "},
        {"TRN48201", 0x7F, 'J', "TRN48201   "},
        {"TRN48201", 0x29, 'B', "TRN48201B"},
        {"TRN4\0"
         "201",
         0x29, 'B', "TRN4"},
        {"TRE\xE9"
         "8201",
         0x03, 'C', "TRE\u00E98201H  "},
    };
    for (const auto& row : rows) {
        CalibrationImage image;
        for (int i = 0; i < 8; ++i) image.setByte(64 + i, static_cast<std::uint8_t>(row.model[i]));
        image.setByte(72, row.options);
        image.setByte(107, static_cast<std::uint8_t>(row.variant));
        EXPECT_EQ(CStep2::modelText(image), QString::fromUtf8(row.text)) << row.text;
    }
}
