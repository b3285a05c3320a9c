#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

#include "SerialPort.h"

// Lists and opens the serial ports that the controller search tries.
class PortSystem {
public:
    // All serial ports the system knows.
    PortSystem() = default;
    // Exactly these device paths, in this order (ports named by the user); an empty list
    // means all serial ports the system knows.
    explicit PortSystem(QStringList ports) : ports_(std::move(ports)) {}
    virtual ~PortSystem() = default;

    // Device paths, in the system's enumeration order or in the order given.
    virtual QStringList portNames() const;
    // Opens a device for exclusive use; null on failure, with the reason in *reason.
    virtual std::unique_ptr<SerialPort> open(const QString& path, QString* reason);

private:
    QStringList ports_;
};

// Number of the message "Set RS232 port error!", shown for each failing configuration step.
inline constexpr int SetPortErrorMessage = 164;

// Empties names, fills it from the port system and returns the number of names.
int EnumerateSerialPorts(const PortSystem& system, QStringList& names);

// Applies the controller's port settings in order: buffer sizes, read the line settings,
// set 19200 baud 8N1 in them and write them back, time-outs, purge. With report on, each
// failing step calls reportMessage(SetPortErrorMessage) and the next step still runs.
// Returns whether every step succeeded.
bool ConfigurePort(SerialPort& port, bool report, const std::function<void(int)>& reportMessage);
