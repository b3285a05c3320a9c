#include "PortSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include "PortSearch.h"
#include "PosixSerialPort.h"

namespace {

QStringList locations(const QList<QSerialPortInfo>& ports) {
    QStringList names;
    names.reserve(ports.size());
    for (const QSerialPortInfo& info : ports) names.append(info.systemLocation());
    return names;
}

}  // namespace

QStringList PortSystem::portNames() const {
    if (!ports_.isEmpty())
        return ports_;
    if (!folder_.isEmpty()) {
        // Links left behind by a device that is gone point nowhere: no port.
        QStringList names;
        const QDir dir(folder_);
        for (const QFileInfo& entry :
             dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
            if (entry.exists() && !entry.isDir())
                names << entry.filePath();
        return names;
    }
    return locations(QSerialPortInfo::availablePorts());
}

std::vector<PortDescription> PortSystem::describePorts() const {
    const auto known = QSerialPortInfo::availablePorts();
    const QStringList names =
        ports_.isEmpty() && folder_.isEmpty() ? locations(known) : portNames();
    std::vector<PortDescription> ports;
    for (const QString& name : names) {
        PortDescription port{name, {}, {}};
        // A link names its device by another path than the system does.
        const QString device = QFileInfo(name).canonicalFilePath();
        for (const QSerialPortInfo& info : known) {
            if (info.systemLocation() != name && info.systemLocation() != device)
                continue;
            port.description = info.description();
            if (!info.manufacturer().isEmpty() && !port.description.contains(info.manufacturer()))
                port.description =
                    port.description.isEmpty()
                        ? info.manufacturer()
                        : QStringLiteral("%1 (%2)").arg(port.description, info.manufacturer());
            port.serialNumber = info.serialNumber();
            break;
        }
        ports.push_back(port);
    }
    return ports;
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
