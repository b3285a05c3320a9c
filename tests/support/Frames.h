#pragma once
// Builds protocol frames with a correct checksum for tests.

#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline Bytes frame(std::uint8_t command, const Bytes& data = {}) {
    Bytes f;
    f.reserve(data.size() + 3);
    f.push_back(command);
    f.push_back(static_cast<std::uint8_t>(data.size()));
    for (auto b : data) f.push_back(b);
    std::uint8_t sum = 0;
    for (auto b : f) sum = static_cast<std::uint8_t>(sum + b);
    f.push_back(sum);
    return f;
}
