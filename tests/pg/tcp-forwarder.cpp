// A TCP forwarder for the tests: listens on 127.0.0.1, on a port the system picks and prints,
// and forwards each connection both ways to 127.0.0.1:PORT. Stopped with SIGSTOP it is a server
// that is there, whose kernel still acknowledges, and that never answers.
//   tcp-forwarder PORT
#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    const int target = argc == 2 ? std::atoi(argv[1]) : 0;
    std::signal(SIGPIPE, SIG_IGN);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in here{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    sockaddr_in there{AF_INET, htons(static_cast<in_port_t>(target)), {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof here;
    if (target <= 0 || target > 65535 || bind(listener, reinterpret_cast<sockaddr*>(&here), size) ||
        listen(listener, 64) || getsockname(listener, reinterpret_cast<sockaddr*>(&here), &size)) {
        std::fprintf(stderr, "usage: tcp-forwarder PORT\n");
        return 2;
    }
    std::printf("%d\n", ntohs(here.sin_port));
    std::fflush(stdout);
    // The listener, a placeholder, then pairs: fds[i] and fds[i ^ 1] are one connection's ends.
    std::vector<pollfd> fds{{listener, POLLIN, 0}, {-1, 0, 0}};
    char buffer[65536];
    for (;;) {
        poll(fds.data(), fds.size(), -1);
        if (fds[0].revents & POLLIN) {
            const int client = accept(listener, nullptr, nullptr);
            const int server = socket(AF_INET, SOCK_STREAM, 0);
            if (connect(server, reinterpret_cast<const sockaddr*>(&there), sizeof there) == 0) {
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
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            for (ssize_t sent = 0, m = 0; n > 0 && sent < n; sent += m)
                if ((m = write(fds[i ^ 1].fd, buffer + sent, n - sent)) <= 0)
                    n = 0;
            if (n <= 0) {  // one end is gone: so is the other
                close(fds[i].fd);
                close(fds[i ^ 1].fd);
                fds[i].fd = fds[i ^ 1].fd = -1;
            }
        }
        std::erase_if(fds, [](const pollfd& p) { return p.fd < 0 && p.events != 0; });
    }
}
