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
    // The entries of folder, by name, stand in for the system's ports when no port is named: a
    // folder of links to devices, such as /dev/serial/by-id, or simulators' links in tests.
    PortSystem(QStringList ports, QString folder)
        : ports_(std::move(ports)), folder_(std::move(folder)) {}

    // Device paths, in the system's enumeration order, the folder's or the order given.
    QStringList portNames() const override;
    // The ports with the USB product and serial number the system knows of their devices.
    std::vector<PortDescription> describePorts() const override;
    // Opens a device for exclusive use; null on failure, with the reason in *reason.
    virtual std::unique_ptr<SerialPort> open(const QString& path, QString* reason);
    // A PortSearch over the ports named, opened through open().
    PortSearchResult search(const QStringList& names, Sleeper& sleeper,
                            const std::function<void(const LinkProgress&)>& progress) override;

private:
    QStringList ports_;
    QString folder_;
};

// Empties names, fills it from the port system and returns the number of names.
int EnumerateSerialPorts(const PortSystem& system, QStringList& names);
