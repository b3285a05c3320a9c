#include "PortSystem.h"

#include <QSerialPortInfo>

#include "PortSearch.h"
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

PortSearchResult PortSystem::search(const QStringList& names, Sleeper& sleeper,
                                    const std::function<void(const LinkProgress&)>& progress) {
    const auto openPort = [this](const QString& path, QString* reason) {
        return this->open(path, reason);
    };
    return PortSearch(openPort, sleeper, progress).run(names);
}

int EnumerateSerialPorts(const PortSystem& system, QStringList& names) {
    names.clear();
    names = system.portNames();
    return static_cast<int>(names.size());
}
