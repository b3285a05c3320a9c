#include <gtest/gtest.h>

#include "CStep3.h"
#include "PageFixture.h"

namespace {

void setBytes(CalibrationImage& image, const std::map<int, int>& bytes) {
    for (auto [pos, value] : bytes) image.setByte(pos, static_cast<std::uint8_t>(value));
}

}  // namespace

// The voltage class in the model name gives both voltage sliders their range; bytes outside
// it are clamped and stored clamped.
TEST(CStep3, VoltageRangeFollowsTheModel) {
    const struct {
        const char* model;
        int minimum, maximum;
    } rows[] = {
        {"TRN12201", 18, 136}, {"TRN14201", 18, 180}, {"TRN15201", 18, 180}, {"TRN24201", 8, 30},
        {"TRE36201", 18, 45},  {"TRN48201", 18, 60},  {"TRN60201", 18, 80},  {"TRE72201", 18, 90},
        {"TRN84201", 18, 92},  {"TRN96201", 18, 120}, {"TRN09201", 18, 120}, {"TRN13201", 0, 100},
    };
    for (const auto& row : rows) {
        PageFixture<CStep3> fx(0x0405, row.model);
        setBytes(fx.image, {{19, 5}, {20, 200}});
        fx.show();
        EXPECT_EQ(fx.range(1035), std::make_pair(row.minimum, row.maximum)) << row.model;
        EXPECT_EQ(fx.range(1062), std::make_pair(row.minimum, row.maximum)) << row.model;
        EXPECT_EQ(fx.text(1077), QStringLiteral("%1V").arg(std::max(5, row.minimum)));
        EXPECT_EQ(fx.text(1078), QStringLiteral("%1V").arg(std::min(200, row.maximum)));
        fx.hide();
        EXPECT_EQ(fx.image.byte(19), std::max(5, row.minimum)) << row.model;
        EXPECT_EQ(fx.image.byte(20), std::min(200, row.maximum)) << row.model;
    }
}

// Untouched visits by firmware: the releasing-brake option exists from 0209; below that its
// hidden pair carries bit 3 of byte 0 through unchanged.
TEST(CStep3, LoadsAndStoresByFirmware) {
    for (unsigned fw : {0x0203u, 0x0208u, 0x0209u, 0x0302u, 0x0405u}) {
        for (bool brakeBit : {false, true}) {
            SCOPED_TRACE(testing::Message() << std::hex << fw << " bit " << brakeBit);
            PageFixture<CStep3> fx(fw, "TRN48201", 'x', fw);
            const std::uint8_t functions = static_cast<std::uint8_t>(
                brakeBit ? fx.image.byte(0) | 0x08 : fx.image.byte(0) & ~0x08);
            setBytes(fx.image, {{0, functions},
                                {1, 0xDF},
                                {11, 60},
                                {12, 10},
                                {19, 40},
                                {20, 58},
                                {21, 155},
                                {28, 7},
                                {30, 3}});
            fx.show();
            for (int id : {1112, 1113, 1114, 1115}) EXPECT_EQ(fx.hidden(id), fw < 0x0209) << id;
            EXPECT_EQ(fx.checked(1113), brakeBit);
            EXPECT_EQ(fx.checked(1114), !brakeBit);
            EXPECT_TRUE(fx.checked(1024));  // bit 5 clear: protection on
            EXPECT_EQ(fx.items(1044).at(fx.index(1044)), "1  sec.");
            EXPECT_EQ(fx.index(1046), 0);
            EXPECT_EQ(fx.items(1047), (QStringList{QStringLiteral("转矩"), QStringLiteral("平衡"),
                                                   QStringLiteral("速度")}));
            EXPECT_EQ(fx.index(1047), 0);
            EXPECT_EQ(fx.text(1079), "15");
            EXPECT_EQ(fx.hide({{21, 150}, {18, 3}, {28, 0}}), "");

            fx.show();  // again: the mode list does not grow, nothing more is written
            EXPECT_EQ(fx.items(1047).size(), 3);
            EXPECT_EQ(fx.hide(), "");
        }
    }
}

// Bytes the lists cannot show: an unwritten image, odd Hall values, mode codings.
TEST(CStep3, UnusualBytesFallBack) {
    const struct {
        std::map<int, int> in;
        int delay, hall, mode, rate;
        std::map<int, int> out;
    } rows[] = {
        // Unwritten image: no delay, 120 degree, balanced, slowest rate.
        {{}, -1, 1, 1, 20, {{11, 120}, {28, 0}, {30, 1}, {18, 1}, {21, 200}, {19, 60}, {20, 60}}},
        {{{11, 0}, {12, 21}, {21, 9}, {28, 2}},
         -1,
         1,
         2,
         1,
         {{11, 120}, {12, 0xFF}, {21, 10}, {19, 60}, {20, 60}}},
        {{{11, 60}, {12, 20}, {21, 200}, {28, 0}, {30, 2}, {18, 2}},
         20,
         0,
         1,
         20,
         {{30, 1}, {18, 1}, {19, 60}, {20, 60}}},
        {{{12, 0}, {21, 10}, {28, 1}, {30, 3}, {18, 0}, {19, 18}, {20, 18}},
         0,
         1,
         0,
         1,
         {{11, 120}, {28, 0}, {18, 3}}},
    };
    for (const auto& row : rows) {
        PageFixture<CStep3> fx(0x0405);
        fx.image.fill(0xFF);
        setBytes(fx.image,
                 {{64, 'T'}, {65, 'R'}, {66, 'N'}, {67, '4'}, {68, '8'}, {83, 4}, {84, 5}});
        setBytes(fx.image, row.in);
        fx.show();
        EXPECT_EQ(fx.index(1044), row.delay);
        EXPECT_EQ(fx.index(1046), row.hall);
        EXPECT_EQ(fx.index(1047), row.mode);
        EXPECT_EQ(fx.value(1065), row.rate);
        EXPECT_EQ(fx.hide(row.out), "") << fx.index(1047);
    }
}

// What the user picks reaches the bytes; speed mode keeps the torque/balanced bytes.
TEST(CStep3, StoresTheUsersChoices) {
    PageFixture<CStep3> fx(0x0209, "TRN24201");
    setBytes(fx.image, {{0, 0x00},
                        {1, 0x00},
                        {11, 60},
                        {12, 0},
                        {18, 1},
                        {19, 20},
                        {20, 28},
                        {21, 10},
                        {28, 0},
                        {30, 1}});
    fx.show();
    fx.pick(1044, 20);
    fx.pick(1046, 1);
    fx.pick(1047, 2);
    fx.move(1035, 3);  // clamped to the class minimum
    fx.move(1062, 30);
    fx.move(1065, 7);
    EXPECT_EQ(fx.text(1079), "7");
    EXPECT_EQ(fx.text(1077), "8V");
    fx.click(1025);
    fx.click(1113);
    EXPECT_EQ(
        fx.hide({{12, 20}, {11, 120}, {28, 2}, {19, 8}, {20, 30}, {21, 70}, {1, 0x20}, {0, 0x08}}),
        "");

    fx.show();
    fx.pick(1047, 0);
    EXPECT_EQ(fx.hide({{28, 0}, {30, 3}, {18, 3}}), "");
}
