// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <optional>
#include <string>

namespace tunewell::platform {

// A named channel on this machine through which one process of the user
// hands short messages to another: a Unix-domain socket in the user's
// runtime folder (else the temporary folder) on Linux, a named pipe on
// Windows. Nothing here waits on the owner's side: the owner polls, so it
// can do so from a window's timer. Names are letters, digits and '-'.

// One connection, from either end. Closing it (the destructor) ends it.
class LocalConnection {
public:
    virtual ~LocalConnection() = default;
    // What has arrived, at most `maxBytes`, without waiting: empty when
    // nothing waits; no value once the other end has gone or a read failed.
    virtual std::optional<std::string> ReadSome(std::size_t maxBytes) = 0;
    // Sends `bytes` (a few hundred at most, which fit the channel's buffer,
    // so this does not wait on the reader). False when the other end has
    // gone.
    virtual bool Write(const std::string& bytes) = 0;
};

// The owner's end of the channel `name`.
class LocalChannel {
public:
    // Opens the channel. One left behind by an owner that has gone (the
    // socket file of a program that crashed) is taken over; nullptr when
    // a live owner holds the name, or the channel cannot be made.
    static std::unique_ptr<LocalChannel> Open(const std::string& name);
    virtual ~LocalChannel() = default;
    // A sender that has connected, without waiting; nullptr when none waits.
    virtual std::unique_ptr<LocalConnection> Accept() = 0;
};

// Connects to the owner of `name`, waiting at most `timeoutMs` for it to
// take the connection; nullptr when nobody owns the name (or it belongs to
// another user), or it did not take the connection in time. On Windows the
// owner is allowed to bring its window to the foreground.
std::unique_ptr<LocalConnection> ConnectLocalChannel(const std::string& name, int timeoutMs);

}  // namespace tunewell::platform
