#pragma once

#include <functional>

#include "ByteStream.h"
#include "ModuleIds.h"
#include "Wire.h"

// Line parameters of a serial port.
struct LineParameters {
    enum class Parity { None, Even, Odd };
    int baudRate = wire::BaudRate;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;
};

// Read and write time-outs of a serial port, in milliseconds.
// A read returns when the requested count has arrived, when readIntervalMs pass without a
// byte once one has arrived (0: no such limit), or when
// readTotalConstantMs + readTotalPerByteMs x count have passed in all.
// A write gives up after writeTotalConstantMs + writeTotalPerByteMs x count.
struct SerialTimeouts {
    int readIntervalMs = 20;
    int readTotalPerByteMs = 5;
    int readTotalConstantMs = 50;
    int writeTotalPerByteMs = 20;
    int writeTotalConstantMs = 50;
};

// What every port gets before the identify request: the controller's line and time-outs.
namespace ControllerPortSettings {
inline constexpr int ReceiveBufferSize = 512;
inline constexpr int TransmitBufferSize = 512;
inline constexpr LineParameters Line{};
inline constexpr SerialTimeouts Timeouts{};
}  // namespace ControllerPortSettings

// An open serial device. Each configuration step is its own call so that the caller can
// tell which one failed. Destroying the object closes the device.
class SerialPort : public ByteStream {
public:
    virtual bool setBufferSizes(int receiveBytes, int transmitBytes) = 0;
    // Reads the device's current line settings; the next writeLineSettings starts from them.
    virtual bool readLineSettings() = 0;
    // Puts the parameters into the settings last read and writes them to the device.
    virtual bool writeLineSettings(const LineParameters& line) = 0;
    virtual bool setTimeouts(const SerialTimeouts& timeouts) = 0;
    // Discards whatever waits in the receive and transmit buffers.
    virtual bool purge() = 0;
};

// Number of the message "Set RS232 port error!", shown for each failing configuration step.
inline constexpr int SetPortErrorMessage = module::MsgSetPortError;

// Applies the controller's port settings in order: buffer sizes, read the line settings,
// set 19200 baud 8N1 in them and write them back, time-outs, purge. With report on, each
// failing step calls reportMessage(SetPortErrorMessage) and the next step still runs.
// Returns whether every step succeeded.
bool ConfigurePort(SerialPort& port, bool report, const std::function<void(int)>& reportMessage);
