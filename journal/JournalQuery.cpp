#include "JournalQuery.h"

#include <array>
#include <bit>

#include <QCoreApplication>
#include <QRegularExpression>

#include "Journal.h"

namespace config {

namespace {

struct OpText {
    SettingCondition::Op op;
    const char* text;
    const char* sql;
};

// Longest first, so that "<=" is not read as "<".
constexpr std::array<OpText, 7> Ops{{
    {SettingCondition::Op::LessOrEqual, "<=", "<="},
    {SettingCondition::Op::GreaterOrEqual, ">=", ">="},
    {SettingCondition::Op::NotEqual, "!=", "<>"},
    {SettingCondition::Op::Equal, "=", "="},
    {SettingCondition::Op::Less, "<", "<"},
    {SettingCondition::Op::Greater, ">", ">"},
    {SettingCondition::Op::NotEqual, "<>", "<>"},
}};

bool compare(SettingCondition::Op op, std::uint32_t a, std::uint32_t b) {
    switch (op) {
        case SettingCondition::Op::Less:
            return a < b;
        case SettingCondition::Op::LessOrEqual:
            return a <= b;
        case SettingCondition::Op::Equal:
            return a == b;
        case SettingCondition::Op::NotEqual:
            return a != b;
        case SettingCondition::Op::GreaterOrEqual:
            return a >= b;
        case SettingCondition::Op::Greater:
            return a > b;
    }
    return false;
}

}  // namespace

std::optional<SettingCondition> SettingCondition::parse(const QString& text, QString* why) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*([A-Za-z0-9_]+)\\s*([<>=!]+)\\s*(.*?)\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    const OpText* op = nullptr;
    if (m.hasMatch())
        for (const OpText& o : Ops)
            if (m.captured(2) == QLatin1String(o.text))
                op = &o;
    if (!op || m.captured(3).isEmpty()) {
        *why = QCoreApplication::translate("Journal",
                                           "'%1' is not a condition such as max_motor_current>80%")
                   .arg(text);
        return std::nullopt;
    }
    SettingCondition c;
    c.setting = findSetting(m.captured(1));
    if (!c.setting) {
        *why =
            QCoreApplication::translate("Journal", "no setting is named '%1'").arg(m.captured(1));
        return std::nullopt;
    }
    c.op = op->op;
    c.value = m.captured(3);
    if (c.value.size() > 1 && c.value.startsWith(QLatin1Char('"')) &&
        c.value.endsWith(QLatin1Char('"')))
        c.value = c.value.mid(1, c.value.size() - 2);
    c.raw = parseValue(*c.setting, c.value);
    const bool ordered = c.setting->coding == Coding::Number;
    if (!ordered && c.op != Op::Equal && c.op != Op::NotEqual) {
        *why = QCoreApplication::translate("Journal", "%1 takes only = and !=")
                   .arg(QLatin1String(c.setting->key));
        return std::nullopt;
    }
    if (!c.raw && c.setting->coding != Coding::List) {
        *why = QStringLiteral("%1 takes %2, not '%3'")
                   .arg(QLatin1String(c.setting->key), valueForm(*c.setting, Language::English),
                        c.value);
        return std::nullopt;
    }
    return c;
}

const char* SettingCondition::sqlOperator() const {
    for (const OpText& o : Ops)
        if (o.op == op)
            return o.sql;
    return "=";
}

std::optional<QString> SettingCondition::sql(const std::function<QString(int)>& byteSql) const {
    if (setting->place != Place::Field || !raw)
        return std::nullopt;
    // Each byte's bits of the setting, highest byte first, as Setting::raw reads them.
    QString value;
    for (const Setting::Bits& b : setting->bits()) {
        const QString part = QStringLiteral("((%1 & %2) >> %3)")
                                 .arg(byteSql(b.pos))
                                 .arg(b.mask)
                                 .arg(std::countr_zero(b.mask));
        value = value.isEmpty() ? part
                                : QStringLiteral("((%1 << %2) | %3)")
                                      .arg(value)
                                      .arg(std::popcount(b.mask))
                                      .arg(part);
    }
    return QStringLiteral("%1 %2 %3").arg(value, QLatin1String(sqlOperator())).arg(*raw);
}

QString SettingCondition::text() const {
    // The first spelling of the operator: "!=" rather than "<>".
    const char* op = "=";
    for (const OpText& o : Ops)
        if (o.op == this->op) {
            op = o.text;
            break;
        }
    const bool quoted = value.contains(QLatin1Char(' '));
    return QLatin1String(setting->key) + QLatin1String(op) +
           (quoted ? QLatin1Char('"') + value + QLatin1Char('"') : value);
}

std::optional<std::vector<SettingCondition>> parseConditions(const QString& text, QString* why) {
    std::vector<SettingCondition> out;
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (part.trimmed().isEmpty())
            continue;
        std::optional<SettingCondition> c = SettingCondition::parse(part.trimmed(), why);
        if (!c)
            return std::nullopt;
        out.push_back(std::move(*c));
    }
    return out;
}

QString conditionsText(const std::vector<SettingCondition>& conditions) {
    QStringList parts;
    for (const SettingCondition& c : conditions) parts << c.text();
    return parts.join(QStringLiteral("; "));
}

bool SettingCondition::holds(const CalibrationImage& image) const {
    if (!setting->appliesTo(image))
        return false;
    const std::optional<std::uint32_t> wanted = raw ? raw : itemCode(*setting, image, value);
    return wanted && compare(op, setting->raw(image), *wanted);
}

bool EntryQuery::matches(const JournalEntry& entry) const {
    if ((!unit.isEmpty() && entry.unit != unit) || (!station.isEmpty() && entry.host != station) ||
        (since && entry.time < *since) || (until && entry.time > *until))
        return false;
    for (const SettingCondition& c : where)
        if (!c.holds(entry.image))
            return false;
    return true;
}

std::optional<QDateTime> queryTime(const QString& text, bool until) {
    // A date alone: Qt would also read the date at the start of a date and time.
    const QDate day = text.size() == 10 ? QDate::fromString(text, Qt::ISODate) : QDate();
    if (day.isValid())
        return until ? QDateTime(day, QTime(23, 59, 59, 999), Qt::UTC)
                     : QDateTime(day, QTime(0, 0), Qt::UTC);
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid() || !text.contains(QLatin1Char('T')))
        return std::nullopt;
    if (time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    return time.toUTC();
}

}  // namespace config
