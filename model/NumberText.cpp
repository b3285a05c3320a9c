#include "NumberText.h"

#include <algorithm>
#include <limits>

#include <QString>

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

bool readsAsTyped(QStringView text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin].unicode())) ++begin;
    while (end > begin && isBlank(text[end - 1].unicode())) --end;
    if (begin < end && (text[begin] == u'+' || text[begin] == u'-'))
        ++begin;
    while (end - begin > 1 && text[begin] == u'0') ++begin;  // leading zeros change nothing
    const QStringView digits = text.mid(begin, end - begin);
    if (digits.isEmpty())
        return false;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return false;
    // A number clamped to an end of the range is another number than the one typed.
    const std::int64_t number = textToNumber(text);
    return QString::number(number < 0 ? -number : number) == digits;
}

}  // namespace kit
