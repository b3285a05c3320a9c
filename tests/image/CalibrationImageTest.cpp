#include <gtest/gtest.h>

#include "CalibrationImage.h"

TEST(CalibrationImage, StartsAllFF) {
    CalibrationImage image;
    for (int i = 0; i < CalibrationImage::Size; ++i) ASSERT_EQ(image.byte(i), 0xFF) << i;
}

TEST(CalibrationImage, BitsChangeOnlyTheirMask) {
    CalibrationImage image;
    image.setByte(Field::Switches, 0xFF);
    image.setBit(Field::Switches, Field::RegenerationBit, false);
    EXPECT_EQ(image.byte(Field::Switches), 0xBF);
    EXPECT_FALSE(image.bit(Field::Switches, Field::RegenerationBit));
    image.setBit(Field::Switches, Field::RegenerationBit, true);
    EXPECT_EQ(image.byte(Field::Switches), 0xFF);
}

TEST(CalibrationImage, BigEndianFields) {
    CalibrationImage image;
    image.setField(Field::J1939Identity, 3, 2097151);
    EXPECT_EQ(image.byte(119), 0x1F);
    EXPECT_EQ(image.byte(120), 0xFF);
    EXPECT_EQ(image.byte(121), 0xFF);
    EXPECT_EQ(image.field(Field::J1939Identity, 3), 2097151u);
    image.setField(Field::CanSendId, 2, 2047);
    EXPECT_EQ(image.byte(59), 0x07);
    EXPECT_EQ(image.byte(60), 0xFF);
    // Bytes outside the field stay as they were.
    EXPECT_EQ(image.byte(58), 0xFF);
    EXPECT_EQ(image.byte(61), 0xFF);
}

TEST(CalibrationImage, OutOfRangeAccessIsRefused) {
    CalibrationImage image;
    EXPECT_THROW(image.byte(128), std::out_of_range);
    EXPECT_THROW(image.setByte(-1, 0), std::out_of_range);
    EXPECT_THROW(image.field(126, 3), std::out_of_range);
    EXPECT_THROW(image.setField(0, 5, 0), std::out_of_range);
    EXPECT_THROW(image.text(120, 9), std::out_of_range);
}

TEST(CalibrationImage, TextStopsAtZero) {
    CalibrationImage image;
    const char model[] = {'T', 'R', 'N', '4', '8', 0, '0', '1'};
    for (int i = 0; i < 8; ++i)
        image.setByte(Field::Model + i, static_cast<std::uint8_t>(model[i]));
    EXPECT_EQ(image.text(Field::Model, 8), QStringLiteral("TRN48"));
}

TEST(FirmwareVersion, ComparesAsPair) {
    struct Case {
        std::uint8_t major, minor;
        unsigned threshold;
        bool atLeast;
    };
    const Case cases[] = {
        {2, 3, 0x0204, false}, {2, 4, 0x0204, true},    {3, 0, 0x0204, true},
        {2, 9, 0x0302, false}, {3, 1, 0x0302, false},   {3, 2, 0x0302, true},
        {4, 2, 0x0403, false}, {0xFF, 0, 0x0403, true}, {0x10, 0x00, 0x0209, true},
    };
    for (const auto& c : cases) {
        const FirmwareVersion v{c.major, c.minor};
        EXPECT_EQ(v.atLeast(c.threshold), c.atLeast)
            << int(c.major) << "." << int(c.minor) << " vs " << std::hex << c.threshold;
    }
    EXPECT_LT((FirmwareVersion{2, 3}), (FirmwareVersion{2, 4}));
    EXPECT_GT((FirmwareVersion{3, 0}), (FirmwareVersion{2, 4}));
}

TEST(FormatHex, UpperCaseHighNibbleFirst) {
    const std::uint8_t bytes[] = {0x00, 0x0A, 0xB0, 0xFF, 0x5C};
    EXPECT_EQ(FormatHex(bytes, 5), QStringLiteral("000AB0FF5C"));
    EXPECT_EQ(FormatHex(bytes, 0), QString());
    EXPECT_EQ(FormatHex(bytes, -3), QString());
}

TEST(IdentityTexts, FromVersionAndSerial) {
    CalibrationImage image;
    image.setByte(Field::VersionMajor, 0x02);
    image.setByte(Field::VersionMinor, 0x09);
    EXPECT_EQ(versionText(image), QStringLiteral("0209"));

    image.setByte(Field::VersionMinor, 0x04);
    const std::uint8_t serial[] = {0x00, 0x0A, 0xB0, 0xFF};
    for (int i = 0; i < 4; ++i) image.setByte(Field::SerialNumber + i, serial[i]);
    EXPECT_EQ(identityText(image), QStringLiteral("0204000AB0FF"));
}
