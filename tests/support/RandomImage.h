#pragma once
// Images of random bytes with a chosen identity, so that code under test meets out-of-range
// values and foreign bits; and readable QString values in failure messages.

#include <cstdint>
#include <ostream>
#include <random>

#include <QString>

#include "CalibrationImage.h"

inline CalibrationImage randomImage(unsigned seed, unsigned firmware, const char* model,
                                    char variant) {
    std::mt19937 random(seed);
    CalibrationImage image;
    for (int i = 0; i < CalibrationImage::Size; ++i)
        image.setByte(i, static_cast<std::uint8_t>(random()));
    for (int i = 0; i < 8; ++i)
        image.setByte(Field::Model + i, static_cast<std::uint8_t>(model[i]));
    image.setByte(Field::VersionMajor, static_cast<std::uint8_t>(firmware >> 8));
    image.setByte(Field::VersionMinor, static_cast<std::uint8_t>(firmware));
    image.setByte(Field::Variant, static_cast<std::uint8_t>(variant));
    return image;
}

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
