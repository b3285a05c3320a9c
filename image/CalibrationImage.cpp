#include "CalibrationImage.h"

#include <stdexcept>

void CalibrationImage::setBit(int pos, std::uint8_t mask, bool on) {
    const std::uint8_t old = byte(pos);
    setByte(pos,
            on ? static_cast<std::uint8_t>(old | mask) : static_cast<std::uint8_t>(old & ~mask));
}

std::uint32_t CalibrationImage::field(int pos, int width) const {
    if (width < 1 || width > 4 || !inRange(pos, width))
        throw std::out_of_range("calibration image field out of range");
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) value = (value << 8) | byte(pos + i);
    return value;
}

void CalibrationImage::setField(int pos, int width, std::uint32_t value) {
    if (width < 1 || width > 4 || !inRange(pos, width))
        throw std::out_of_range("calibration image field out of range");
    for (int i = width - 1; i >= 0; --i) {
        setByte(pos + i, static_cast<std::uint8_t>(value & 0xFF));
        value >>= 8;
    }
}

QString CalibrationImage::text(int pos, int length) const {
    if (!inRange(pos, length))
        throw std::out_of_range("calibration image text out of range");
    QString out;
    for (int i = 0; i < length && byte(pos + i) != 0; ++i) out += QChar(byte(pos + i));
    return out;
}

QString FormatHex(const std::uint8_t* bytes, int n) {
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    if (n <= 0 || bytes == nullptr)
        return out;
    out.reserve(2 * n);
    for (int i = 0; i < n; ++i) {
        out += QLatin1Char(digits[bytes[i] >> 4]);
        out += QLatin1Char(digits[bytes[i] & 0x0F]);
    }
    return out;
}

QString versionText(const CalibrationImage& image) {
    return FormatHex(image.data() + Field::VersionMajor, 2);
}

QString serialText(const CalibrationImage& image) {
    return FormatHex(image.data() + Field::SerialNumber, Field::SerialNumberLength);
}

QString identityText(const CalibrationImage& image) {
    return versionText(image) + serialText(image);
}

std::optional<VoltageRange> voltageClassRange(const CalibrationImage& image) {
    static const struct {
        const char* digits;
        VoltageRange range;
    } classes[] = {
        {"12", {18, 136}}, {"14", {18, 180}}, {"15", {18, 180}}, {"24", {8, 30}},
        {"36", {18, 45}},  {"48", {18, 60}},  {"60", {18, 80}},  {"72", {18, 90}},
        {"84", {18, 92}},  {"96", {18, 120}}, {"09", {18, 120}},
    };
    const QByteArray digits = image.text(Field::VoltageClass, 2).toLatin1();
    for (const auto& c : classes)
        if (digits == c.digits)
            return c.range;
    return std::nullopt;
}

bool isTreSeries(const CalibrationImage& image) {
    return image.text(Field::Series, Field::SeriesLength) == QLatin1String("TRE");
}

bool hasRegeneration(const CalibrationImage& image) {
    return image.byte(Field::RegenerationMarker) == '1';
}

bool isCanVariant(const CalibrationImage& image) {
    return image.byte(Field::Variant) == 'C';
}

bool isJ1939Variant(const CalibrationImage& image) {
    return image.byte(Field::Variant) == 'J';
}

bool isSpecialVersion(const CalibrationImage& image) {
    return image.bit(Field::ModelOptions, Field::SpecialVersionBit);
}

int controllerRefusal(const CalibrationImage& image) {
    const QString series = image.text(Field::Series, Field::SeriesLength);
    if (series != QLatin1String("TRN") && series != QLatin1String("TRE"))
        return MsgWrongSeries;
    if (isSpecialVersion(image))
        return MsgSpecialVersion;
    return 0;
}
