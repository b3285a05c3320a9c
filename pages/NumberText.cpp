#include "NumberText.h"

#include <algorithm>
#include <limits>

namespace kit {

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

}  // namespace

std::int32_t textToNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype end = text.size();
    while (i < end && isBlank(text[i].unicode())) ++i;

    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    // The magnitude stops growing at 2^31, which both ends of the range can be told from;
    // 2^31 * 10 + 9 still fits in 64 bits.
    constexpr std::int64_t ceiling = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            break;
        magnitude = std::min(magnitude * 10 + (c - u'0'), ceiling);
    }

    if (negative)
        return static_cast<std::int32_t>(-magnitude);
    return static_cast<std::int32_t>(std::min(magnitude, ceiling - 1));
}

}  // namespace kit
