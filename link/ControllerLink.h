#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QStringList>

#include "ByteStream.h"
#include "LinkProgress.h"
#include "Wire.h"

class CalibrationImage;
class ControllerPorts;

// The serial link state and the framed request/reply exchange with a controller.
// One instance lives for the whole run.
class ControllerLink {
public:
    static constexpr int TransmitSize = wire::TransmitSize;
    static constexpr int ReceiveSize = wire::ReceiveSize;
    static constexpr int MaxData = wire::MaxData;
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

    // Where ConnectController finds and opens ports (the serial library's PortSystem); set by
    // the owner. Without one there is no port to search.
    ControllerPorts* portSystem = nullptr;
    // Shows a numbered message with an OK button (message 164 while configuring a port).
    std::function<void(int stringId)> reportMessage;
    // Why ports could not be opened during the last search, one line each.
    QStringList openFailures;
    // Told each port the search passed over before the one chosen, and why ("/dev/ttyS0:
    // opened, no answer"); on the calling thread, once the search is over. Unset, the lines go
    // to stderr.
    std::function<void(const QString&)> searchNote;
    // Every port of the last search with its outcome, in list order.
    std::vector<PortOutcome> searchOutcomes;
    // Device path of the port the controller was found on; kept when the port closes, so
    // that a lost line can be reopened on the same path.
    QString portName;
    // Progress of a running search, read or write. Called on the thread that runs the call
    // (the search's own threads included), so it must only hand the news on.
    std::function<void(const LinkProgress&)> progress;

    // How the last ReceiveFrame ended.
    enum class Receive { Complete, NoFrame, BadChecksum, ReadFailed, NotOpen };
    Receive lastReceive = Receive::NotOpen;
    // True once a read from the port failed: the device is gone or broken, not just silent.
    // Cleared when a port is attached or found.
    bool portFailed = false;
    // Which step of the last ReadImage or WriteImage failed and why, for the user.
    QString failure;
    // True once the last WriteImage sent its commit: from then on a failure may hide a write
    // that took place.
    bool commitSent = false;

    // Puts an already opened stream in place as the controller's port (tests, simulator).
    void attach(std::unique_ptr<ByteStream> stream);
    void close();

    bool SendFrame();
    bool ReceiveFrame();

    // Fills the transmit buffer with a command and its data (at most 16 bytes).
    void setRequest(std::uint8_t command, const std::uint8_t* data = nullptr, int length = 0);
    // Data byte i of the last reply (receive-buffer position 2 + i).
    std::uint8_t replyData(int i) const {
        return receive.at(static_cast<std::size_t>(wire::FrameHeader + i));
    }
    std::uint8_t replyLength() const { return receive[1]; }

    bool IdentifyController();
    bool ReadImage(CalibrationImage& image);
    bool WriteImage(const CalibrationImage& image);

    // Finds the port on which a controller answers among portSystem's ports; toggles (closes)
    // when already open. The ports are probed at once, each on its own thread with its own frame
    // buffers and the shared sleeper (which must therefore be safe to call from several threads);
    // the port chosen is the first in list order that answers and is accepted.
    bool ConnectController();
    // The same probe on one device path only (a lost line coming back); false when open.
    bool ConnectPort(const QString& path);
    // The outcome of every port of the last search, one line each, for the user.
    QString searchDetail() const;

private:
    bool exchange(std::uint8_t command, int waitMs);
    // Starts a read or a write of that many steps: its first progress, then the open request.
    bool openSequence(LinkProgress::Stage stage, int steps);
    bool search(const QStringList& names);
    bool stepFailed(const QString& step);
    void report(LinkProgress::Stage stage, int step, int steps);

    Sleeper& sleeper_;
};
