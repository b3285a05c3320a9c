// trnsim: a simulated TRN/TRE controller on a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "SimController.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
void onSignal(int) { stopRequested = 1; }

constexpr int PaceMicrosPerByte = 521;  // 10 bits per byte at 19200 baud
constexpr int QuietResyncMs = 100;

bool writeAll(int fd, const std::uint8_t* data, std::size_t count, bool pace) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = pace ? 1 : count - done;
        const ssize_t n = ::write(fd, data + done, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                ::usleep(1000);
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
        if (pace) ::usleep(PaceMicrosPerByte);
    }
    return true;
}

std::optional<int> parseInt(const QString& text, int low, int high) {
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < low || v > high) return std::nullopt;
    return v;
}

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "trnsim: %s\n", qPrintable(message));
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trnsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates a TRN/TRE motor controller on a pseudo-terminal, so that trnsetup can be\n"
        "tried and tested without hardware. The first line of output is the device path to\n"
        "give to 'trnsetup --port'. The simulator answers identify (0x11), open (0xF1),\n"
        "read (0xF2), write (0xF3) and commit (0xF4) requests at 19200 baud 8N1 framing;\n"
        "a commit replaces its image and saves it to the image file. Requests with a bad\n"
        "checksum, an unknown command or an offset beyond the image get no reply.\n"
        "It runs until interrupted (Ctrl+C or SIGTERM)."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("image"),
         QStringLiteral("Image file of exactly 128 bytes; a missing file is created from the "
                        "built-in sample (TRN48201, firmware 0405, variant J). Without it the "
                        "image lives in memory only."),
         QStringLiteral("file")},
        {QStringLiteral("link"), QStringLiteral("Also make a symbolic link to the device at path."),
         QStringLiteral("path")},
        {QStringLiteral("version"),
         QStringLiteral("Firmware version in the identify reply, four hex digits (default 0405)."),
         QStringLiteral("XXYY")},
        {QStringLiteral("accept"),
         QStringLiteral("Acceptance byte of the identify reply, 0-255 (default 1; the program "
                        "accepts 1 or 2)."),
         QStringLiteral("n")},
        {QStringLiteral("pace"), QStringLiteral("Send reply bytes at the pace of a 19200-baud line "
                                                "(about 0.52 ms a byte).")},
        {QStringLiteral("silent"), QStringLiteral("Fault: never answer.")},
        {QStringLiteral("bad-checksum"), QStringLiteral("Fault: answer with wrong checksums.")},
        {QStringLiteral("short-reads"),
         QStringLiteral("Fault: answer read requests (0xF2) with 8 bytes instead of 16.")},
        {QStringLiteral("delay"), QStringLiteral("Fault: wait ms milliseconds before each reply."),
         QStringLiteral("ms")},
        {QStringLiteral("drop-after"),
         QStringLiteral("Fault: stop answering after n replies."), QStringLiteral("n")},
    });
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument '%1' (see --help)")
                 .arg(parser.positionalArguments().first()));

    SimController::Options options;
    if (parser.isSet(QStringLiteral("version"))) {
        const QString v = parser.value(QStringLiteral("version"));
        bool ok = false;
        const unsigned hex = v.toUInt(&ok, 16);
        if (!ok || v.size() != 4) fail(QStringLiteral("--version takes four hex digits, like 0405"));
        options.versionMajor = static_cast<std::uint8_t>(hex >> 8);
        options.versionMinor = static_cast<std::uint8_t>(hex & 0xFF);
    }
    if (parser.isSet(QStringLiteral("accept"))) {
        const auto v = parseInt(parser.value(QStringLiteral("accept")), 0, 255);
        if (!v) fail(QStringLiteral("--accept takes a number from 0 to 255"));
        options.acceptance = static_cast<std::uint8_t>(*v);
    }
    if (parser.isSet(QStringLiteral("delay"))) {
        const auto v = parseInt(parser.value(QStringLiteral("delay")), 0, 60000);
        if (!v) fail(QStringLiteral("--delay takes milliseconds from 0 to 60000"));
        options.delayMs = *v;
    }
    if (parser.isSet(QStringLiteral("drop-after"))) {
        const auto v = parseInt(parser.value(QStringLiteral("drop-after")), 0, 1 << 30);
        if (!v) fail(QStringLiteral("--drop-after takes a number of replies, 0 or more"));
        options.dropAfter = *v;
    }
    options.silent = parser.isSet(QStringLiteral("silent"));
    options.badChecksum = parser.isSet(QStringLiteral("bad-checksum"));
    options.shortReads = parser.isSet(QStringLiteral("short-reads"));
    const bool pace = parser.isSet(QStringLiteral("pace"));

    SimController sim(options);
    const QString imagePath = parser.value(QStringLiteral("image"));
    if (!imagePath.isEmpty()) {
        QString error;
        if (!loadOrCreateImageFile(imagePath, sim.image, &error)) fail(error);
        sim.staging = sim.image;
        sim.onCommit = [imagePath](const SimController::Image& image) {
            QString error;
            if (saveImageFile(imagePath, image, &error)) return true;
            std::fprintf(stderr, "trnsim: %s\n", qPrintable(error));
            return false;
        };
    }

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        fail(QStringLiteral("cannot create a pseudo-terminal: %1").arg(std::strerror(errno)));
    const char* slaveName = ::ptsname(master);
    if (slaveName == nullptr) fail(QStringLiteral("cannot name the pseudo-terminal"));
    const QString device = QString::fromLocal8Bit(slaveName);

    // Holding the device open ourselves keeps the line up while clients close and reopen it.
    const int keeper = ::open(slaveName, O_RDWR | O_NOCTTY);
    if (keeper < 0) fail(QStringLiteral("cannot open %1: %2").arg(device, std::strerror(errno)));
    termios tio{};
    if (::tcgetattr(keeper, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B19200);
        ::cfsetospeed(&tio, B19200);
        ::tcsetattr(keeper, TCSANOW, &tio);
    }

    const QString linkPath = parser.value(QStringLiteral("link"));
    if (!linkPath.isEmpty()) {
        const QByteArray l = QFile::encodeName(linkPath);
        if (QFileInfo(linkPath).isSymLink()) ::unlink(l.constData());
        if (::symlink(slaveName, l.constData()) != 0)
            fail(QStringLiteral("cannot make link %1: %2").arg(linkPath, std::strerror(errno)));
    }

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    std::printf("%s\n", slaveName);
    std::fflush(stdout);

    std::uint8_t buffer[256];
    while (!stopRequested) {
        pollfd pfd{master, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, QuietResyncMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "trnsim: poll: %s\n", std::strerror(errno));
            break;
        }
        if (ready == 0) {
            sim.resync();
            continue;
        }
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EIO) {
                ::usleep(10000);
                continue;
            }
            std::fprintf(stderr, "trnsim: read: %s\n", std::strerror(errno));
            break;
        }
        for (const auto& reply : sim.feed(buffer, static_cast<std::size_t>(n))) {
            if (options.delayMs > 0) ::usleep(static_cast<useconds_t>(options.delayMs) * 1000);
            writeAll(master, reply.data(), reply.size(), pace);
        }
    }

    if (!linkPath.isEmpty()) ::unlink(QFile::encodeName(linkPath).constData());
    ::close(keeper);
    ::close(master);
    return 0;
}
