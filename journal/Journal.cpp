#include "Journal.h"

#include <algorithm>
#include <array>
#include <utility>

#include <QSqlQuery>

#include "Fields.h"
#include "JournalQuery.h"

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

bool readRow(const QSqlQuery& q, const std::function<QDateTime(const QVariant&)>& time,
             JournalEntry* out) {
    JournalEntry e;
    e.id = q.value(0).toLongLong();
    e.uuid = QUuid::fromString(q.value(1).toString());
    e.unit = q.value(2).toString();
    e.time = time(q.value(3));
    e.program = q.value(4).toString();
    e.host = q.value(5).toString();
    if (!q.value(6).isNull())
        e.before = imageOf(q.value(6));
    const std::optional<CalibrationImage> image = imageOf(q.value(7));
    const std::optional<Outcome> outcome = outcomeNamed(q.value(8).toString());
    const bool damaged =
        !image || !outcome || !e.time.isValid() || (!q.value(6).isNull() && !e.before);
    if (!damaged) {
        e.image = *image;
        e.outcome = *outcome;
    }
    *out = std::move(e);
    return !damaged;
}

std::optional<Message> Journal::refuse(const CalibrationImage& before,
                                       const CalibrationImage& image, const QString& program,
                                       qint64* id) {
    if (auto failed = begin(before, image, program, id))
        return failed;
    return complete(*id, Outcome::Refused);
}

std::optional<Message> Journal::entries(const QString& unit, std::vector<JournalEntry>* out) {
    EntryQuery query;
    query.unit = unit;
    return find(query, out);
}

QString JournalEntry::fileText(Language language) const {
    return ConfigFile::write(image, {time, program}, language);
}

}  // namespace config
