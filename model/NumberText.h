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
// True when textToNumber reads text as the number it shows: ASCII digits, with at most a sign
// before them and blanks around them, within the 32-bit signed range. False for "12abc" (read
// as 12), "abc", "0x10", full-width digits and an empty text (read as 0).
bool readsAsTyped(QStringView text);

}  // namespace kit
