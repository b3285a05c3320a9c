// Values as configuration files write and read them, and the identity's bytes as text.
#include <QtGlobal>

#include "Settings.h"

namespace config {

namespace {

// A text of the settings description in the language given.
QString text(Language language, const char* source) {
    return translated(language, "Settings", source);
}

}  // namespace

QString valueText(const Setting& setting, std::uint32_t raw) {
    switch (setting.coding) {
        case Coding::Switch:
            return QLatin1String((raw != 0) != setting.inverted ? "on" : "off");
        case Coding::List:
            return QString::number(raw);
        case Coding::Number:
            break;
    }
    const auto divisor = static_cast<std::uint32_t>(setting.divisor);
    QString text = QString::number(raw / divisor);
    // Divisors are 1, 2 and 10, so one decimal is always exact.
    if (const std::uint32_t rest = raw % divisor; rest != 0)
        text += QLatin1Char('.') + QString::number(rest * 10 / divisor);
    return text + QLatin1String(setting.unit);
}

std::optional<std::uint32_t> parseValue(const Setting& setting, QStringView text) {
    text = text.trimmed();
    if (setting.coding == Coding::Switch) {
        bool on;
        if (text.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0)
            on = true;
        else if (text.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
            on = false;
        else
            return std::nullopt;
        return on != setting.inverted ? 1u : 0u;
    }
    const QLatin1String unit(setting.unit);
    if (setting.coding == Coding::Number && unit.size() > 0 &&
        text.endsWith(unit, Qt::CaseInsensitive))
        text = text.chopped(unit.size()).trimmed();

    // Digits, and for scaled numbers at most one decimal digit: no sign, no exponent.
    const qsizetype dot = setting.coding == Coding::Number ? text.indexOf(QLatin1Char('.')) : -1;
    const QStringView whole = dot < 0 ? text : text.first(dot);
    const QStringView fraction = dot < 0 ? QStringView() : text.sliced(dot + 1);
    const auto digitsOnly = [](QStringView s) {
        for (QChar c : s)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        return true;
    };
    if (whole.isEmpty() || whole.size() > 9 || !digitsOnly(whole))
        return std::nullopt;
    if (dot >= 0 && (fraction.size() != 1 || !digitsOnly(fraction)))
        return std::nullopt;

    const auto divisor = static_cast<std::uint64_t>(setting.divisor);
    std::uint64_t raw = whole.toULongLong() * divisor;
    if (dot >= 0) {
        const std::uint64_t tenths = static_cast<std::uint64_t>(fraction[0].unicode() - '0');
        if (tenths * divisor % 10 != 0)
            return std::nullopt;
        raw += tenths * divisor / 10;
    }
    if (raw > setting.maximum())
        return std::nullopt;
    return static_cast<std::uint32_t>(raw);
}

QString valueForm(const Setting& setting, Language language) {
    switch (setting.coding) {
        case Coding::Switch:
            return text(language, QT_TRANSLATE_NOOP("Settings", "on or off"));
        case Coding::List:
            return text(language,
                        QT_TRANSLATE_NOOP("Settings", "one of the names the comment lists"));
        case Coding::Number:
            break;
    }
    const QString top = valueText(setting, setting.maximum());
    if (setting.divisor > 1)
        return text(language, QT_TRANSLATE_NOOP("Settings", "0 to %1, in steps of %2"))
            .arg(top, valueText(setting, 1));
    return text(language, QT_TRANSLATE_NOOP("Settings", "a whole number, 0 to %1")).arg(top);
}

QString escapedBytes(const CalibrationImage& image, int pos, int length) {
    QString text;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t b = image.byte(pos + i);
        if (b > 0x20 && b < 0x7F && b != '\\' && b != '#')
            text += QLatin1Char(static_cast<char>(b));
        else
            text += QStringLiteral("\\x") + FormatHex(&b, 1);
    }
    return text;
}

}  // namespace config
