#include <gtest/gtest.h>

#include "CStep5.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSlider>
#include <QToolTip>

#include "PageFixture.h"

namespace {

const unsigned Firmware[] = {0x0203, 0x0204, 0x0208, 0x0209, 0x0300, 0x0301,
                             0x0302, 0x0303, 0x0304, 0x0402, 0x0403, 0x0405};

const QStringList TemplateTypes{"No Used", "0-5V ", "5-0V "};
const QStringList PedalTypes{QStringLiteral("无"), QStringLiteral("3线式踏板"),
                             QStringLiteral("霍尔有源踏板")};
const QStringList SensorTypes{QStringLiteral("无"), "0-5V", "1-4V", "0-5K"};

// Valid values for the bytes a test does not look at.
void settle(PageFixture<CStep5>& fx) {
    const std::pair<int, int> bytes[] = {{0, 0x0B}, {1, 0x00}, {3, 0},   {5, 0x15},  {15, 60},
                                         {16, 10},  {17, 30},  {38, 20}, {39, 80}};
    for (auto [pos, value] : bytes) fx.image.setByte(pos, static_cast<std::uint8_t>(value));
}

}  // namespace

// An untouched visit at every firmware, series and variant: what is offered, and what comes
// back from out-of-range bytes.
TEST(CStep5, LoadsAndStoresByFirmware) {
    for (unsigned fw : Firmware) {
        for (const char* model : {"TRN48201", "TRE72301"}) {
            for (char variant : {'J', 'C', 'B'}) {
                SCOPED_TRACE(testing::Message() << std::hex << fw << " " << model << " " << variant);
                const bool v0209 = fw >= 0x0209, v0302 = fw >= 0x0302;
                PageFixture<CStep5> fx(fw, model, variant, fw + static_cast<unsigned>(variant));
                settle(fx);
                fx.image.setByte(1, 0xFF);
                fx.image.setByte(3, 1);
                fx.image.setByte(5, 0x37);   // start 30 %, end invalid: 80 %
                fx.image.setByte(15, 0);     // below the range
                fx.image.setByte(16, 25);    // above the range
                fx.image.setByte(17, 0xFF);  // above the range
                fx.image.setByte(38, 0xFF);  // above the range
                fx.show();

                EXPECT_TRUE(fx.checked(1016) && !fx.checked(1017));
                EXPECT_TRUE(fx.checked(1018) && !fx.checked(1019));
                EXPECT_EQ(fx.enabled(1094), v0209);
                EXPECT_EQ(fx.text(1095), v0209 ? "20%" : QStringLiteral("禁止"));
                EXPECT_EQ(fx.text(1044), "50%");
                EXPECT_EQ(fx.text(1041), "20%");
                EXPECT_EQ(fx.items(1081), !v0302 ? TemplateTypes : fw < 0x0403 ? PedalTypes : SensorTypes);
                EXPECT_EQ(fx.index(1081), 1);
                for (int id : {1079, 1080, 1108, 1109}) EXPECT_EQ(fx.hidden(id), !v0302) << id;
                for (int id : {1112, 1113}) EXPECT_EQ(fx.hidden(id), v0302) << id;
                EXPECT_EQ(fx.index(1112), 3);
                EXPECT_EQ(fx.index(1113), 2);
                EXPECT_EQ(fx.value(1079), 40);
                EXPECT_EQ(fx.text(1108), "40%");
                EXPECT_EQ(fx.text(1109), "80%");

                // A type clears boost and economy; each firmware writes one form of the span.
                std::map<int, int> out{{0, 0x08}, {15, 20}, {17, 50}};
                if (v0209) out[16] = 20;
                if (v0302) out[38] = 40;
                else out[5] = 0x32;
                EXPECT_EQ(fx.hide(out), "");

                fx.show();
                EXPECT_EQ(fx.items(1081).size(), !v0302 ? 3 : fw < 0x0403 ? 3 : 4);
                EXPECT_EQ(fx.enabled(1094), v0209);
                EXPECT_EQ(fx.hide(), "");
            }
        }
    }
}

