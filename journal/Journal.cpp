#include "Journal.h"

#include <algorithm>
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

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QVariant storedBytes(const std::optional<CalibrationImage>& image) {
    if (!image)
        return QVariant(QMetaType::fromType<QByteArray>());
    return QByteArray(reinterpret_cast<const char*>(image->data()), CalibrationImage::Size);
}

std::optional<CalibrationImage> imageOf(const QVariant& value) {
    const QByteArray bytes = value.toByteArray();
    if (bytes.size() != CalibrationImage::Size)
        return std::nullopt;
    CalibrationImage image;
    std::copy(bytes.begin(), bytes.end(), image.data());
    return image;
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
