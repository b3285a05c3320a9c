#pragma once

#include <cstdint>
#include <deque>

#include "ByteStream.h"
#include "SimController.h"

// An in-process line between the program's link and a simulated controller.
// Replies are available to the next reads right after the request was written.
class SimStream : public ByteStream {
public:
    explicit SimStream(SimController& controller) : controller_(controller) {}

    bool write(const std::uint8_t* data, std::size_t count) override;
    int read(std::uint8_t* buffer, std::size_t maxCount) override;

    // At most this many bytes per read (1 delivers a reply byte by byte).
    std::size_t maxChunk = SIZE_MAX;
    // Reads and writes fail once this many reads have been made; -1 never.
    int failAfterReads = -1;

    std::size_t bytesWritten() const { return written_; }

private:
    SimController& controller_;
    std::deque<std::uint8_t> pending_;
    std::size_t written_ = 0;
    int reads_ = 0;
};
