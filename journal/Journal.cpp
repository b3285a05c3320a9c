#include "Journal.h"

#include <array>
#include <utility>

#include "Fields.h"

namespace config {

namespace {

constexpr std::array<std::pair<Outcome, const char*>, 7> Names{{
    {Outcome::Pending, "pending"},
    {Outcome::Verified, "verified"},
    {Outcome::Differs, "differs"},
    {Outcome::Failed, "failed"},
    {Outcome::ReplyLost, "reply-lost-read-back"},
    {Outcome::NotVerified, "not-verified"},
    {Outcome::Refused, "refused"},
}};

}  // namespace

QString outcomeName(Outcome outcome) {
    for (const auto& [o, name] : Names)
        if (o == outcome)
            return QLatin1String(name);
    return {};
}

std::optional<Outcome> outcomeNamed(const QString& name) {
    for (const auto& [o, n] : Names)
        if (name == QLatin1String(n))
            return o;
    return std::nullopt;
}

QStringList outcomeNames() {
    QStringList names;
    for (const auto& [o, name] : Names) names << QLatin1String(name);
    return names;
}

QString unitName(const CalibrationImage& image) {
    // Only letters and digits of the model name, so that any bytes make a usable name (the
    // files of earlier versions kept it as a folder name).
    QString model;
    for (int i = 0; i < Field::ModelLength; ++i) {
        const std::uint8_t b = image.byte(Field::Model + i);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'))
            model += QLatin1Char(static_cast<char>(b));
    }
    if (model.isEmpty())
        model = QStringLiteral("unnamed");
    return model + QLatin1Char('-') + serialText(image);
}

std::optional<Message> Journal::refuse(const CalibrationImage& before,
                                       const CalibrationImage& image, const QString& program,
                                       qint64* id) {
    if (auto failed = begin(before, image, program, id))
        return failed;
    return complete(*id, Outcome::Refused);
}

QString JournalEntry::fileText(Language language) const {
    return ConfigFile::write(image, {time, program}, language);
}

}  // namespace config
