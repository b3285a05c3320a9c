// trnsim: a simulated TRN/TRE controller on a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <sys/stat.h>
#include <time.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include "LinePacer.h"
#include "SimController.h"
#include "Wire.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}

constexpr int QuietResyncMs = 100;

std::int64_t nowNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void sleepUntil(std::int64_t ns) {
    const timespec until{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR &&
           !stopRequested) {
    }
}

// Writes a reply; paced, each byte goes out once the line has carried it.
bool writeAll(int fd, const std::uint8_t* data, std::size_t count, LinePacer* pacer) {
    std::size_t done = 0;
    while (done < count) {
        if (pacer != nullptr)
            sleepUntil(pacer->carry(nowNs()));
        const std::size_t chunk = pacer != nullptr ? 1 : count - done;
        const ssize_t n = ::write(fd, data + done, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN) {
                ::usleep(1000);
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A whole decimal number without sign or blanks, within [low, high].
std::optional<int> parseInt(const QString& text, int low, int high) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const qint64 v = text.toLongLong();
    if (v < low || v > high)
        return std::nullopt;
    return int(v);
}

// One line per request and reply, with the seconds since the simulator started.
class ExchangeLog {
public:
    bool open(const QString& path) {
        file_ = std::fopen(QFile::encodeName(path).constData(), "a");
        return file_ != nullptr;
    }
    ~ExchangeLog() {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    void line(const char* direction, const SimController::Frame& frame, const std::string& note) {
        if (file_ == nullptr)
            return;
        const std::int64_t ns = nowNs() - start_;
        std::fprintf(file_, "%lld.%06lld %s", static_cast<long long>(ns / 1'000'000'000),
                     static_cast<long long>(ns % 1'000'000'000 / 1000), direction);
        for (std::uint8_t b : frame) std::fprintf(file_, " %02X", b);
        if (!note.empty())
            std::fprintf(file_, "  (%s)", note.c_str());
        std::fputc('\n', file_);
        std::fflush(file_);
    }

private:
    std::FILE* file_ = nullptr;
    std::int64_t start_ = nowNs();
};

// A link may replace only a stale one: a symbolic link to a pseudo-terminal that no longer
// exists, as a killed simulator leaves behind. Anything else at the path is refused.
bool makeLink(const QByteArray& link, const char* device, QString* error) {
    struct stat info {};
    if (::lstat(link.constData(), &info) == 0) {
        char target[PATH_MAX] = {};
        const ssize_t n =
            S_ISLNK(info.st_mode) ? ::readlink(link.constData(), target, sizeof target - 1) : -1;
        struct stat targetInfo {};
        const bool stale = n > 0 && std::strncmp(target, "/dev/pts/", 9) == 0 &&
                           ::stat(target, &targetInfo) != 0 && errno == ENOENT;
        if (!stale) {
            *error = QStringLiteral(
                         "%1 already exists and is not a stale link to a pseudo-terminal; "
                         "remove it or choose another path")
                         .arg(QFile::decodeName(link));
            return false;
        }
        ::unlink(link.constData());
    }
    if (::symlink(device, link.constData()) != 0) {
        *error = QStringLiteral("cannot make link %1: %2")
                     .arg(QFile::decodeName(link), std::strerror(errno));
        return false;
    }
    return true;
}

// Removes the link on exit only while it is still the one this simulator made.
void removeOwnLink(const QByteArray& link, const char* device) {
    char target[PATH_MAX] = {};
    const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
    if (n > 0 && std::strcmp(target, device) == 0)
        ::unlink(link.constData());
}

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "trnsim: %s\n", qPrintable(message));
    std::exit(2);
}

// The simulator's command line, with its help.
void describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Simulates a TRN/TRE motor controller on a pseudo-terminal, so that trnsetup can be\n"
        "tried and tested without hardware. The first line of output is the device path to\n"
        "give to 'trnsetup --port'. The simulator answers identify (0x11), open (0xF1),\n"
        "read (0xF2), write (0xF3) and commit (0xF4) requests at 19200 baud 8N1 framing;\n"
        "a commit replaces its image and saves it to the image file. It answers only the\n"
        "requests a correct host sends (lengths, counts, offsets, write chunks in order after\n"
        "an open); anything else gets no reply, as from a real controller.\n"
        "It runs until interrupted (Ctrl+C or SIGTERM)."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("image"),
         QStringLiteral("Image file of exactly 128 bytes; a missing file is created from the "
                        "built-in sample (TRN48201, firmware 0405, variant J). Without it the "
                        "image lives in memory only."),
         QStringLiteral("file")},
        {QStringLiteral("link"),
         QStringLiteral("Also make a symbolic link to the device at path. Only a stale link (to "
                        "a pseudo-terminal that no longer exists) is replaced; the link is "
                        "removed on exit."),
         QStringLiteral("path")},
        {QStringLiteral("log"),
         QStringLiteral("Append one line per request and reply to file, with the seconds since "
                        "start; ignored requests say why."),
         QStringLiteral("file")},
        {QStringLiteral("version"),
         QStringLiteral("Firmware version in the identify reply, four hex digits (default 0405)."),
         QStringLiteral("XXYY")},
        {QStringLiteral("accept"),
         QStringLiteral("Acceptance byte of the identify reply, 0-255 (default 1; the program "
                        "accepts 1 or 2)."),
         QStringLiteral("n")},
        {QStringLiteral("pace"),
         QStringLiteral("Take request bytes and send reply bytes at the pace "
                        "of a 19200-baud 8N1 line (10 bits, about 0.52 ms "
                        "a byte).")},
        {QStringLiteral("silent"), QStringLiteral("Fault: never answer.")},
        {QStringLiteral("bad-checksum"), QStringLiteral("Fault: answer with wrong checksums.")},
        {QStringLiteral("short-reads"),
         QStringLiteral("Fault: answer read requests (0xF2) with 8 bytes instead of 16.")},
        {QStringLiteral("delay"), QStringLiteral("Fault: wait ms milliseconds before each reply."),
         QStringLiteral("ms")},
        {QStringLiteral("drop-after"), QStringLiteral("Fault: stop answering after n replies."),
         QStringLiteral("n")},
        {QStringLiteral("corrupt-commit"),
         QStringLiteral("Fault: keep every committed image with the lowest bit of byte 14 (max "
                        "motor current) flipped, so that a read-back differs from what was "
                        "written.")},
        {QStringLiteral("lose-commit-reply"),
         QStringLiteral("Fault: keep every committed image but never acknowledge the commit, as "
                        "a line that loses the reply; later requests are answered.")},
    });
}

