#include "SerialPort.h"

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
