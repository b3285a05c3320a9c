#pragma once
// The journal on a PostgreSQL server that the stations of a workshop share, through Qt SQL.
// Entries keep the identity their station gave them, so that one shared twice is kept once.
// The server's own rules (a trigger, and the grants the README gives a station role) keep a
// completed entry final and every entry for good, whatever program connects.

#include <cstdint>
#include <memory>

#include <QString>
#include <QVariant>

#include "Journal.h"

class QSqlError;
class QSqlQuery;
struct pg_conn;

namespace config {

// postgresql://USER@HOST[:PORT]/DB[?sslmode=MODE]; never a password, which belongs in
// libpq's password file (~/.pgpass or PGPASSFILE) or service file.
struct ServerAddress {
    QString user;  // empty: libpq's default
    QString host;  // a name, an address, or a socket folder (percent-encoded "/")
    int port = 5432;
    QString database;
    QString sslmode = QStringLiteral("prefer");
    // Seconds that any exchange with the server may take, connecting included: a server that
    // does not answer within them is away.
    int timeout = DefaultTimeout;
    static constexpr int DefaultTimeout = 5;
    static constexpr int LongestTimeout = 600;

    // None, with why set, when the text is not such an address.
    static std::optional<ServerAddress> parse(const QString& text, QString* why);
    // The address as given, for messages.
    QString text() const;
};

class Watchdog;

class ServerJournal {
public:
    // The version of the tables this program reads and writes.
    static constexpr int SchemaVersion = 2;

    // Connects and checks that the server holds a journal of this version; none, with failure
    // set, when it cannot be reached or holds none, an older or a newer one.
    static std::unique_ptr<ServerJournal> open(const ServerAddress& address, Message* failure);
    // Creates the journal's tables, or upgrades older ones; what was done, or why not.
    static std::optional<Message> init(const ServerAddress& address, QString* done);
    ~ServerJournal();
    ServerJournal(const ServerJournal&) = delete;
    ServerJournal& operator=(const ServerJournal&) = delete;

    // Adds an entry made at a station unless the server has one of its identity, and
    // completes it there as it is completed here. serverHas: the outcome the server holds.
    std::optional<Message> share(const JournalEntry& entry, Outcome* serverHas);
    std::optional<Message> entry(qint64 id, JournalEntry* out);
    std::optional<Message> find(const EntryQuery& query, std::vector<JournalEntry>* out);
    // As Journal::page.
    std::optional<Message> page(const EntryQuery& query, qint64 before, int limit,
                                std::vector<JournalEntry>* out, qint64* next);

    const ServerAddress& address() const { return address_; }
    // Whether the last failure was the server's or the connection's (gone, no answer in time,
    // out of resources): the server cannot be counted on for now, and this object is of no
    // more use. Otherwise a failure was about what was asked, an entry the server refuses.
    bool away() const { return away_; }

private:
    class Exchange;

    ServerJournal(ServerAddress address, QString connection);
    static std::unique_ptr<ServerJournal> connect(const ServerAddress& address, Message* failure);
    // The version the server's journal has; 0 when it has none.
    std::optional<Message> version(int* out);
    std::optional<Message> exec(QSqlQuery& query, const QString& sql,
                                const QVariantList& values = {});
    std::optional<Message> select(const QString& where, const QVariantList& values,
                                  std::vector<JournalEntry>* out, const EntryQuery* recheck);
    Message failure(const QString& reason) const;
    // The failure a statement or the connection reported; notes whether the server is away.
    Message serverFailure(const QSqlError& error);
    pg_conn* handle() const;

    ServerAddress address_;
    QString connection_;
    std::unique_ptr<Watchdog> watchdog_;
    std::uint64_t socketInode_ = 0;  // the connection's socket, among those made
    bool exchanging_ = false;
    bool timedOut_ = false;
    bool away_ = false;
};

}  // namespace config
