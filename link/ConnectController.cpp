#include <cstdio>

#include "ControllerLink.h"
#include "PortSystem.h"

namespace {

// Position of the acceptance byte (data byte 2) in the identify reply.
constexpr int AcceptancePosition = 4;

PortSystem& systemPorts() {
    static PortSystem ports;
    return ports;
}

}  // namespace

bool ControllerLink::ConnectController() {
    if (portOpen == 1) {
        close();
        return true;
    }
    close();  // a stream attached without the flag is not a connection either
    openFailures.clear();

    PortSystem& system = portSystem != nullptr ? *portSystem : systemPorts();
    EnumerateSerialPorts(system, portNames);
    const QStringList names = portNames;

    // An unopenable port is passed over without a message box, but the user of a desktop
    // system most often needs to know why (group membership, another program).
    const auto noteFailure = [this](const QString& name, const QString& reason) {
        const QString line = QStringLiteral("cannot open %1: %2").arg(name, reason);
        std::fprintf(stderr, "trnsetup: %s\n", line.toLocal8Bit().constData());
        openFailures.append(line);
    };

    for (const QString& name : names) {
        QString reason;
        std::unique_ptr<SerialPort> first = system.open(name, &reason);
        if (!first) {
            noteFailure(name, reason);
            continue;
        }
        ConfigurePort(*first, true, reportMessage);
        first.reset();

        std::unique_ptr<SerialPort> second = system.open(name, &reason);
        if (second)
            ConfigurePort(*second, false, reportMessage);
        else
            noteFailure(name, reason);  // the exchange below then fails and the port is passed over
        port = std::move(second);
        portOpen = 1;

        // A reply shorter than three data bytes leaves position 4 holding an earlier reply's
        // byte, which must not make a silent or foreign device look like a controller.
        if (IdentifyController() && replyLength() >= 3 &&
            (receive[AcceptancePosition] == 1 || receive[AcceptancePosition] == 2))
            return true;
        close();
    }
    return false;
}
