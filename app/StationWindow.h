#pragma once
// The production line in a window: the file's settings at the top, a tile per watched port
// that shows what its unit is and what came of it, the session's counters and its record.
// Each tile's unit is handled on a thread of its own by the job given, so that the window
// never waits on a controller.

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include <QTimer>
#include <QWidget>

#include "ControllerPorts.h"
#include "StationReport.h"
#include "Texts.h"
#include "UnitRunner.h"

class PortWatcher;
class QGridLayout;
class QLabel;

class StationWindow : public QWidget {
    Q_OBJECT
public:
    // What a tile's thread does to its port: reads the unit, asks fresh with its name whether
    // it is new on the port (false: handled already while connected, nothing done), writes it.
    // waits: what the journal says of entries waiting to be shared, empty when none do.
    using Job =
        std::function<void(UnitReport& unit, UnitChannel& channel,
                           const std::function<bool(const QString&)>& fresh, QString* waits)>;
    struct Setup {
        config::Language language = config::Language::English;
        QString fileName;
        QStringList fileLines;                     // its identity, then its settings
        QStringList ports;                         // named: always watched
        const ControllerPorts* watched = nullptr;  // when none is named: followed
        QString reportBase;                        // the report's path without its suffix
        Job job;
    };
    explicit StationWindow(Setup setup, QWidget* parent = nullptr);
    ~StationWindow() override;

    // Every unit met in the session, in the order their outcomes came.
    const std::vector<UnitReport>& units() const { return units_; }
    struct Counts {
        int verified = 0, refused = 0, failed = 0;
    };
    // The session's counters: green, refused, and every other outcome that is red.
    Counts counts() const;
    QString countersText() const;
    const QString& reportBase() const { return setup_.reportBase; }
    // Saves the session's record; the reason when it failed.
    QString saveReport();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Tile;
    QString text(const char* source) const;
    QWidget* header();
    Tile& addTile(const QString& port);
    void portsChanged(const QStringList& added, const QStringList& removed);
    void tick();
    void start(Tile& tile);
    bool claim(Tile& tile, const QString& unit);
    void finished(Tile& tile, const UnitReport& unit, const QString& waits);
    void release(Tile& tile);
    void showIdle(Tile& tile);
    void showOutcome(Tile& tile, const UnitReport& unit, const QString& waits);
    void showStage(Tile& tile, const QString& what);
    int running() const;
    void record(const UnitReport& unit);

    Setup setup_;
    std::vector<std::unique_ptr<Tile>> tiles_;
    std::vector<UnitReport> units_;
    StationRecord record_;
    std::mutex mutex_;           // the units' names claimed, by the tiles' threads
    std::set<QString> claimed_;  // port and unit of each unit handled and still connected
    QGridLayout* grid_ = nullptr;
    QLabel* counters_ = nullptr;
    QLabel* status_ = nullptr;
    std::unique_ptr<PortWatcher> watcher_;
    QTimer poll_;
    bool closing_ = false;
};
