#include "StationWindow.h"

#include <atomic>
#include <thread>

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ConfigFile.h"
#include "ExitStatus.h"
#include "Journal.h"
#include "PortWatcher.h"

namespace {

constexpr int TileColumns = 3;

// What the tiles show and what the counters count: the one rule of what is green.
enum class Shade { Neutral, Green, Red };

Shade shadeOf(const UnitReport& unit) {
    using namespace exitstatus;
    if (unit.outcome == config::outcomeName(config::Outcome::Verified))
        return unit.status == Done || unit.status == Waiting ? Shade::Green : Shade::Red;
    return unit.outcome == QLatin1String("unchanged") ? Shade::Neutral : Shade::Red;
}

QString styleOf(Shade shade) {
    switch (shade) {
        case Shade::Green:
            return QStringLiteral("QFrame#tile { background: #1b7a2e; } QLabel { color: white; }");
        case Shade::Red:
            return QStringLiteral("QFrame#tile { background: #b3261e; } QLabel { color: white; }");
        case Shade::Neutral:
            break;
    }
    return QStringLiteral("QFrame#tile { border: 2px solid palette(mid); }");
}

}  // namespace

struct StationWindow::Tile {
    QString port;
    QFrame* frame = nullptr;
    QLabel* big = nullptr;
    QLabel* small = nullptr;
    QLabel* last = nullptr;
    bool present = true;  // the port is there to be tried
    bool busy = false;    // its thread runs
    bool green = false;
    std::thread thread;
    QString key;                     // the unit claimed on it, empty when none
    QString lastText;                // what came of the unit before, for the idle tile
    std::atomic<bool> armed{false};  // its thread works on a fresh unit: its stages show
};

namespace {

// A tile's unit: its lines kept in its report, its stages shown once the unit is fresh.
class TileChannel : public UnitChannel {
public:
    TileChannel(UnitReport& unit, std::function<void(const QString&)> show,
                const std::atomic<bool>& armed)
        : unit_(unit), show_(std::move(show)), armed_(armed) {}
    void say(const QString& line) override { unit_.lines << line; }
    void fail(const QString& line) override { unit_.errors << line; }
    void found(const CalibrationImage&) override {}
    void stage(const QString& what) override {
        stage_ = what;
        if (armed_)
            show_(what);
    }
    void detail(const QString& what) override {
        if (armed_)
            show_(stage_ + QStringLiteral(": ") + what);
    }

private:
    UnitReport& unit_;
    std::function<void(const QString&)> show_;
    const std::atomic<bool>& armed_;
    QString stage_;
};

}  // namespace

StationWindow::StationWindow(Setup setup, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)) {
    setWindowTitle(text(QT_TRANSLATE_NOOP("Station", "Production line")) + QStringLiteral(": ") +
                   setup_.fileName);
    record_.title = windowTitle();
    record_.fileLines = setup_.fileLines;
    record_.headings = {text(QT_TRANSLATE_NOOP("Station", "time")),
                        config::translated(setup_.language, "Commands", "port"),
                        text(QT_TRANSLATE_NOOP("Station", "unit")),
                        config::translated(setup_.language, "Commands", "outcome"),
                        text(QT_TRANSLATE_NOOP("Station", "journal entry"))};
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header());
    auto* tiles = new QWidget;
    grid_ = new QGridLayout(tiles);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(tiles);
    layout->addWidget(scroll, 1);
    status_ = new QLabel;
    status_->setWordWrap(true);
    layout->addWidget(status_);

    QStringList ports = setup_.ports;
    if (ports.isEmpty() && setup_.watched) {
        watcher_ = std::make_unique<PortWatcher>(*setup_.watched);
        connect(watcher_.get(), &PortWatcher::changed, this, &StationWindow::portsChanged);
        ports = setup_.watched->portNames();
        watcher_->start(ports);
    }
    for (const QString& port : ports) addTile(port);
    connect(&poll_, &QTimer::timeout, this, &StationWindow::tick);
    poll_.start(PortWatcher::IntervalMs);
    QTimer::singleShot(0, this, &StationWindow::tick);
    resize(1000, 700);
}

StationWindow::~StationWindow() {
    poll_.stop();
    for (auto& tile : tiles_)
        if (tile->thread.joinable())
            tile->thread.join();
}

QString StationWindow::text(const char* source) const {
    return config::translated(setup_.language, "Station", source);
}

