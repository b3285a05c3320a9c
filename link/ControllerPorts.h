#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

#include "ByteStream.h"
#include "LinkProgress.h"
#include "Wire.h"

// What a controller search gave.
struct PortSearchResult {
    // Every port searched with its outcome, in list order.
    std::vector<PortOutcome> outcomes;
    // For the ports up to the chosen one (all of them when none was chosen), the ones a
    // search port by port would have reached: why a port could not be opened, one line each;
    // a note for each port passed over; the messages their port settings asked for, in order.
    QStringList openFailures;
    QStringList notes;
    std::vector<int> messages;
    // The controller's port, null when none answered and was accepted, with the frames of its
    // identify exchange.
    std::unique_ptr<ByteStream> port;
    QString portName;
    std::array<std::uint8_t, wire::TransmitSize> transmit{};
    std::array<std::uint8_t, wire::ReceiveSize> receive{};
    std::uint8_t receiveCount = 0;
};

// A port as the system describes it: for a USB adapter its product and serial number, when the
// system knows them; empty otherwise (built-in ports, pseudo-terminals).
struct PortDescription {
    QString path;
    QString description;
    QString serialNumber;
};

// Where ControllerLink looks for its controller. The serial library's PortSystem is the one the
// program uses; the link itself knows no devices, so it depends on nothing that does.
class ControllerPorts {
public:
    virtual ~ControllerPorts() = default;

    // Device paths, in the order they are tried.
    virtual QStringList portNames() const = 0;
    // The ports of portNames(), in the same order, with what the system tells of each.
    virtual std::vector<PortDescription> describePorts() const {
        std::vector<PortDescription> ports;
        for (const QString& name : portNames()) ports.push_back({name, {}, {}});
        return ports;
    }
    // Probes the ports named (each once) for a controller; progress is told the ports still
    // waiting, on the calling thread, and sleeper is shared by the probes' threads.
    virtual PortSearchResult search(const QStringList& names, Sleeper& sleeper,
                                    const std::function<void(const LinkProgress&)>& progress) = 0;
};