// The controller the command line asks for; a bad value ends the program with a message.
SimController::Options controllerOptions(const QCommandLineParser& parser) {
    SimController::Options options;
    if (parser.isSet(QStringLiteral("version"))) {
        static const QRegularExpression fourHex(QStringLiteral("^[0-9A-Fa-f]{4}$"));
        const QString v = parser.value(QStringLiteral("version"));
        if (!fourHex.match(v).hasMatch())
            fail(QStringLiteral("--version takes four hex digits, like 0405"));
        const unsigned hex = v.toUInt(nullptr, 16);
        options.versionMajor = static_cast<std::uint8_t>(hex >> 8);
        options.versionMinor = static_cast<std::uint8_t>(hex & 0xFF);
    }
    if (parser.isSet(QStringLiteral("accept"))) {
        const auto v = parseInt(parser.value(QStringLiteral("accept")), 0, 255);
        if (!v)
            fail(QStringLiteral("--accept takes a number from 0 to 255"));
        options.acceptance = static_cast<std::uint8_t>(*v);
    }
    if (parser.isSet(QStringLiteral("delay"))) {
        const auto v = parseInt(parser.value(QStringLiteral("delay")), 0, 60000);
        if (!v)
            fail(QStringLiteral("--delay takes milliseconds from 0 to 60000"));
        options.delayMs = *v;
    }
    if (parser.isSet(QStringLiteral("drop-after"))) {
        const auto v = parseInt(parser.value(QStringLiteral("drop-after")), 0, 1 << 30);
        if (!v)
            fail(QStringLiteral("--drop-after takes a number of replies, 0 or more"));
        options.dropAfter = *v;
    }
    options.silent = parser.isSet(QStringLiteral("silent"));
    options.badChecksum = parser.isSet(QStringLiteral("bad-checksum"));
    options.shortReads = parser.isSet(QStringLiteral("short-reads"));
    options.corruptCommit = parser.isSet(QStringLiteral("corrupt-commit"));
    options.loseCommitReply = parser.isSet(QStringLiteral("lose-commit-reply"));
    return options;
}

