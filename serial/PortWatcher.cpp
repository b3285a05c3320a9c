#include "PortWatcher.h"

#include <QScopedValueRollback>

PortWatcher::PortWatcher(const ControllerPorts& ports, QObject* parent)
    : QObject(parent), system_(ports) {
    timer_.setInterval(IntervalMs);
    connect(&timer_, &QTimer::timeout, this, &PortWatcher::poll);
}

void PortWatcher::start(const QStringList& known) {
    known_ = known;
    ports_ = system_.describePorts();
    timer_.start();
    // What came or went between the search and now is news at once.
    poll();
}

void PortWatcher::stop() {
    timer_.stop();
}

void PortWatcher::poll() {
    if (paused_)
        return;
    ports_ = system_.describePorts();
    QStringList now;
    for (const PortDescription& port : ports_) now << port.path;
    QStringList added;
    QStringList removed;
    for (const QString& path : now)
        if (!known_.contains(path))
            added << path;
    for (const QString& path : std::as_const(known_))
        if (!now.contains(path))
            removed << path;
    known_ = now;
    if (added.isEmpty() && removed.isEmpty())
        return;
    // Whoever searches the new ports pauses the watcher; a look under way must not run again.
    const QScopedValueRollback<bool> busy(paused_, true);
    emit changed(added, removed);
}
