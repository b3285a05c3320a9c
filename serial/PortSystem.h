#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

#include "ControllerPorts.h"
#include "SerialPort.h"

// Lists and opens the serial ports that the controller search tries, and runs the search.
class PortSystem : public ControllerPorts {
public:
    // All serial ports the system knows.
    PortSystem() = default;
    // Exactly these device paths, in this order (ports named by the user); an empty list
    // means all serial ports the system knows.
    explicit PortSystem(QStringList ports) : ports_(std::move(ports)) {}

    // Device paths, in the system's enumeration order or in the order given.
    QStringList portNames() const override;
    // Opens a device for exclusive use; null on failure, with the reason in *reason.
    virtual std::unique_ptr<SerialPort> open(const QString& path, QString* reason);
    // A PortSearch over the ports named, opened through open().
    PortSearchResult search(const QStringList& names, Sleeper& sleeper,
                            const std::function<void(const LinkProgress&)>& progress) override;

private:
    QStringList ports_;
};

// Empties names, fills it from the port system and returns the number of names.
int EnumerateSerialPorts(const PortSystem& system, QStringList& names);
