#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>

#include <QString>

#include "Fields.h"
#include "ModuleIds.h"

// Firmware version as the pair (major, minor); written as four hex digits, major first,
// so 0x0209 is major 2, minor 9.
struct FirmwareVersion {
    std::uint8_t major = 0;
    std::uint8_t minor = 0;

    static constexpr FirmwareVersion fromHex(unsigned hex4) {
        return {static_cast<std::uint8_t>(hex4 >> 8), static_cast<std::uint8_t>(hex4 & 0xFF)};
    }
    constexpr bool atLeast(unsigned hex4) const { return *this >= fromHex(hex4); }
    constexpr auto operator<=>(const FirmwareVersion&) const = default;
};

// The controller's 128-byte configuration block, one contiguous array.
class CalibrationImage {
public:
    static constexpr int Size = 128;

    CalibrationImage() { bytes_.fill(0xFF); }

    static constexpr bool inRange(int pos, int width = 1) {
        return pos >= 0 && width >= 0 && pos + width <= Size;
    }

    std::uint8_t byte(int pos) const { return bytes_.at(static_cast<std::size_t>(pos)); }
    void setByte(int pos, std::uint8_t value) { bytes_.at(static_cast<std::size_t>(pos)) = value; }

    bool bit(int pos, std::uint8_t mask) const { return (byte(pos) & mask) != 0; }
    void setBit(int pos, std::uint8_t mask, bool on);

    // Big-endian unsigned field of 1 to 4 bytes.
    std::uint32_t field(int pos, int width) const;
    void setField(int pos, int width, std::uint32_t value);

    FirmwareVersion version() const {
        return {byte(Field::VersionMajor), byte(Field::VersionMinor)};
    }
    // The bytes at pos as Latin-1 text, stopping early at a zero byte.
    QString text(int pos, int length) const;

    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    void fill(std::uint8_t value) { bytes_.fill(value); }

    bool operator==(const CalibrationImage&) const = default;

private:
    std::array<std::uint8_t, Size> bytes_;
};

// n bytes as 2n upper-case hex digits, high nibble first; n <= 0 gives "".
QString FormatHex(const std::uint8_t* bytes, int n);
// FormatHex of bytes 83 and 84.
QString versionText(const CalibrationImage& image);
// The serial number, bytes 76 to 79, as eight hex digits.
QString serialText(const CalibrationImage& image);
// versionText followed by FormatHex of the serial number, bytes 76 to 79.
QString identityText(const CalibrationImage& image);

// The range of the under- and over-voltage limits for the model's voltage class (characters 4
// and 5 of the model name); none for a class the controllers do not have.
struct VoltageRange {
    int minimum;
    int maximum;
};
std::optional<VoltageRange> voltageClassRange(const CalibrationImage& image);

// What kind of controller an image comes from; the pages, the settings and the refusal rule
// all ask here.
bool isTreSeries(const CalibrationImage& image);
// The model name ends in "1": the controller regenerates.
bool hasRegeneration(const CalibrationImage& image);
bool isCanVariant(const CalibrationImage& image);    // variant letter "C"
bool isJ1939Variant(const CalibrationImage& image);  // variant letter "J"
bool isSpecialVersion(const CalibrationImage& image);

// Messages of the language module that say why a controller is refused.
inline constexpr int MsgWrongSeries = module::MsgWrongSeries;
inline constexpr int MsgSpecialVersion = module::MsgSpecialVersion;
// The message that refuses the controller whose image this is: another series than TRN or
// TRE, or a special version. 0 when it may be configured. The wizard and the workshop
// commands ask the same question, so that they refuse the same controllers.
int controllerRefusal(const CalibrationImage& image);
