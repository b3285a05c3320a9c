// A TCP forwarder for the tests: listens on 127.0.0.1, on a port the system picks and prints
// on standard output, and forwards each connection both ways to 127.0.0.1:PORT. Stopped with
// SIGSTOP it is a server that is there, whose kernel still acknowledges, and that never answers.
//   tcp-forwarder PORT
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool writeAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, static_cast<std::size_t>(size));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int target = argc == 2 ? std::atoi(argv[1]) : 0;
    if (target <= 0 || target > 65535) {
        std::fprintf(stderr, "usage: tcp-forwarder PORT\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in here = loopback(0);
    socklen_t size = sizeof here;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&here), sizeof here) != 0 ||
        listen(listener, 64) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&here), &size) != 0) {
        std::perror("tcp-forwarder");
        return 1;
    }
    std::printf("%d\n", ntohs(here.sin_port));
    std::fflush(stdout);

    // fds[0] listens; then pairs: fds[i] and fds[i ^ 1] are the two ends of one connection.
    std::vector<pollfd> fds{{listener, POLLIN, 0}, {-1, 0, 0}};
    char buffer[65536];
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents & POLLIN) {
            const int client = accept(listener, nullptr, nullptr);
            const int server = socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in there = loopback(target);
            if (client >= 0 && server >= 0 &&
                connect(server, reinterpret_cast<const sockaddr*>(&there), sizeof there) == 0) {
                fds.push_back({client, POLLIN, 0});
                fds.push_back({server, POLLIN, 0});
            } else {
                close(client);
                close(server);
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0 && writeAll(fds[i ^ 1].fd, buffer, n))
                continue;
            // One end is gone: so is the other.
            close(fds[i].fd);
            close(fds[i ^ 1].fd);
            fds[i].fd = fds[i ^ 1].fd = -1;
        }
        std::erase_if(fds, [](const pollfd& p) { return p.fd < 0 && p.events != 0; });
    }
}
