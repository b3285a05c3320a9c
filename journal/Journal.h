#pragma once
// The journal of writes: one entry for every image sent to a controller, recorded as pending
// before the first frame goes out and completed with what came of it. Entries are never
// changed once completed and never deleted; their order is the store's own sequence, so a
// clock set back cannot reorder them. Each holds the whole image, so any entry can become a
// configuration file again.

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariant>

#include "CalibrationImage.h"
#include "ConfigFile.h"
#include "JournalQuery.h"

class QSqlQuery;

namespace config {

enum class Outcome {
    Pending,      // begun and not completed: under way, or the program ended during it
    Verified,     // written and read back equal
    Differs,      // written, but the read-back differs
    Failed,       // the write failed
    ReplyLost,    // the controller's reply was lost, but it read back as written
    NotVerified,  // written and acknowledged, not read back
    Refused,      // refused before anything was sent: the controller or the file
};

// The word a journal stores and the history command prints: "pending", "verified", ...
QString outcomeName(Outcome outcome);
std::optional<Outcome> outcomeNamed(const QString& name);
// Every outcome's name, in the order of the enumeration.
QStringList outcomeNames();
// What came of the write, as a window tells it: "written and verified", ...
QString outcomeText(Outcome outcome, Language language);

struct JournalEntry {
    qint64 id = 0;  // the store's sequence number
    QUuid uuid;     // made at the station, so that the entry keeps its identity elsewhere
    QString unit;
    QDateTime time;  // UTC, as the station's clock said when the write began
    QString program;
    QString host;
    std::optional<CalibrationImage> before;  // unknown for entries imported from files
    CalibrationImage image;                  // what was written
    Outcome outcome = Outcome::Pending;
    QString madeBy;  // the server's login role that added it; empty for the station's own

    // The entry as a configuration file's text.
    QString fileText(Language language) const;
};

// How both stores keep an entry's time (UTC, to the millisecond) and images (128 bytes; a null
// value for an image not known), and the image back from what they hold.
QString timeText(const QDateTime& time);
QVariant storedBytes(const std::optional<CalibrationImage>& image);
std::optional<CalibrationImage> imageOf(const QVariant& value);
struct JournalEntry;
// An entry from a row of both stores: id, uuid, unit, time, program, station, held, image,
// outcome, with the time as the store gives it read by time. False for a damaged row.
bool readRow(const QSqlQuery& row, const std::function<QDateTime(const QVariant&)>& time,
             JournalEntry* out);

// A store's rows as a page asks for them. scan: the images of the rows that SQL lets through
// of the query (as the store keeps them), newest first, at most n, each older than entry
// before. entries: the whole entries of the rows named, newest first.
struct PageRows {
    std::function<std::optional<Message>(qint64 before, int n,
                                         std::vector<std::pair<qint64, QVariant>>* images)>
        scan;
    std::function<std::optional<Message>(const std::vector<qint64>& ids,
                                         std::vector<JournalEntry>* out)>
        entries;
};
// A page of Journal::page from such rows: the images scanned in chunks until the page is full
// or no row is left, only the rows whose image holds the query's settings read whole, and each
// of those asked the whole query again.
std::optional<Message> gatherPage(const EntryQuery& query, qint64 before, int limit,
                                  const PageRows& rows, std::vector<JournalEntry>* out,
                                  qint64* next);
// "id IN (3, 2, 1)": the rows named, for SQL.
QString idsSql(const std::vector<qint64>& ids);
// How a store's SQL says what a query asks: the station's column and the comparisons of the
// time ("time >= ?", with the store's cast), and the image's byte at pos.
struct SqlNames {
    const char* station;
    const char* since;
    const char* until;
    QString (*byteSql)(int pos);
};
// Adds to where the SQL conditions that narrow a store's search for the query as far as SQL
// can, and to values what they take; before (0: none) keeps the rows older than that entry.
void narrowSql(const EntryQuery& query, const SqlNames& names, qint64 before, QStringList* where,
               QVariantList* values);
// Sets out to the entries of found that the whole query matches, in their order.
void keepMatching(const EntryQuery& query, std::vector<JournalEntry>& found,
                  std::vector<JournalEntry>* out);

class Journal {
public:
    virtual ~Journal() = default;

    // Records that image is about to be written over before, as pending; sets id.
    virtual std::optional<Message> begin(const CalibrationImage& before,
                                         const CalibrationImage& image, const QString& program,
                                         qint64* id) = 0;
    // Completes the pending entry id; refused for an entry already completed.
    virtual std::optional<Message> complete(qint64 id, Outcome outcome) = 0;
    // Records at once, completed as refused, that image was not written over before: nothing
    // went to the controller. A store that can should do it in one step, so that no pending
    // entry is ever seen for it.
    virtual std::optional<Message> refuse(const CalibrationImage& before,
                                          const CalibrationImage& image, const QString& program,
                                          qint64* id);
    // A unit's entries, newest first: the entries a query of the unit alone finds.
    std::optional<Message> entries(const QString& unit, std::vector<JournalEntry>* out);
    virtual std::optional<Message> entry(qint64 id, JournalEntry* out) = 0;
    // The entries the query matches, newest first.
    virtual std::optional<Message> find(const EntryQuery& query,
                                        std::vector<JournalEntry>* out) = 0;
    // One page of what find gives: at most limit entries, each older than entry before (0: from
    // the newest). next: where the following page begins, 0 when no entry is left. Each page
    // is asked of the store afresh, so that a journal of any size shows its first entries at
    // once.
    virtual std::optional<Message> page(const EntryQuery& query, qint64 before, int limit,
                                        std::vector<JournalEntry>* out, qint64* next) = 0;
    // The entries kept at this station that wait to be shared, oldest first; none in a journal
    // that shares nothing.
    virtual std::optional<Message> waitingEntries(std::vector<JournalEntry>* out) {
        out->clear();
        return std::nullopt;
    }

    // Entries kept at this station that wait to be shared with a server, and why they wait;
    // nothing waits in a journal that shares nothing.
    struct Sharing {
        int waiting = 0;
        QString why;
        int shared = 0;  // waiting entries this object has sent
        // An entry the server would not take, with its reason: it waits, and the rest go on.
        struct Refusal {
            qint64 id = 0;
            QString unit;
            QString why;
        };
        std::vector<Refusal> refused;  // by this object, each entry once, oldest first
    };
    // Counted afresh: other connections (a batch's units) add to what waits.
    virtual Sharing sharing() { return {}; }
};

}  // namespace config
