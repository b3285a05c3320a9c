#pragma once
// What keeps an exchange with the journal's server from waiting for good.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include <QSet>

namespace config {

// The inode of a socket; 0 for anything else.
std::uint64_t inodeOf(int socket);

// The sockets of the connections this process has opened to journal servers, by inode: one
// being opened is a socket to the server that is not among them.
class Established {
public:
    static Established& all() {
        static Established established;
        return established;
    }
    void add(std::uint64_t inode) {
        const std::lock_guard<std::mutex> lock(mutex_);
        inodes_.insert(inode);
    }
    void remove(std::uint64_t inode) {
        const std::lock_guard<std::mutex> lock(mutex_);
        inodes_.remove(inode);
    }
    bool has(std::uint64_t inode) {
        const std::lock_guard<std::mutex> lock(mutex_);
        return inodes_.contains(inode);
    }

private:
    std::mutex mutex_;
    QSet<std::uint64_t> inodes_;
};

// Ends an exchange that the server never answers. Keep-alives and the TCP user time-out catch a
// network that drops packets, but not a peer whose kernel still acknowledges while the program
// behind it is frozen (a stopped process, a paused forwarder): libpq would wait in poll() for
// good. On expiry the socket is shut down, so that the call waiting on it fails at once, in its
// own thread, and the connection is of no more use. While a connection is being opened its
// socket is libpq's alone: then every socket to the server's port that belongs to no connection
// made is shut down (other connections being opened to it wait in vain as well).
class Watchdog {
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // socket: the connection's, or -1 while it is being opened to port.
    void arm(int socket, int port, std::chrono::seconds bound);
    // Whether it fired since it was armed.
    bool disarm();
    bool fired();

private:
    void watch();
    void fire() const;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    int socket_ = -1;
    std::uint64_t inode_ = 0;
    int port_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    bool fired_ = false;
    bool stop_ = false;
    std::thread thread_;  // last: it starts once the rest is made
};

}  // namespace config
