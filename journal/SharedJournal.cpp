#include "SharedJournal.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>

namespace config {

namespace {

// A server found away is asked again after this long, so that a long session sees it return
// without every write waiting for a connection that cannot be made.
constexpr qint64 RetryMilliseconds = 60000;
// A server found away only after waiting for it this long is not waited for again by the
// other connections of the process (a batch's units, each with its own) until it is asked
// again; one that refuses at once costs nothing to ask.
constexpr qint64 WaitedMilliseconds = 1000;

// The servers this process waited for in vain, by address: since when, and why.
class AwayServers {
public:
    static AwayServers& all() {
        static AwayServers servers;
        return servers;
    }
    std::optional<Message> why(const ServerAddress& address) {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto found = away_.constFind(address.text());
        if (found == away_.cend() || found->first.elapsed() >= RetryMilliseconds)
            return std::nullopt;
        return found->second;
    }
    void away(const ServerAddress& address, const Message& why) {
        QElapsedTimer since;
        since.start();
        const std::lock_guard<std::mutex> lock(mutex_);
        away_.insert(address.text(), {since, why});
    }
    void back(const ServerAddress& address) {
        const std::lock_guard<std::mutex> lock(mutex_);
        away_.remove(address.text());
    }

private:
    std::mutex mutex_;
    QHash<QString, std::pair<QElapsedTimer, Message>> away_;
};

// The time-out from text, or why not; name: where it was given.
std::optional<int> timeoutNamed(const QString& text, const QString& name, QString* why) {
    bool number = false;
    const int seconds = text.trimmed().toInt(&number);
    if (number && seconds >= 1 && seconds <= ServerAddress::LongestTimeout)
        return seconds;
    *why = QCoreApplication::translate("Journal", "%1 takes whole seconds from 1 to %2, not '%3'")
               .arg(name)
               .arg(ServerAddress::LongestTimeout)
               .arg(text);
    return std::nullopt;
}

}  // namespace

QString historySettingsFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("trnsetup.conf"));
}

std::optional<HistoryChoice> chooseHistory(const QString& option, const QString& environment,
                                           const QString& settingsFile,
                                           const QString& stationOption, QString* why) {
    const QSettings settings(settingsFile, QSettings::IniFormat);
    QString where = QStringLiteral("--history");
    QString text = option;
    if (text.isEmpty()) {
        where = QStringLiteral("TRNSETUP_HISTORY");
        text = environment;
    }
    if (text.isEmpty()) {
        where = QDir::toNativeSeparators(settingsFile);
        text = settings.value(QStringLiteral("history")).toString();
    }
    HistoryChoice choice;
    choice.station = stationOption.isEmpty() ? settings.value(QStringLiteral("station")).toString()
                                             : stationOption;
    if (text.isEmpty() || text == QLatin1String("local"))
        return choice;
    QString wrong;
    choice.server = ServerAddress::parse(text, &wrong);
    if (!choice.server) {
        *why = where + QStringLiteral(": ") + wrong;
        return std::nullopt;
    }
    // The README promises that no password comes from the environment; libpq would take one.
    if (!qEnvironmentVariableIsEmpty("PGPASSWORD")) {
        *why = QCoreApplication::translate(
            "Journal",
            "PGPASSWORD is set: trnsetup takes no password from the environment; unset it and "
            "put the password in ~/.pgpass (or the file PGPASSFILE names) or in a service file");
        return std::nullopt;
    }
    QString timeout = qEnvironmentVariable("TRNSETUP_HISTORY_TIMEOUT");
    QString name = QStringLiteral("TRNSETUP_HISTORY_TIMEOUT");
    where.clear();
    const bool fromSettings =
        timeout.isEmpty() && settings.contains(QStringLiteral("history_timeout"));
    if (fromSettings) {
        // A list ("5, 6") reads as no text, and is refused as any other text that is no number.
        timeout = settings.value(QStringLiteral("history_timeout")).toString();
        name = QStringLiteral("history_timeout");
        where = QDir::toNativeSeparators(settingsFile) + QStringLiteral(": ");
    }
    if (fromSettings || !timeout.isEmpty()) {
        const std::optional<int> seconds = timeoutNamed(timeout, name, &wrong);
        if (!seconds) {
            *why = where + wrong;
            return std::nullopt;
        }
        choice.server->timeout = *seconds;
    }
    return choice;
}

SharedJournal::SharedJournal(std::unique_ptr<SqliteJournal> local, ServerAddress server)
    : local_(std::move(local)), address_(std::move(server)) {
    local_->queueForServer(true);
    sync();
}

ServerJournal* SharedJournal::server() {
    // Another connection of this process waited for it in vain: this one does not wait again.
    if (const std::optional<Message> away = AwayServers::all().why(address_)) {
        server_.reset();
        fail(*away);
        return nullptr;
    }
    if (server_ || (away_.isValid() && away_.elapsed() < RetryMilliseconds))
        return server_.get();
    Message failure{};
    QElapsedTimer took;
    took.start();
    server_ = ServerJournal::open(address_, &failure);
    if (server_) {
        AwayServers::all().back(address_);
        away_.invalidate();
        problem_.reset();
        sharing_.why.clear();
    } else {
        lost(failure, took);
    }
    return server_.get();
}

void SharedJournal::fail(const Message& why) {
    problem_ = why;
    sharing_.why = why.text(Language::English);
}

void SharedJournal::lost(const Message& why, const QElapsedTimer& took) {
    fail(why);
    server_.reset();
    away_.start();
    if (took.elapsed() >= WaitedMilliseconds)
        AwayServers::all().away(address_, why);
}

