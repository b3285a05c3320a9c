#include "SimStream.h"

#include <algorithm>

bool SimStream::write(const std::uint8_t* data, std::size_t count) {
    if (failAfterReads >= 0 && reads_ >= failAfterReads)
        return false;
    written_ += count;
    for (const auto& frame : controller_.feed(data, count))
        pending_.insert(pending_.end(), frame.begin(), frame.end());
    return true;
}

int SimStream::read(std::uint8_t* buffer, std::size_t maxCount) {
    if (failAfterReads >= 0 && reads_ >= failAfterReads)
        return -1;
    ++reads_;
    const std::size_t n = std::min({maxCount, maxChunk, pending_.size()});
    std::copy_n(pending_.begin(), n, buffer);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return static_cast<int>(n);
}
