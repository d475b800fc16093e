// SPDX-License-Identifier: GPL-3.0-or-later
// The channel is the named pipe \\.\pipe\NAME. The owner keeps one
// instance waiting for a sender (an overlapped ConnectNamedPipe, polled),
// and makes the next one before handing a connected instance over, so the
// name is never free while the owner lives. The first instance is made with
// FILE_FLAG_FIRST_PIPE_INSTANCE: a second owner cannot take the name.
#include "platform/local_channel.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

constexpr DWORD kBufferBytes = 4096;

std::wstring PipePath(const std::string& name) { return L"\\\\.\\pipe\\" + Wide(name); }

class PipeConnection : public LocalConnection {
public:
    // `overlapped`: the handle was opened for overlapped input and output
    // (the owner's instances), whose reads and writes need an OVERLAPPED.
    PipeConnection(HANDLE pipe, bool overlapped) : pipe_(pipe), overlapped_(overlapped) {
        if (overlapped_) event_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~PipeConnection() override {
        ::CloseHandle(pipe_);
        if (event_ != nullptr) ::CloseHandle(event_);
    }
    PipeConnection(const PipeConnection&) = delete;
    PipeConnection& operator=(const PipeConnection&) = delete;

    std::optional<std::string> ReadSome(std::size_t maxBytes) override {
        DWORD waiting = 0;
        if (!::PeekNamedPipe(pipe_, nullptr, 0, nullptr, &waiting, nullptr)) return std::nullopt;
        if (waiting == 0 || maxBytes == 0) return std::string();
        std::string bytes(std::min<std::size_t>(waiting, maxBytes), '\0');
        DWORD got = 0;
        if (!Transfer(false, bytes.data(), static_cast<DWORD>(bytes.size()), got)) return std::nullopt;
        bytes.resize(got);
        return bytes;
    }

    bool Write(const std::string& bytes) override {
        DWORD put = 0;
        return Transfer(true, const_cast<char*>(bytes.data()), static_cast<DWORD>(bytes.size()), put) &&
               put == bytes.size();
    }

private:
    bool Transfer(bool write, char* data, DWORD size, DWORD& done) {
        if (!overlapped_) {
            return write ? ::WriteFile(pipe_, data, size, &done, nullptr) != 0
                         : ::ReadFile(pipe_, data, size, &done, nullptr) != 0;
        }
        if (event_ == nullptr) return false;
        OVERLAPPED io{};
        io.hEvent = event_;
        ::ResetEvent(event_);
        const BOOL started = write ? ::WriteFile(pipe_, data, size, nullptr, &io)
                                   : ::ReadFile(pipe_, data, size, nullptr, &io);
        if (!started && ::GetLastError() != ERROR_IO_PENDING) return false;
        // The bytes are there to read, or fit the pipe's buffer: no long wait.
        return ::GetOverlappedResult(pipe_, &io, &done, TRUE) != 0;
    }

    HANDLE pipe_;
    bool overlapped_;
    HANDLE event_ = nullptr;
};

class PipeChannel : public LocalChannel {
public:
    explicit PipeChannel(std::wstring path) : path_(std::move(path)) {
        event_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~PipeChannel() override {
        CloseWaiting();
        if (event_ != nullptr) ::CloseHandle(event_);
    }
    PipeChannel(const PipeChannel&) = delete;
    PipeChannel& operator=(const PipeChannel&) = delete;

    // Makes an instance and starts waiting for a sender on it.
    bool Listen(bool first) {
        if (event_ == nullptr) return false;
        const DWORD open = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
        const DWORD mode = PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT;
        pipe_ = ::CreateNamedPipeW(path_.c_str(), open, mode | PIPE_REJECT_REMOTE_CLIENTS, PIPE_UNLIMITED_INSTANCES,
                                   kBufferBytes, kBufferBytes, 0, nullptr);
        if (pipe_ == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_INVALID_PARAMETER) {
            // A system that does not know the remote-client flag.
            pipe_ = ::CreateNamedPipeW(path_.c_str(), open, mode, PIPE_UNLIMITED_INSTANCES, kBufferBytes,
                                       kBufferBytes, 0, nullptr);
        }
        if (pipe_ == INVALID_HANDLE_VALUE) return false;
        io_ = OVERLAPPED{};
        io_.hEvent = event_;
        ::ResetEvent(event_);
        if (::ConnectNamedPipe(pipe_, &io_)) {
            connected_ = true;
            return true;
        }
        switch (::GetLastError()) {
            case ERROR_IO_PENDING: waiting_ = true; return true;
            case ERROR_PIPE_CONNECTED: connected_ = true; return true;
            default: CloseWaiting(); return false;
        }
    }

    std::unique_ptr<LocalConnection> Accept() override {
        if (pipe_ == INVALID_HANDLE_VALUE) {
            Listen(false);
            return nullptr;
        }
        if (waiting_) {
            if (::WaitForSingleObject(event_, 0) != WAIT_OBJECT_0) return nullptr;
            DWORD unused = 0;
            waiting_ = false;
            if (!::GetOverlappedResult(pipe_, &io_, &unused, FALSE)) {
                CloseWaiting();
                Listen(false);
                return nullptr;
            }
            connected_ = true;
        }
        if (!connected_) return nullptr;
        const HANDLE taken = pipe_;
        pipe_ = INVALID_HANDLE_VALUE;
        connected_ = false;
        Listen(false);  // before the connected instance may close: the name stays held
        return std::make_unique<PipeConnection>(taken, true);
    }

private:
    void CloseWaiting() {
        if (pipe_ == INVALID_HANDLE_VALUE) return;
        if (waiting_) {
            ::CancelIo(pipe_);
            DWORD unused = 0;
            ::GetOverlappedResult(pipe_, &io_, &unused, TRUE);
        }
        ::CloseHandle(pipe_);
        pipe_ = INVALID_HANDLE_VALUE;
        waiting_ = connected_ = false;
    }

    std::wstring path_;
    HANDLE event_ = nullptr;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    OVERLAPPED io_{};
    bool waiting_ = false;
    bool connected_ = false;
};

}  // namespace

// A pipe outlives no process, so there is never a stale name to take over.
// A name with an instance (free or busy) has a live owner; asking first
// also covers wine, which does not refuse a second first instance.
std::unique_ptr<LocalChannel> LocalChannel::Open(const std::string& name) {
    if (::WaitNamedPipeW(PipePath(name).c_str(), 1) || ::GetLastError() == ERROR_SEM_TIMEOUT) return nullptr;
    auto channel = std::make_unique<PipeChannel>(PipePath(name));
    if (!channel->Listen(true)) return nullptr;
    return channel;
}

std::unique_ptr<LocalConnection> ConnectLocalChannel(const std::string& name, int timeoutMs) {
    const std::wstring path = PipePath(name);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const HANDLE pipe = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          0, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) {
            // The user started this program to see the other's window: it
            // may come to the foreground although it has no input itself.
            ::AllowSetForegroundWindow(ASFW_ANY);
            return std::make_unique<PipeConnection>(pipe, false);
        }
        if (::GetLastError() != ERROR_PIPE_BUSY) return nullptr;  // nobody owns the name
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return nullptr;
        ::WaitNamedPipeW(path.c_str(), static_cast<DWORD>(std::min<long long>(left, 1000)));
    }
}

}  // namespace tunewell::platform
