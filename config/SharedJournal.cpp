#include "SharedJournal.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace config {

namespace {

// A server found away is asked again after this long, so that a long session sees it return
// without every write waiting for a connection that cannot be made.
constexpr qint64 RetryMilliseconds = 60000;

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
    return choice;
}

SharedJournal::SharedJournal(std::unique_ptr<SqliteJournal> local, ServerAddress server)
    : local_(std::move(local)), address_(std::move(server)) {
    local_->queueForServer(true);
    sync();
}

ServerJournal* SharedJournal::server() {
    if (server_ || (away_.isValid() && away_.elapsed() < RetryMilliseconds))
        return server_.get();
    Message failure{};
    server_ = ServerJournal::open(address_, &failure);
    if (server_) {
        away_.invalidate();
        problem_.reset();
        sharing_.why.clear();
    } else {
        away_.start();
        fail(failure);
    }
    return server_.get();
}

void SharedJournal::fail(const Message& why) {
    problem_ = why;
    sharing_.why = why.text(Language::English);
}

void SharedJournal::share(qint64 id) {
    JournalEntry e;
    Outcome has = Outcome::Pending;
    ServerJournal* server = this->server();
    std::optional<Message> failed;
    if (!server)
        ;  // waits: why is already told
    else if ((failed = local_->entry(id, &e)) || (failed = server->share(e, &has))) {
        // The connection is given up: a server gone away does not come back on it.
        fail(*failed);
        server_.reset();
        away_.start();
    } else if (auto notNoted = local_->serverHas(id, has)) {
        fail(*notNoted);
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
    if (sharing_.waiting > 0 && !problem_)
        sync();
    return sharing_;
}

void SharedJournal::sync() {
    std::vector<SqliteJournal::Queued> queued;
    int sent = 0;
    if (auto failed = local_->waiting(&queued))
        fail(*failed);
    for (const SqliteJournal::Queued& q : queued) {
        if (!server())
            break;
        share(q.entry.id);
        if (!server_)
            break;
        ++sent;
    }
    countWaiting();
    sharing_.shared += sent;
}

std::optional<Message> SharedJournal::begin(const CalibrationImage& before,
                                            const CalibrationImage& image, const QString& program,
                                            qint64* id) {
    // Kept here first: a write never waits for the server, nor fails with it.
    if (auto failed = local_->begin(before, image, program, id))
        return failed;
    share(*id);
    return std::nullopt;
}

std::optional<Message> SharedJournal::complete(qint64 id, Outcome outcome) {
    if (auto failed = local_->complete(id, outcome))
        return failed;
    share(id);
    return std::nullopt;
}

std::optional<Message> SharedJournal::entries(const QString& unit, std::vector<JournalEntry>* out) {
    if (ServerJournal* s = server())
        return s->entries(unit, out);
    return problem_.value_or(Message{Message::Kind::Unreadable, 0, {address_.text(), {}}});
}

std::optional<Message> SharedJournal::entry(qint64 id, JournalEntry* out) {
    if (ServerJournal* s = server())
        return s->entry(id, out);
    return problem_.value_or(Message{Message::Kind::Unreadable, 0, {address_.text(), {}}});
}

std::optional<Message> SharedJournal::find(const EntryQuery& query,
                                           std::vector<JournalEntry>* out) {
    if (ServerJournal* s = server())
        return s->find(query, out);
    return problem_.value_or(Message{Message::Kind::Unreadable, 0, {address_.text(), {}}});
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
