#include "Journal.h"

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

#include <QSqlQuery>

#include "Fields.h"
#include "JournalQuery.h"

namespace config {

namespace {

// Each outcome, the word a journal stores for it, and what a window tells of it.
constexpr std::tuple<Outcome, const char*, const char*> Names[] = {
    {Outcome::Pending, "pending", QT_TRANSLATE_NOOP("Journal", "not finished")},
    {Outcome::Verified, "verified", QT_TRANSLATE_NOOP("Journal", "written and verified")},
    {Outcome::Differs, "differs", QT_TRANSLATE_NOOP("Journal", "read back differs")},
    {Outcome::Failed, "failed", QT_TRANSLATE_NOOP("Journal", "write failed")},
    {Outcome::ReplyLost, "reply-lost-read-back",
     QT_TRANSLATE_NOOP("Journal", "reply lost, read back as written")},
    {Outcome::NotVerified, "not-verified", QT_TRANSLATE_NOOP("Journal", "written, not verified")},
    {Outcome::Refused, "refused", QT_TRANSLATE_NOOP("Journal", "refused, nothing written")},
};

}  // namespace

QString outcomeName(Outcome outcome) {
    for (const auto& [o, name, text] : Names)
        if (o == outcome)
            return QLatin1String(name);
    return {};
}

std::optional<Outcome> outcomeNamed(const QString& name) {
    for (const auto& [o, n, text] : Names)
        if (name == QLatin1String(n))
            return o;
    return std::nullopt;
}

QStringList outcomeNames() {
    QStringList names;
    for (const auto& [o, name, text] : Names) names << QLatin1String(name);
    return names;
}

QString outcomeText(Outcome outcome, Language language) {
    for (const auto& [o, name, text] : Names)
        if (o == outcome)
            return translated(language, "Journal", text);
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
    keepMatching(query, found, out);
    *next = full ? cursor : 0;
    return std::nullopt;
}

QString idsSql(const std::vector<qint64>& ids) {
    QStringList numbers;
    for (qint64 id : ids) numbers << QString::number(id);
    return QStringLiteral("id IN (%1)").arg(numbers.join(QStringLiteral(", ")));
}

void narrowSql(const EntryQuery& query, const SqlNames& names, qint64 before, QStringList* where,
               QVariantList* values) {
    const auto narrow = [&](const char* sql, const QVariant& value) {
        *where << QLatin1String(sql);
        *values << value;
    };
    if (!query.unit.isEmpty())
        narrow("unit = ?", query.unit);
    if (!query.station.isEmpty())
        narrow(names.station, query.station);
    if (query.since)
        narrow(names.since, timeText(*query.since));
    if (query.until)
        narrow(names.until, timeText(*query.until));
    if (before > 0)
        narrow("id < ?", before);
    for (const SettingCondition& c : query.where)
        if (const std::optional<QString> sql = c.sql(names.byteSql))
            *where << *sql;
}

void keepMatching(const EntryQuery& query, std::vector<JournalEntry>& found,
                  std::vector<JournalEntry>* out) {
    out->clear();
    for (JournalEntry& e : found)
        if (query.matches(e))
            out->push_back(std::move(e));
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
