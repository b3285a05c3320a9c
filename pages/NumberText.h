#pragma once

#include <cstdint>

#include <QStringView>

namespace kit {

// The number a user typed into an edit field: leading ASCII white space (blank, tab, line
// feed, vertical tab, form feed, carriage return) skipped, an optional sign, then ASCII
// decimal digits up to the first other character; the rest is ignored. No digits gives 0,
// and a number beyond the 32-bit signed range gives that range's nearer end, so that an
// overlong number can never wrap into a valid one.
std::int32_t textToNumber(QStringView text);

}  // namespace kit