bool SharedJournal::refusedHere(qint64 id) const {
    return std::any_of(sharing_.refused.begin(), sharing_.refused.end(),
                       [id](const Sharing::Refusal& r) { return r.id == id; });
}

void SharedJournal::forgetRefusal(qint64 id) {
    auto& refused = sharing_.refused;
    refused.erase(std::remove_if(refused.begin(), refused.end(),
                                 [id](const Sharing::Refusal& r) { return r.id == id; }),
                  refused.end());
}

void SharedJournal::share(qint64 id) {
    JournalEntry e;
    Outcome has = Outcome::Pending;
    ServerJournal* server = this->server();
    QElapsedTimer took;
    took.start();
    std::optional<Message> failed;
    if (!server) {
        ;  // waits: why is already told
    } else if ((failed = local_->entry(id, &e))) {
        fail(*failed);
    } else if ((failed = server->share(e, &has)) && server->away()) {
        // A connection that failed or went unanswered does not come back: given up.
        lost(*failed, took);
    } else if (failed) {
        // The server will not take this entry: it waits with the server's reason, and the
        // connection serves the others.
        forgetRefusal(id);
        sharing_.refused.push_back({id, e.unit, failed->args.value(1)});
        sharing_.why = failed->text(Language::English);
    } else if (auto notNoted = local_->serverHas(id, has)) {
        fail(*notNoted);
    } else {
        forgetRefusal(id);
    }
    countWaiting();
}

void SharedJournal::countWaiting() {
    std::vector<SqliteJournal::Queued> queued;
    if (auto failed = local_->waiting(&queued)) {
        fail(*failed);
        return;
    }
    sharing_.waiting = static_cast<int>(queued.size());
}

Journal::Sharing SharedJournal::sharing() {
    countWaiting();
    // Entries that other connections queued (a batch's units) wait for a reason not known on
    // this one: sending them now either shares them or finds out why not.
    if (sharing_.waiting > static_cast<int>(sharing_.refused.size()) && !problem_)
        sync();
    return sharing_;
}

void SharedJournal::sync() {
    std::vector<SqliteJournal::Queued> queued;
    int sent = 0;
    if (auto failed = local_->waiting(&queued))
        fail(*failed);
    for (const SqliteJournal::Queued& q : queued) {
        // Refused on this connection already: the server said why, and the next run asks again.
        if (refusedHere(q.entry.id))
            continue;
        if (!server())
            break;
        share(q.entry.id);
        if (!server_)
            break;
        if (!refusedHere(q.entry.id))
            ++sent;
    }
    countWaiting();
    sharing_.shared += sent;
}

std::optional<Message> SharedJournal::begin(const CalibrationImage& before,
                                            const CalibrationImage& image, const QString& program,
                                            qint64* id) {
    // Kept here first: a write never waits for the server, nor fails with it.
    return keptThenShared(local_->begin(before, image, program, id), id);
}

std::optional<Message> SharedJournal::complete(qint64 id, Outcome outcome) {
    return keptThenShared(local_->complete(id, outcome), &id);
}

std::optional<Message> SharedJournal::refuse(const CalibrationImage& before,
                                             const CalibrationImage& image, const QString& program,
                                             qint64* id) {
    // Recorded here in one step, queued for the server as it is made, and complete before
    // anything goes to the server: no pending entry is ever seen for it.
    return keptThenShared(local_->refuse(before, image, program, id), id);
}

std::optional<Message> SharedJournal::keptThenShared(std::optional<Message> failed,
                                                     const qint64* id) {
    if (failed)
        return failed;
    share(*id);
    return std::nullopt;
}

std::optional<Message> SharedJournal::ask(
    const std::function<std::optional<Message>(ServerJournal&)>& question) {
    ServerJournal* s = server();
    if (!s)
        return problem_.value_or(Message{Message::Kind::ServerFailed, 0, {address_.text(), {}}});
    QElapsedTimer took;
    took.start();
    std::optional<Message> failed = question(*s);
    if (failed && s->away())
        lost(*failed, took);
    return failed;
}

std::optional<Message> SharedJournal::entry(qint64 id, JournalEntry* out) {
    return ask([&](ServerJournal& s) { return s.entry(id, out); });
}

std::optional<Message> SharedJournal::find(const EntryQuery& query,
                                           std::vector<JournalEntry>* out) {
    return ask([&](ServerJournal& s) { return s.find(query, out); });
}

std::optional<Message> SharedJournal::page(const EntryQuery& query, qint64 before, int limit,
                                           std::vector<JournalEntry>* out, qint64* next) {
    return ask([&](ServerJournal& s) { return s.page(query, before, limit, out, next); });
}

std::optional<Message> SharedJournal::waitingEntries(std::vector<JournalEntry>* out) {
    std::vector<SqliteJournal::Queued> queued;
    if (auto failed = local_->waiting(&queued))
        return failed;
    out->clear();
    for (SqliteJournal::Queued& q : queued) out->push_back(std::move(q.entry));
    return std::nullopt;
}

std::unique_ptr<Journal> openJournal(const QString& dataDir, const HistoryChoice& choice,
                                     Message* failure,
                                     std::vector<SqliteJournal::Skipped>* skipped) {
    std::unique_ptr<SqliteJournal> local = SqliteJournal::open(
        QDir(dataDir).filePath(QStringLiteral("journal.sqlite")), failure, {choice.station, {}});
    if (!local)
        return nullptr;
    *skipped = local->importFiles(dataDir);
    if (!choice.server)
        return local;
    return std::make_unique<SharedJournal>(std::move(local), *choice.server);
}

}  // namespace config
