#pragma once
// The journal on a PostgreSQL server that the stations of a workshop share, through Qt SQL.
// Entries keep the identity their station gave them, so that one shared twice is kept once.
// The server's own rules (a trigger, and the grants the README gives a station role) keep a
// completed entry final and every entry for good, whatever program connects.

#include <memory>

#include <QString>
#include <QVariant>

#include "Journal.h"

class QSqlQuery;

namespace config {

// postgresql://USER@HOST[:PORT]/DB[?sslmode=MODE]; never a password, which belongs in
// libpq's password file (~/.pgpass or PGPASSFILE) or service file.
struct ServerAddress {
    QString user;  // empty: libpq's default
    QString host;  // a name, an address, or a socket folder (percent-encoded "/")
    int port = 5432;
    QString database;
    QString sslmode = QStringLiteral("prefer");

    // None, with why set, when the text is not such an address.
    static std::optional<ServerAddress> parse(const QString& text, QString* why);
    // The address as given, for messages.
    QString text() const;
};

class ServerJournal {
public:
    // The version of the tables this program reads and writes.
    static constexpr int SchemaVersion = 1;

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
    std::optional<Message> entries(const QString& unit, std::vector<JournalEntry>* out);
    std::optional<Message> entry(qint64 id, JournalEntry* out);
    std::optional<Message> find(const EntryQuery& query, std::vector<JournalEntry>* out);

    const ServerAddress& address() const { return address_; }

private:
    ServerJournal(ServerAddress address, QString connection);
    static std::unique_ptr<ServerJournal> connect(const ServerAddress& address, Message* failure);
    // The version the server's journal has; 0 when it has none.
    std::optional<Message> version(int* out);
    std::optional<Message> exec(QSqlQuery& query, const QString& sql,
                                const QVariantList& values = {}) const;
    std::optional<Message> select(const QString& where, const QVariantList& values,
                                  std::vector<JournalEntry>* out, const EntryQuery* recheck);
    Message failure(const QString& reason) const;

    ServerAddress address_;
    QString connection_;
};

}  // namespace config
