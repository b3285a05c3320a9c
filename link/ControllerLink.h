#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include <QStringList>

#include "ByteStream.h"

class CalibrationImage;
class PortSystem;

// The serial link state and the framed request/reply exchange with a controller.
// One instance lives for the whole run.
class ControllerLink {
public:
    static constexpr int TransmitSize = 20;
    static constexpr int ReceiveSize = 19;
    static constexpr int MaxData = 16;
    static constexpr int ReadAttempts = 10;
    static constexpr int AttemptSleepMs = 5;

    explicit ControllerLink(Sleeper& sleeper) : sleeper_(sleeper) {}

    // The open serial device; null while closed.
    std::unique_ptr<ByteStream> port;
    // 1 while a controller connection is established.
    std::uint8_t portOpen = 0;
    // Request frame; bytes past the current frame keep what earlier requests left there.
    std::array<std::uint8_t, TransmitSize> transmit{};
    // Reply frame being assembled; kept until the next ReceiveFrame.
    std::array<std::uint8_t, ReceiveSize> receive{};
    std::uint8_t receiveCount = 0;
    std::int32_t frameStarted = 0;
    QStringList portNames;

    // Where ConnectController finds and opens serial ports; set by the owner.
    PortSystem* portSystem = nullptr;
    // Shows a numbered message with an OK button (message 164 while configuring a port).
    std::function<void(int stringId)> reportMessage;
    // Why ports could not be opened during the last search, one line each.
    QStringList openFailures;

    // Puts an already opened stream in place as the controller's port (tests, simulator).
    void attach(std::unique_ptr<ByteStream> stream);
    void close();

    bool SendFrame();
    bool ReceiveFrame();

    // Fills the transmit buffer with a command and its data (at most 16 bytes).
    void setRequest(std::uint8_t command, const std::uint8_t* data = nullptr, int length = 0);
    // Data byte i of the last reply (receive-buffer position 2 + i).
    std::uint8_t replyData(int i) const { return receive.at(static_cast<std::size_t>(2 + i)); }
    std::uint8_t replyLength() const { return receive[1]; }

    bool IdentifyController();
    bool ReadImage(CalibrationImage& image);
    bool WriteImage(const CalibrationImage& image);

    // Finds the port on which a controller answers; toggles (closes) when already open.
    bool ConnectController();

private:
    bool exchange(std::uint8_t command, int waitMs);

    Sleeper& sleeper_;
};