// The file's identity and settings, read-only, and the session's counters.
QWidget* StationWindow::header() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    auto* settings = new QPlainTextEdit(setup_.fileLines.join(QLatin1Char('\n')));
    settings->setReadOnly(true);
    settings->setMaximumHeight(160);
    settings->setAccessibleName(text(QT_TRANSLATE_NOOP("Station", "The file's settings")));
    row->addWidget(settings, 2);
    auto* side = new QVBoxLayout;
    counters_ = new QLabel;
    QFont font = counters_->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    counters_->setFont(font);
    counters_->setText(countersText());
    side->addWidget(counters_);
    auto* save = new QPushButton(text(QT_TRANSLATE_NOOP("Station", "&Save the report")));
    connect(save, &QPushButton::clicked, this, [this] {
        const QString why = saveReport();
        status_->setText(why.isEmpty() ? text(QT_TRANSLATE_NOOP("Station", "Report saved: %1"))
                                             .arg(setup_.reportBase + QStringLiteral(".csv, .pdf"))
                                       : why);
    });
    side->addWidget(save);
    side->addStretch();
    row->addLayout(side, 1);
    return box;
}

StationWindow::Tile& StationWindow::addTile(const QString& port) {
    auto tile = std::make_unique<Tile>();
    tile->port = port;
    tile->frame = new QFrame;
    tile->frame->setObjectName(QStringLiteral("tile"));
    tile->frame->setMinimumSize(300, 170);
    auto* column = new QVBoxLayout(tile->frame);
    auto* name = new QLabel(port);
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tile->big = new QLabel;
    // Read from a metre away.
    QFont font = tile->big->font();
    font.setPointSizeF(font.pointSizeF() * 2.6);
    font.setBold(true);
    tile->big->setFont(font);
    tile->big->setWordWrap(true);
    tile->small = new QLabel;
    QFont middle = tile->small->font();
    middle.setPointSizeF(middle.pointSizeF() * 1.5);
    tile->small->setFont(middle);
    tile->small->setWordWrap(true);
    tile->last = new QLabel;
    tile->last->setWordWrap(true);
    for (QLabel* l : {name, tile->big, tile->small, tile->last}) column->addWidget(l);
    column->addStretch();
    const int at = static_cast<int>(tiles_.size());
    grid_->addWidget(tile->frame, at / TileColumns, at % TileColumns);
    tiles_.push_back(std::move(tile));
    showIdle(*tiles_.back());
    return *tiles_.back();
}

void StationWindow::portsChanged(const QStringList& added, const QStringList& removed) {
    for (const QString& port : added) {
        auto known = std::find_if(tiles_.begin(), tiles_.end(),
                                  [&](const auto& t) { return t->port == port; });
        Tile& tile = known != tiles_.end() ? **known : addTile(port);
        tile.present = true;
        start(tile);  // at once: the timer's second is not waited for
    }
    for (auto& tile : tiles_)
        if (removed.contains(tile->port)) {
            tile->present = false;
            if (!tile->busy) {
                release(*tile);
                showIdle(*tile);
            }
        }
}

// Every port not busy is tried again: a unit appears on it, or the one on it went away.
void StationWindow::tick() {
    for (auto& tile : tiles_) start(*tile);
}

void StationWindow::start(Tile& tile) {
    if (tile.busy || !tile.present || closing_)
        return;
    tile.busy = true;
    tile.armed = false;
    tile.thread = std::thread([this, &tile] {
        UnitReport unit;
        unit.port = tile.port;
        const auto show = [this, &tile](const QString& what) {
            QMetaObject::invokeMethod(this, [this, &tile, what] { showStage(tile, what); });
        };
        TileChannel channel(unit, show, tile.armed);
        QString waits;
        setup_.job(
            unit, channel, [this, &tile](const QString& name) { return claim(tile, name); },
            &waits);
        QMetaObject::invokeMethod(this,
                                  [this, &tile, unit, waits] { finished(tile, unit, waits); });
    });
}

// On the tile's thread: whether the unit named is new on its port; if so, it is its tile's.
bool StationWindow::claim(Tile& tile, const QString& unit) {
    const QString key = tile.port + QLatin1Char(' ') + unit;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!claimed_.insert(key).second)
            return false;
    }
    tile.armed = true;
    QMetaObject::invokeMethod(this, [this, &tile, key, unit] {
        release(tile);  // a unit swapped between two looks: the one before is gone
        tile.key = key;
        tile.green = false;
        tile.frame->setStyleSheet(styleOf(Shade::Neutral));
        tile.big->setText(text(QT_TRANSLATE_NOOP("Station", "connected")));
        tile.small->setText(unit);
        tile.frame->setToolTip({});
    });
    return true;
}

