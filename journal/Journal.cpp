#include "Journal.h"

#include <algorithm>
#include <array>
#include <limits>
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

QString outcomeText(Outcome outcome, Language language) {
    const auto text = [language](const char* source) {
        return translated(language, "Journal", source);
    };
    switch (outcome) {
        case Outcome::Pending:
            return text(QT_TRANSLATE_NOOP("Journal", "not finished"));
        case Outcome::Verified:
            return text(QT_TRANSLATE_NOOP("Journal", "written and verified"));
        case Outcome::Differs:
            return text(QT_TRANSLATE_NOOP("Journal", "read back differs"));
        case Outcome::Failed:
            return text(QT_TRANSLATE_NOOP("Journal", "write failed"));
        case Outcome::ReplyLost:
            return text(QT_TRANSLATE_NOOP("Journal", "reply lost, read back as written"));
        case Outcome::NotVerified:
            return text(QT_TRANSLATE_NOOP("Journal", "written, not verified"));
        case Outcome::Refused:
            return text(QT_TRANSLATE_NOOP("Journal", "refused, nothing written"));
    }
    return {};
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

std::optional<Message> gatherPage(const EntryQuery& query, qint64 before, int limit,
                                  const PageRows& rows, std::vector<JournalEntry>* out,
                                  qint64* next) {
    // Rows the SQL let through but the settings refuse cost only their image; chunks larger
    // than the page, doubled while they yield too little, keep the round trips few.
    constexpr int SmallestChunk = 500, LargestChunk = 32000;
    limit = std::max(limit, 1);
    int chunk = std::max(limit, SmallestChunk);
    qint64 cursor = before > 0 ? before : std::numeric_limits<qint64>::max();
    std::vector<qint64> ids;
    bool full = false, exhausted = false;
    while (!full && !exhausted) {
        std::vector<std::pair<qint64, QVariant>> images;
        if (auto failed = rows.scan(cursor, chunk, &images))
            return failed;
        for (const auto& [id, bytes] : images) {
            cursor = id;
            // A damaged image is read whole, which reports it.
            const std::optional<CalibrationImage> image = imageOf(bytes);
            if (image && !std::all_of(query.where.begin(), query.where.end(),
                                      [&](const SettingCondition& c) { return c.holds(*image); }))
                continue;
            ids.push_back(id);
            if ((full = static_cast<int>(ids.size()) == limit))
                break;
        }
        exhausted = static_cast<int>(images.size()) < chunk;
        chunk = std::min(chunk * 2, LargestChunk);
    }
    std::vector<JournalEntry> found;
    if (!ids.empty())
        if (auto failed = rows.entries(ids, &found))
            return failed;
    out->clear();
    for (JournalEntry& e : found)
        if (query.matches(e))
            out->push_back(std::move(e));
    *next = full ? cursor : 0;
    return std::nullopt;
}

QString idsSql(const std::vector<qint64>& ids) {
    QStringList numbers;
    for (qint64 id : ids) numbers << QString::number(id);
    return QStringLiteral("id IN (%1)").arg(numbers.join(QStringLiteral(", ")));
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
