#pragma once
// The write sequence a correct host sends, for driving the simulator by hand.
#include <cstdint>
#include <vector>

#include "../support/Frames.h"
#include "SimController.h"

// Write chunk k (0 to 9) of image: 13 bytes at 13 x k, the last 11 bytes at 117 followed by
// image bytes 115 and 116.
inline Bytes writeChunk(const SimController::Image& image, int k) {
    const bool last = k == 9;
    Bytes data{static_cast<std::uint8_t>(13 * k), static_cast<std::uint8_t>(last ? 11 : 13), 0};
    for (int i = 0; i < (last ? 11 : 13); ++i)
        data.push_back(image[static_cast<std::size_t>(13 * k + i)]);
    if (last)
        data.insert(data.end(), {image[115], image[116]});
    return frame(0xF3, data);
}

// Open, ten chunks and the commit, in order.
inline std::vector<Bytes> writeSequence(const SimController::Image& image) {
    std::vector<Bytes> frames{frame(0xF1)};
    for (int k = 0; k < 10; ++k) frames.push_back(writeChunk(image, k));
    frames.push_back(frame(0xF4));
    return frames;
}
