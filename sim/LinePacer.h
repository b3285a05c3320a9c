#pragma once

#include <algorithm>
#include <cstdint>

#include "Wire.h"

// Times bytes as one direction of the controller's line carries them, one byte after the
// other. Times are nanoseconds on a monotonic clock.
class LinePacer {
public:
    static constexpr std::int64_t ByteNs =
        1'000'000'000LL * wire::BitsPerByte / wire::BaudRate;  // 520833 ns

    // The moment a byte handed to the line at `now` has crossed it: it starts as soon as the
    // line is free of the bytes before it. Measured from absolute times, so sleeping late
    // once does not slow every later byte.
    std::int64_t carry(std::int64_t now) {
        lineFree_ = std::max(lineFree_, now) + ByteNs;
        return lineFree_;
    }

private:
    std::int64_t lineFree_ = 0;
};
