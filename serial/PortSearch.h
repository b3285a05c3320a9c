#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

#include "ByteStream.h"
#include "ControllerPorts.h"
#include "LinkProgress.h"
#include "SerialPort.h"

// The search for the port a controller answers on. Every port is probed at once, each on its
// own thread with its own frame buffers and the shared sleeper (which must therefore be safe to
// call from several threads): opened and configured twice, then asked to identify. The port
// chosen is the first in list order that answers and is accepted; the ports after it are given
// up as soon as it is known, and what is said about the ports covers only those a search port
// by port would have reached.
class PortSearch {
public:
    // Opens a device for exclusive use; null on failure, with the reason in *reason.
    using Open = std::function<std::unique_ptr<SerialPort>(const QString& path, QString* reason)>;

    PortSearch(Open open, Sleeper& sleeper, std::function<void(const LinkProgress&)> progress = {})
        : open_(std::move(open)), sleeper_(sleeper), progress_(std::move(progress)) {}

    // Searches the ports named; a device listed twice is probed once.
    PortSearchResult run(const QStringList& names);

private:
    Open open_;
    Sleeper& sleeper_;
    std::function<void(const LinkProgress&)> progress_;
};
