#include "ServerWatchdog.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>

#include <QByteArray>
#include <QDir>
#include <QStringList>

namespace config {

namespace {

// Whether the socket's peer is a server on port: over TCP, or the Unix-domain socket that
// libpq names .s.PGSQL.PORT.
bool toServer(int socket, int port) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &size) != 0)
        return false;
    switch (peer.ss_family) {
        case AF_INET:
            return ntohs(reinterpret_cast<const sockaddr_in*>(&peer)->sin_port) == port;
        case AF_INET6:
            return ntohs(reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_port) == port;
        case AF_UNIX: {
            const char* path = reinterpret_cast<const sockaddr_un*>(&peer)->sun_path;
            return QByteArray(path,
                              static_cast<qsizetype>(strnlen(path, sizeof(sockaddr_un::sun_path))))
                .endsWith(".s.PGSQL." + QByteArray::number(port));
        }
        default:
            return false;
    }
}

}  // namespace

std::uint64_t inodeOf(int socket) {
    struct stat status {};
    if (socket < 0 || ::fstat(socket, &status) != 0 || !S_ISSOCK(status.st_mode))
        return 0;
    return status.st_ino;
}

Watchdog::Watchdog() : thread_([this] { watch(); }) {}

Watchdog::~Watchdog() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void Watchdog::arm(int socket, int port, std::chrono::seconds bound) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        armed_ = true;
        fired_ = false;
        socket_ = socket;
        inode_ = inodeOf(socket);
        port_ = port;
        deadline_ = std::chrono::steady_clock::now() + bound;
    }
    wake_.notify_one();
}

bool Watchdog::disarm() {
    const std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
    return fired_;
}

bool Watchdog::fired() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return fired_;
}

void Watchdog::watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        if (!armed_) {
            wake_.wait(lock);
        } else if (std::chrono::steady_clock::now() < deadline_) {
            wake_.wait_until(lock, deadline_);
        } else {
            fire();
            fired_ = true;
            armed_ = false;
        }
    }
}

void Watchdog::fire() const {
    // libpq closes a socket it finds broken, and the number may be another's by now: only
    // the socket that was armed is shut down.
    if (socket_ >= 0) {
        if (inodeOf(socket_) == inode_)
            ::shutdown(socket_, SHUT_RDWR);
        return;
    }
    const QStringList sockets =
        QDir(QStringLiteral("/proc/self/fd"))
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : sockets) {
        bool number = false;
        const int fd = name.toInt(&number);
        const std::uint64_t inode = number ? inodeOf(fd) : 0;
        if (inode != 0 && !Established::all().has(inode) && toServer(fd, port_))
            ::shutdown(fd, SHUT_RDWR);
    }
}

}  // namespace config
