#include "FileNames.h"

namespace {

constexpr char16_t StrayBase = 0xDC00;

// The length of the valid UTF-8 sequence at bytes[i], or 0 when it is not one.
int sequenceAt(QByteArrayView bytes, qsizetype i, char32_t* code) {
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        *code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    *code = c;
    return length;
}

void appendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isStray(char32_t c) {
    return c >= StrayBase + 0x80 && c <= StrayBase + 0xFF;
}

// Calls each with every code point of text: a surrogate pair as the one it stands for, any
// other unit, a lone surrogate too, as itself.
template <class Each>
void forEachCodePoint(const QString& text, Each each) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            each(QChar::surrogateToUcs4(c, text[++i].unicode()));
        else
            each(char32_t{c});
    }
}

}  // namespace

QString fileNameFromSystem(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t c = 0;
        const int length = sequenceAt(bytes, i, &c);
        if (length == 0) {
            name += QChar(static_cast<char16_t>(StrayBase + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        name += QString::fromUcs4(&c, 1);
        i += length;
    }
    return name;
}

QByteArray fileNameToSystem(const QString& name) {
    QByteArray out;
    out.reserve(name.size());
    forEachCodePoint(name, [&out](char32_t c) {
        if (isStray(c)) {
            out += static_cast<char>(c - StrayBase);
        } else {
            // A lone surrogate of another kind cannot come from a name; it is kept as the three
            // bytes it would be, which the system takes as any other name.
            appendUtf8(out, c);
        }
    });
    return out;
}

QString visibleText(const QString& text) {
    QString out;
    out.reserve(text.size());
    forEachCodePoint(text, [&out](char32_t c) {
        if (c > 0xFFFF)
            out += QChar::fromUcs4(c);
        else if (c < 0x20 || c == 0x7F)
            out += QStringLiteral("\\x%1").arg(uint{c}, 2, 16, QLatin1Char('0'));
        else if (isStray(c))
            out += QStringLiteral("\\x%1").arg(uint{c} - StrayBase, 2, 16, QLatin1Char('0'));
        else if ((c >= 0x80 && c < 0xA0) || QChar::isSurrogate(c) || c == 0x2028 || c == 0x2029)
            out += QStringLiteral("\\u%1").arg(uint{c}, 4, 16, QLatin1Char('0'));
        else
            out += QChar(static_cast<char16_t>(c));
    });
    return out;
}