// Byte 3 selects the type by index where the list has it; the store clears boost and economy
// only for a real sensor.
TEST(CStep5, BrakeSensorType) {
    struct Row {
        unsigned fw;
        int byte3;
        int pick;  // -2: no user action
        int shown;
        int byte0;
        int stored;
    };
    const Row rows[] = {
        {0x0301, 3, -2, -1, 0x0B, 0}, {0x0301, 2, -2, 2, 0x08, 2},  {0x0302, 3, -2, -1, 0x0B, 0},
        {0x0403, 3, -2, 3, 0x08, 3},  {0x0403, 4, -2, 0, 0x0B, 0},  {0x0405, 0xFF, -2, 0, 0x0B, 0},
        {0x0405, 0, 2, 2, 0x08, 2},   {0x0405, 2, 0, 0, 0x0B, 0},   {0x0402, 1, -1, -1, 0x0B, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.fw << " byte 3 = " << row.byte3);
        PageFixture<CStep5> fx(row.fw, "TRN48201", 'C');
        settle(fx);
        fx.image.setByte(3, static_cast<std::uint8_t>(row.byte3));
        fx.show();
        if (row.pick != -2) fx.pick(1081, row.pick);
        EXPECT_EQ(fx.index(1081), row.shown);
        EXPECT_EQ(fx.hide({{0, row.byte0}, {3, row.stored}}), "");
    }
}

// The span labels read in volts only for type item 2, and follow a new choice at once.
TEST(CStep5, LabelsFollowSlidersAndType) {
    struct Row {
        unsigned fw;
        int type;
        int start, end;
        QString startText, endText;
    };
    const Row rows[] = {
        {0x0403, 2, 10, 90, "1.3V", "3.7V"}, {0x0403, 1, 10, 90, "10%", "90%"},
        {0x0302, 2, 0, 100, "1.0V", "4.0V"}, {0x0405, 2, 5, 50, "1.1V", "2.5V"},
        {0x0405, 3, 40, 50, "40%", "50%"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.fw << " type " << row.type);
        PageFixture<CStep5> fx(row.fw, "TRE72301", 'J');
        settle(fx);
        fx.image.setByte(3, static_cast<std::uint8_t>(row.type));
        fx.image.setByte(38, static_cast<std::uint8_t>(row.start));
        fx.image.setByte(39, static_cast<std::uint8_t>(row.end));
        fx.show();
        EXPECT_EQ(fx.text(1108), row.startText);
        EXPECT_EQ(fx.text(1109), row.endText);
        fx.pick(1081, row.type == 2 ? 1 : 2);
        EXPECT_EQ(fx.text(1108), row.type == 2 ? QString("%1%").arg(row.start) : kit::sensorVolts(row.start));
    }

    PageFixture<CStep5> fx(0x0209, "TRN48201", 'C');
    settle(fx);
    fx.image.setByte(16, 0);
    fx.show();
    EXPECT_EQ(fx.text(1095), QStringLiteral("禁止"));
    fx.move(1094, 7);
    fx.move(1045, 12);
    fx.move(1043, 99);
    EXPECT_EQ(fx.text(1095), "7%");
    EXPECT_EQ(fx.text(1044), "12%");
    EXPECT_EQ(fx.text(1041), "99%");
    EXPECT_EQ(fx.hide({{16, 7}, {17, 12}, {15, 99}}), "");
}

// Option pairs and the two span lists of older firmware, as a user sets them.
TEST(CStep5, UserChoicesReachTheImage) {
    struct Row {
        const char* what;
        unsigned fw;
        int byte1;
        std::vector<std::pair<int, int>> actions;  // option: click; list: pick the item
        std::map<int, int> stored;
    };
    const Row rows[] = {
        {"both disabled", 0x0405, 0xFF, {{1017, -1}, {1019, -1}}, {{1, 0xBD}}},
        {"both enabled", 0x0405, 0x00, {{1016, -1}, {1018, -1}}, {{1, 0x42}}},
        {"span lists", 0x0301, 0x00, {{1112, 1}, {1113, 4}}, {{5, 0x14}}},
        {"start without selection", 0x0301, 0x00, {{1112, -1}, {1113, 0}}, {{5, 0x10}}},
        {"end without selection", 0x0208, 0x00, {{1112, 4}, {1113, -1}}, {{5, 0x45}}},
        {"lists hidden", 0x0302, 0x00, {{1112, 4}, {1113, 4}}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PageFixture<CStep5> fx(row.fw, "TRN48201", 'x');
        settle(fx);
        fx.image.setByte(1, static_cast<std::uint8_t>(row.byte1));
        fx.show();
        for (auto [id, item] : row.actions) {
            if (id == 1112 || id == 1113) fx.pick(id, item);
            else fx.click(id);
        }
        EXPECT_EQ(fx.hide(row.stored), "");
    }
}

TEST(CStep5, DraggingTheReleasingSliderShowsItsPosition) {
    PageFixture<CStep5> fx(0x0405, "TRN48201", 'C');
    settle(fx);
    fx.show();
    auto* slider = fx.control<QSlider>(1094);
    slider->setSliderDown(true);
    slider->setSliderPosition(13);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "13");
    slider->setSliderDown(false);
    const QDeadlineTimer deadline(2000);
    while (QToolTip::isVisible() && !deadline.hasExpired()) QCoreApplication::processEvents();
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_EQ(fx.hide({{16, 13}}), "");
}
