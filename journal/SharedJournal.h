#pragma once
// The journal a station writes to: its own SQLite journal, and, when a server is named, the
// journal the workshop shares on it. Every entry is made here first, queued to be shared, and
// sent to the server as it begins and as it completes; when the server is away the write goes
// on and the entry waits here until the server is back (the next run, or a sync). Entries
// keep the identity the station gave them, so that each arrives exactly once.

#include <functional>
#include <memory>
#include <vector>

#include <QElapsedTimer>

#include "ServerJournal.h"
#include "SqliteJournal.h"

namespace config {

// Which journal the user chose, and the name of the station.
struct HistoryChoice {
    std::optional<ServerAddress> server;  // none: the station's own journal only
    QString station;                      // empty: the host name
};

// The server from the command line's --history, else from TRNSETUP_HISTORY, else from the
// settings file's "history"; "local" names the station's own journal. The station from
// --station, else from the settings file's "station". The server's time-out in seconds from
// TRNSETUP_HISTORY_TIMEOUT, else from the settings file's "history_timeout". None, with why
// set, when the one that counts does not read, or when a server is named and PGPASSWORD is set
// (libpq would take the password from it).
std::optional<HistoryChoice> chooseHistory(const QString& option, const QString& environment,
                                           const QString& settingsFile,
                                           const QString& stationOption, QString* why);
// The settings file in the user's configuration folder.
QString historySettingsFile();

class SharedJournal : public Journal {
public:
    // The station's journal, sharing with the server; the server may be away. Entries that
    // wait from earlier runs are sent at once when it is not.
    SharedJournal(std::unique_ptr<SqliteJournal> local, ServerAddress server);

    std::optional<Message> begin(const CalibrationImage& before, const CalibrationImage& image,
                                 const QString& program, qint64* id) override;
    std::optional<Message> complete(qint64 id, Outcome outcome) override;
    // Shared only once complete: the server never holds a pending entry for it.
    std::optional<Message> refuse(const CalibrationImage& before, const CalibrationImage& image,
                                  const QString& program, qint64* id) override;
    // Asked of the server, which holds the whole workshop's entries; a failure while it is
    // away.
    std::optional<Message> entry(qint64 id, JournalEntry* out) override;
    std::optional<Message> find(const EntryQuery& query, std::vector<JournalEntry>* out) override;
    std::optional<Message> page(const EntryQuery& query, qint64 before, int limit,
                                std::vector<JournalEntry>* out, qint64* next) override;
    std::optional<Message> waitingEntries(std::vector<JournalEntry>* out) override;
    Sharing sharing() override;

    // Sends every entry that waits, counting those that arrive; those the server refused on
    // this object are left for the next run. A server that fails or does not answer stops it.
    void sync();

private:
    // The server, connected when it can be; none while it is away.
    ServerJournal* server();
    void share(qint64 id);
    // What the station's journal answered; once it has kept entry *id, the entry is shared.
    std::optional<Message> keptThenShared(std::optional<Message> failed, const qint64* id);
    void countWaiting();
    void fail(const Message& why);
    // The server found away: the connection is given up. took: how long finding it out took.
    void lost(const Message& why, const QElapsedTimer& took);
    // A question put to the server, or why it cannot be; the server may go away meanwhile.
    std::optional<Message> ask(
        const std::function<std::optional<Message>(ServerJournal&)>& question);
    bool refusedHere(qint64 id) const;
    void forgetRefusal(qint64 id);

    std::unique_ptr<SqliteJournal> local_;
    ServerAddress address_;
    std::unique_ptr<ServerJournal> server_;
    QElapsedTimer away_;              // since the server was last found away
    std::optional<Message> problem_;  // why the server is away, or what it refused
    Sharing sharing_;
};

// The journal the choice names, with the station's own journal in dataDir (and the files of
// earlier versions there imported). None, with failure set, when the station's own journal
// cannot be opened: without it nothing could wait for the server.
std::unique_ptr<Journal> openJournal(const QString& dataDir, const HistoryChoice& choice,
                                     Message* failure,
                                     std::vector<SqliteJournal::Skipped>* skipped);

}  // namespace config
