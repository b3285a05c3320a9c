#pragma once
// The journal in an SQLite database file, through Qt SQL. Write-ahead logging, a full sync on
// every commit and one transaction per change keep every committed entry through a crash or a
// power cut; several processes may write at once, each waiting its turn.

#include <functional>
#include <memory>

#include <QVariant>

#include "Journal.h"

class QSqlDatabase;
class QSqlQuery;

namespace config {

class SqliteJournal : public Journal {
public:
    // What the station says of itself; empty members ask the system.
    struct Station {
        QString host;
        std::function<QDateTime()> clock;
    };
    // A file of an earlier version that could not be imported, and why.
    struct Skipped {
        QString path;
        Message why;
    };

    // Opens the journal at path, making the file and its folder when missing; none, with
    // failure set, when it cannot. An object is used by the thread that opened it only: each
    // has its own connection.
    static std::unique_ptr<SqliteJournal> open(const QString& path, Message* failure,
                                               Station station = {});
    ~SqliteJournal() override;
    SqliteJournal(const SqliteJournal&) = delete;
    SqliteJournal& operator=(const SqliteJournal&) = delete;

    std::optional<Message> begin(const CalibrationImage& before, const CalibrationImage& image,
                                 const QString& program, qint64* id) override;
    std::optional<Message> complete(qint64 id, Outcome outcome) override;
    std::optional<Message> refuse(const CalibrationImage& before, const CalibrationImage& image,
                                  const QString& program, qint64* id) override;
    std::optional<Message> entry(qint64 id, JournalEntry* out) override;
    std::optional<Message> find(const EntryQuery& query, std::vector<JournalEntry>* out) override;
    std::optional<Message> page(const EntryQuery& query, qint64 before, int limit,
                                std::vector<JournalEntry>* out, qint64* next) override;

    // While on, every entry begun is also queued to be shared with a server, in the same
    // transaction, so that no entry made while a server is named can miss it.
    void queueForServer(bool on) { queue_ = on; }
    // A queued entry and the outcome the server is known to hold for it (none: nothing yet).
    struct Queued {
        JournalEntry entry;
        std::optional<Outcome> serverHas;
    };
    // The queued entries the server does not hold as they are here, oldest first.
    std::optional<Message> waiting(std::vector<Queued>* out);
    // Notes what the server holds of entry id; an entry the server holds completed, as it is
    // here, leaves the queue.
    std::optional<Message> serverHas(qint64 id, Outcome outcome);

    // Takes in the configuration files that earlier versions kept under folder, one folder a
    // unit, named by the UTC time of the write; oldest first, so that they keep their order.
    // A file is taken once, remembered by its name under folder; the files stay as they are.
    std::vector<Skipped> importFiles(const QString& folder);

private:
    SqliteJournal(QString path, QString connection, Station station);
    QSqlDatabase database() const;
    std::optional<Message> prepare();
    // An entry made with this outcome, queued for a server when one is named.
    std::optional<Message> add(const CalibrationImage& before, const CalibrationImage& image,
                               const QString& program, Outcome outcome, qint64* id);
    // Runs work inside one transaction that holds the write lock from its start, so that what
    // work reads cannot change before it writes.
    std::optional<Message> transaction(const std::function<std::optional<Message>()>& work);
    std::optional<Message> exec(QSqlQuery& query, const QString& sql, const QVariantList& values,
                                Message::Kind kind) const;
    std::optional<Message> readEntry(const QSqlQuery& query, JournalEntry* out) const;
    // The entries where holds, newest first.
    std::optional<Message> select(const QString& where, const QVariantList& values,
                                  std::vector<JournalEntry>* out);
    Message failure(Message::Kind kind, const QString& reason) const;
    Message newerJournal(int version) const;

    QString path_;
    QString connection_;
    Station station_;
    bool queue_ = false;
};

// The file of the station's journal in dataDir.
QString stationJournalFile(const QString& dataDir);

// The station's journal, journal.sqlite in dataDir, with the files of earlier versions under
// dataDir imported. None, with failure set, when it cannot be opened.
std::unique_ptr<Journal> openStationJournal(const QString& dataDir, Message* failure,
                                            std::vector<SqliteJournal::Skipped>* skipped);

}  // namespace config
