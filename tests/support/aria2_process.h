// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A real aria2c for the hand-off tests (Linux only).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/spawn_child.h"

namespace tunewell::testing {

// Whether an aria2c is installed to start.
inline bool Aria2Installed() { return std::system("command -v aria2c >/dev/null 2>&1") == 0; }

// A real aria2c on a free loopback port, fetching through the demo site;
// started and ended by its process id.
class Aria2Process {
public:
    Aria2Process(const std::string& proxy, const std::string& folder, const std::string& secret) {
        port_ = FreePort();
        std::vector<std::string> args = {"aria2c", "--enable-rpc", "--rpc-listen-all=false", "--no-conf",
                                         "--quiet", "--rpc-listen-port=" + std::to_string(port_),
                                         "--all-proxy=" + proxy, "--dir=" + folder,
                                         "--stop-with-process=" + std::to_string(::getpid())};
        if (!secret.empty()) args.push_back("--rpc-secret=" + secret);
        pid_ = SpawnChild(std::move(args), "", "", true);
    }
    ~Aria2Process() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    // Waits until the RPC port takes connections; false when aria2 ended.
    bool WaitUntilListening() const {
        for (int attempt = 0; attempt < 300 && pid_ > 0; ++attempt) {
            if (::waitpid(pid_, nullptr, WNOHANG) != 0) return false;
            if (Accepts()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    std::string Endpoint() const { return "http://127.0.0.1:" + std::to_string(port_) + "/jsonrpc"; }

private:
    static int FreePort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(fd);
        return ntohs(address.sin_port);
    }
    bool Accepts() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return connected;
    }

    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace tunewell::testing