// A pseudo-terminal: the master end the simulator serves, the device clients open, and a
// descriptor of that device the simulator keeps open itself.
struct Pty {
    int master = -1;
    const char* slaveName = nullptr;
    int keeper = -1;
};

Pty openPty() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        fail(QStringLiteral("cannot create a pseudo-terminal: %1").arg(std::strerror(errno)));
    const char* slaveName = ::ptsname(master);
    if (slaveName == nullptr)
        fail(QStringLiteral("cannot name the pseudo-terminal"));
    const QString device = QString::fromLocal8Bit(slaveName);

    // Holding the device open ourselves keeps the line up while clients close and reopen it.
    const int keeper = ::open(slaveName, O_RDWR | O_NOCTTY);
    if (keeper < 0)
        fail(QStringLiteral("cannot open %1: %2").arg(device, std::strerror(errno)));
    termios tio{};
    static_assert(wire::BaudRate == 19200, "the pseudo-terminal's speed below is the line's");
    if (::tcgetattr(keeper, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B19200);
        ::cfsetospeed(&tio, B19200);
        ::tcsetattr(keeper, TCSANOW, &tio);
    }
    return {master, slaveName, keeper};
}

// Answers the requests arriving on master until a stop is requested; a line quiet for
// QuietResyncMs throws a partial request away.
void serve(int master, SimController& sim, int delayMs, bool pace, ExchangeLog& log) {
    LinePacer requestLine, replyLine;
    std::uint8_t buffer[256];
    while (!stopRequested) {
        pollfd pfd{master, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, QuietResyncMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
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
        const std::int64_t readAt = nowNs();
        for (ssize_t i = 0; i < n && !stopRequested; ++i) {
            // Paced, a request byte reaches the controller only once the line has carried it.
            if (pace)
                sleepUntil(requestLine.carry(readAt));
            for (const auto& reply : sim.feed(buffer + i, 1)) {
                if (delayMs > 0)
                    ::usleep(static_cast<useconds_t>(delayMs) * 1000);
                log.line("<", reply, std::string());
                writeAll(master, reply.data(), reply.size(), pace ? &replyLine : nullptr);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trnsim"));

    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument '%1' (see --help)")
                 .arg(parser.positionalArguments().first()));

    const SimController::Options options = controllerOptions(parser);
    const bool pace = parser.isSet(QStringLiteral("pace"));
    ExchangeLog log;
    if (parser.isSet(QStringLiteral("log")) && !log.open(parser.value(QStringLiteral("log"))))
        fail(QStringLiteral("cannot open log %1: %2")
                 .arg(parser.value(QStringLiteral("log")), std::strerror(errno)));

    SimController sim(options);
    sim.onRequest = [&log](const SimController::Frame& request, const std::string& ignored) {
        log.line(">", request, ignored.empty() ? std::string() : "ignored: " + ignored);
    };
    const QString imagePath = parser.value(QStringLiteral("image"));
    if (!imagePath.isEmpty()) {
        QString error;
        if (!loadOrCreateImageFile(imagePath, sim.image, &error))
            fail(error);
        sim.staging = sim.image;
        sim.onCommit = [imagePath](const SimController::Image& image) {
            QString error;
            if (saveImageFile(imagePath, image, &error))
                return true;
            std::fprintf(stderr, "trnsim: %s\n", qPrintable(error));
            return false;
        };
    }

    const Pty pty = openPty();

    const QByteArray linkPath = QFile::encodeName(parser.value(QStringLiteral("link")));
    if (!linkPath.isEmpty()) {
        QString error;
        if (!makeLink(linkPath, pty.slaveName, &error))
            fail(error);
    }

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    std::printf("%s\n", pty.slaveName);
    std::fflush(stdout);

    serve(pty.master, sim, options.delayMs, pace, log);

    if (!linkPath.isEmpty())
        removeOwnLink(linkPath, pty.slaveName);
    ::close(pty.keeper);
    ::close(pty.master);
    return 0;
}
