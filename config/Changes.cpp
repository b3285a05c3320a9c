#include "Changes.h"

namespace config {

namespace {

// A text of this file in the language given.
QString text(Language language, const char* source) {
    return translated(language, "Changes", source);
}

}  // namespace

std::vector<Change> changes(const CalibrationImage& before, const CalibrationImage& after,
                            Language language) {
    std::vector<Change> out;
    for (const Setting& s : settings()) {
        const bool inBefore = s.appliesTo(before);
        const bool inAfter = s.appliesTo(after);
        if (!inBefore && !inAfter)
            continue;
        if (inBefore && inAfter && s.raw(before) == s.raw(after))
            continue;
        out.push_back({&s, inBefore ? shownText(s, before, s.raw(before), language) : QString(),
                       inAfter ? shownText(s, after, s.raw(after), language) : QString()});
    }
    return out;
}

QStringList changeLines(const std::vector<Change>& list, Language language) {
    const QString none = QStringLiteral("-");
    const QString separator = text(language, QT_TRANSLATE_NOOP("Changes", ": "));
    QStringList lines;
    for (const Change& c : list) {
        const QString before = c.before.isEmpty() ? none : c.before;
        const QString after = c.after.isEmpty() ? none : c.after;
        lines << c.setting->caption(language) + separator + before + QStringLiteral(" -> ") + after;
    }
    return lines;
}

QStringList identityLines(const CalibrationImage& before, const CalibrationImage& after,
                          Language language) {
    const struct {
        const char* caption;
        QString (*text)(const CalibrationImage&);
    } fields[] = {
        {QT_TRANSLATE_NOOP("Changes", "Model"),
         [](const CalibrationImage& i) {
             return escapedBytes(i, Field::Model, Field::ModelLength);
         }},
        {QT_TRANSLATE_NOOP("Changes", "Variant"),
         [](const CalibrationImage& i) { return escapedBytes(i, Field::Variant, 1); }},
        {QT_TRANSLATE_NOOP("Changes", "Firmware"), versionText},
        {QT_TRANSLATE_NOOP("Changes", "Serial number"), serialText},
    };
    const QString separator = text(language, QT_TRANSLATE_NOOP("Changes", ": "));
    QStringList lines;
    for (const auto& f : fields) {
        const QString a = f.text(before), b = f.text(after);
        if (a != b)
            lines << text(language, f.caption) + separator + a + QStringLiteral(" -> ") + b;
    }
    return lines;
}

QStringList settingLines(const CalibrationImage& image, Language language) {
    const QString separator = text(language, QT_TRANSLATE_NOOP("Changes", ": "));
    QStringList lines;
    for (const Setting* s : settingsOf(image))
        lines << s->caption(language) + QStringLiteral(" (") + QLatin1String(s->key) +
                     QStringLiteral(")") + separator +
                     shownText(*s, image, s->raw(image), language);
    return lines;
}

}  // namespace config
