#include "JsonReport.h"

#include "Changes.h"
#include "ConfigFile.h"

namespace report {

QJsonObject value(const config::Setting& setting, const CalibrationImage& image,
                  config::Language language) {
    const std::uint32_t raw = setting.raw(image);
    QJsonValue v;
    switch (setting.coding) {
        case config::Coding::Switch:
            v = (raw != 0) != setting.inverted;
            break;
        case config::Coding::List:
            // A code that names no item stays a number, as files hold it.
            if (const QString name =
                    config::itemName(setting, image, raw, config::Language::English);
                !name.isEmpty())
                v = name;
            else
                v = static_cast<qint64>(raw);
            break;
        case config::Coding::Number:
            v = static_cast<double>(raw) / setting.divisor;
            break;
    }
    return {{QStringLiteral("value"), v},
            {QStringLiteral("unit"), QLatin1String(setting.unit)},
            {QStringLiteral("raw"), static_cast<qint64>(raw)},
            {QStringLiteral("text"), config::shownText(setting, image, raw, language)}};
}

QJsonObject settings(const CalibrationImage& image, config::Language language) {
    QJsonObject all;
    for (const config::Setting* s : config::settingsOf(image)) {
        QJsonObject v = value(*s, image, language);
        v.insert(QStringLiteral("caption"), s->caption(language));
        all.insert(QLatin1String(s->key), v);
    }
    return all;
}

QJsonArray changes(const CalibrationImage& before, const CalibrationImage& after,
                   config::Language language) {
    QJsonArray list;
    const auto side = [&](const config::Setting& s, const CalibrationImage& image) -> QJsonValue {
        if (!s.appliesTo(image))
            return QJsonValue::Null;
        return value(s, image, language);
    };
    for (const config::Change& c : config::changes(before, after, language))
        list.append(QJsonObject{{QStringLiteral("key"), QLatin1String(c.setting->key)},
                                {QStringLiteral("caption"), c.setting->caption(language)},
                                {QStringLiteral("old"), side(*c.setting, before)},
                                {QStringLiteral("new"), side(*c.setting, after)}});
    return list;
}

QJsonObject identity(const CalibrationImage& image) {
    QJsonObject id{{QStringLiteral("unit"), config::unitName(image)}};
    for (const auto& [key, text] : config::identityOf(image)) id.insert(key, text);
    return id;
}

QJsonArray identityChanges(const CalibrationImage& before, const CalibrationImage& after) {
    const auto a = config::identityOf(before);
    const auto b = config::identityOf(after);
    QJsonArray list;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i].second != b[i].second)
            list.append(QJsonObject{{QStringLiteral("field"), a[i].first},
                                    {QStringLiteral("old"), a[i].second},
                                    {QStringLiteral("new"), b[i].second}});
    return list;
}

QJsonObject entry(const config::JournalEntry& e) {
    QJsonObject o{{QStringLiteral("entry"), e.id},
                  {QStringLiteral("uuid"), e.uuid.toString(QUuid::WithoutBraces)},
                  {QStringLiteral("unit"), e.unit},
                  {QStringLiteral("time"), e.time.toString(Qt::ISODate)},
                  {QStringLiteral("outcome"), config::outcomeName(e.outcome)},
                  {QStringLiteral("program"), e.program},
                  {QStringLiteral("host"), e.host}};
    if (!e.madeBy.isEmpty())
        o.insert(QStringLiteral("made_by"), e.madeBy);
    return o;
}

}  // namespace report