void StationWindow::release(Tile& tile) {
    if (tile.key.isEmpty())
        return;
    const std::lock_guard<std::mutex> lock(mutex_);
    claimed_.erase(tile.key);
    tile.key.clear();
}

void StationWindow::finished(Tile& tile, const UnitReport& unit, const QString& waits) {
    tile.thread.join();
    tile.busy = false;
    if (!unit.found) {
        // Unplugged, or it stopped answering: the next unit on the port is new.
        release(tile);
        showIdle(tile);
    } else if (!unit.outcome.isEmpty()) {
        showOutcome(tile, unit, waits);
        record(unit);
    }
    if (closing_ && running() == 0)
        close();
}

void StationWindow::showIdle(Tile& tile) {
    tile.green = false;
    tile.frame->setStyleSheet(styleOf(Shade::Neutral));
    tile.big->setText(text(QT_TRANSLATE_NOOP("Station", "idle")));
    tile.last->setText(tile.lastText);
    tile.small->setText(tile.present ? text(QT_TRANSLATE_NOOP("Station", "waiting for a unit"))
                                     : text(QT_TRANSLATE_NOOP("Station", "port gone")));
}

void StationWindow::showStage(Tile& tile, const QString& what) {
    if (tile.busy && !tile.key.isEmpty())
        tile.big->setText(what);
}

void StationWindow::showOutcome(Tile& tile, const UnitReport& unit, const QString& waits) {
    const Shade shade = shadeOf(unit);
    tile.green = shade == Shade::Green;
    tile.frame->setStyleSheet(styleOf(shade));
    const std::optional<config::Outcome> known = config::outcomeNamed(unit.outcome);
    const QString words =
        known ? config::outcomeText(*known, setup_.language)
        : unit.outcome == QLatin1String("unchanged")
            ? text(QT_TRANSLATE_NOOP("Station", "unchanged: it held the file's settings"))
            : unit.outcome;
    tile.big->setText(words);
    const QString name = unit.controller ? config::unitName(*unit.controller) : QString();
    tile.small->setText(
        waits.isEmpty()
            ? name
            : name + QLatin1Char('\n') +
                  text(QT_TRANSLATE_NOOP("Station", "its journal entry waits to be shared")));
    // The reason one look away: every line the unit's write printed.
    QStringList why = unit.errors;
    if (!waits.isEmpty())
        why << waits;
    why << unit.lines;
    tile.frame->setToolTip(why.join(QLatin1Char('\n')).toHtmlEscaped());
    tile.lastText = text(QT_TRANSLATE_NOOP("Station", "last: %1 %2")).arg(name, words);
    tile.last->clear();  // shown once the tile is idle again
}

int StationWindow::running() const {
    return static_cast<int>(
        std::count_if(tiles_.begin(), tiles_.end(), [](const auto& t) { return t->busy; }));
}

void StationWindow::record(const UnitReport& unit) {
    units_.push_back(unit);
    record_.rows.push_back({QDateTime::currentDateTimeUtc(), unit.port,
                            unit.controller ? config::unitName(*unit.controller) : QString(),
                            unit.outcome, unit.entry});
    counters_->setText(countersText());
    // Kept current, so that a power cut loses no unit of the record.
    if (const QString why = saveReport(); !why.isEmpty())
        status_->setText(why);
}

StationWindow::Counts StationWindow::counts() const {
    Counts c;
    for (const UnitReport& u : units_) {
        if (shadeOf(u) == Shade::Green)
            ++c.verified;
        else if (u.outcome == config::outcomeName(config::Outcome::Refused))
            ++c.refused;
        else if (shadeOf(u) == Shade::Red)
            ++c.failed;
    }
    return c;
}

QString StationWindow::countersText() const {
    const Counts c = counts();
    return text(QT_TRANSLATE_NOOP("Station", "verified %1   refused %2   failed %3"))
        .arg(c.verified)
        .arg(c.refused)
        .arg(c.failed);
}

QString StationWindow::saveReport() {
    record_.counters = countersText();
    const QString why = saveStationRecord(record_, setup_.reportBase);
    return why.isEmpty()
               ? why
               : text(QT_TRANSLATE_NOOP("Station", "the report is not saved: %1")).arg(why);
}

// A write under way is never abandoned: the window waits for every tile's thread.
void StationWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    poll_.stop();
    if (watcher_)
        watcher_->stop();
    if (running() > 0) {
        event->ignore();
        status_->setText(text(QT_TRANSLATE_NOOP(
            "Station", "Closing: waiting for the units being written to finish.")));
        return;
    }
    if (const QString why = saveReport(); !why.isEmpty())
        status_->setText(why);
    event->accept();
}
