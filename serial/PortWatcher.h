#pragma once

#include <vector>

#include <QObject>
#include <QStringList>
#include <QTimer>

#include "ControllerPorts.h"

// Follows the ports coming and going (USB adapters plugged in and out, links added to a folder)
// by listing them again once a second. Polled rather than told by udev: udev knows nothing of a
// folder of links, the list is cheap to read, and a second is less than a user takes to plug an
// adapter in and look at the screen.
class PortWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 1000;

    explicit PortWatcher(const ControllerPorts& ports, QObject* parent = nullptr);

    // Starts looking; the ports named are known already, so only others are news.
    void start(const QStringList& known);
    void stop();
    // While paused (a search runs on a port), nothing is looked at: what changed meanwhile is
    // news at the first look after.
    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    // Looks now, as the timer does.
    void poll();

    // The ports at the last look, with their descriptions.
    const std::vector<PortDescription>& ports() const { return ports_; }

signals:
    // Ports that appeared and ports that went away since the look before, in list order.
    void changed(const QStringList& added, const QStringList& removed);

private:
    const ControllerPorts& system_;
    QTimer timer_;
    std::vector<PortDescription> ports_;
    QStringList known_;
    bool paused_ = false;
};
