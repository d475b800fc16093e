// SPDX-License-Identifier: GPL-3.0-or-later
// The channel is a Unix-domain stream socket in $XDG_RUNTIME_DIR (the
// user's own folder), or in the temporary folder when that is not set.
#include "platform/local_channel.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/temp_folder.h"

namespace tunewell::platform {
namespace {

std::string SocketPath(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime != nullptr && runtime[0] == '/' && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::getuid())
        return std::string(runtime) + "/" + name;
    return TempFolder() + "/" + name;
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int NewSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

class SocketConnection : public LocalConnection {
public:
    explicit SocketConnection(int fd) : fd_(fd) {}
    ~SocketConnection() override { ::close(fd_); }
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    std::optional<std::string> ReadSome(std::size_t maxBytes) override {
        std::string bytes(maxBytes, '\0');
        const ssize_t got = ::recv(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT);
        if (got > 0) {
            bytes.resize(static_cast<std::size_t>(got));
            return bytes;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return std::string();
        return std::nullopt;  // 0: the other end closed
    }

    bool Write(const std::string& bytes) override {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

// 0: connected; otherwise the errno of the attempt.
int TryConnect(int fd, const sockaddr_un& address) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
    return errno;
}

class SocketChannel : public LocalChannel {
public:
    SocketChannel(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~SocketChannel() override {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    SocketChannel(const SocketChannel&) = delete;
    SocketChannel& operator=(const SocketChannel&) = delete;

    std::unique_ptr<LocalConnection> Accept() override {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) return nullptr;
        return std::make_unique<SocketConnection>(client);
    }

private:
    int fd_;
    std::string path_;
};

// Binds and listens; the socket file is the user's only (0600).
bool BindAndListen(int fd, const sockaddr_un& address) {
    const mode_t previous = ::umask(0177);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(previous);
    return bound && ::listen(fd, 8) == 0;
}

}  // namespace

std::unique_ptr<LocalChannel> LocalChannel::Open(const std::string& name) {
    const std::string path = SocketPath(name);
    sockaddr_un address{};
    if (!FillAddress(path, address)) return nullptr;
    const int fd = NewSocket();
    if (fd < 0) return nullptr;
    if (!BindAndListen(fd, address)) {
        // Taken: by a live owner, or by the socket file of one that has gone,
        // which nobody answers on. Only an owner's own socket file is removed.
        struct stat info {};
        const int probe = NewSocket();
        const int answer = probe >= 0 ? TryConnect(probe, address) : EINVAL;
        if (probe >= 0) ::close(probe);
        const bool stale = answer == ECONNREFUSED && ::lstat(path.c_str(), &info) == 0 &&
                           S_ISSOCK(info.st_mode) && info.st_uid == ::getuid();
        if (!stale || ::unlink(path.c_str()) != 0 || !BindAndListen(fd, address)) {
            ::close(fd);
            return nullptr;
        }
    }
    return std::make_unique<SocketChannel>(fd, path);
}

std::unique_ptr<LocalConnection> ConnectLocalChannel(const std::string& name, int timeoutMs) {
    const std::string path = SocketPath(name);
    sockaddr_un address{};
    struct stat info {};
    // A socket someone else put in a shared folder is not ours to talk to.
    if (!FillAddress(path, address) || ::lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) ||
        info.st_uid != ::getuid())
        return nullptr;
    const int fd = NewSocket();
    if (fd < 0) return nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int result = TryConnect(fd, address);
        if (result == 0) return std::make_unique<SocketConnection>(fd);
        // EAGAIN: the owner's queue of connections is full; it may drain.
        if ((result != EAGAIN && result != EINTR) || std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(fd);
    return nullptr;
}

}  // namespace tunewell::platform
