#include "PortSystem.h"

#include <QSerialPortInfo>

#include "PosixSerialPort.h"

QStringList PortSystem::portNames() const {
    if (!ports_.isEmpty())
        return ports_;
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    names.reserve(ports.size());
    for (const QSerialPortInfo& info : ports) names.append(info.systemLocation());
    return names;
}

std::unique_ptr<SerialPort> PortSystem::open(const QString& path, QString* reason) {
    int error = 0;
    auto port = PosixSerialPort::open(path, &error);
    if (!port && reason != nullptr)
        *reason = describeOpenError(error);
    return port;
}

int EnumerateSerialPorts(const PortSystem& system, QStringList& names) {
    names.clear();
    names = system.portNames();
    return static_cast<int>(names.size());
}

bool ConfigurePort(SerialPort& port, bool report, const std::function<void(int)>& reportMessage) {
    bool allDone = true;
    const auto step = [&](bool succeeded) {
        if (succeeded)
            return;
        allDone = false;
        if (report && reportMessage)
            reportMessage(SetPortErrorMessage);
    };
    // One statement per step: the order is part of the contract.
    step(port.setBufferSizes(ControllerPortSettings::ReceiveBufferSize,
                             ControllerPortSettings::TransmitBufferSize));
    step(port.readLineSettings());
    step(port.writeLineSettings(ControllerPortSettings::Line));
    step(port.setTimeouts(ControllerPortSettings::Timeouts));
    step(port.purge());
    return allDone;
}
