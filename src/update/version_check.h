// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>

#include "base/program_version.h"
#include "ports/event_pump.h"
#include "ports/status_line.h"

namespace tunewell::update {

// The program's own version, compared against the version server's.
inline constexpr int kVersionMajor = base::kVersionMajor;
inline constexpr int kVersionMinor = base::kVersionMinor;

// The advertisement and update globals; empty until the check fills them.
struct UpdateGlobals {
    std::string AdPic;
    std::string AdLink;
    std::string UpdateLink;
    // The newest version as the version server announced it (the text of
    // its version tag), set before the updater opens; the in-program
    // updater installs only a program signed as this version.
    std::string OfferedVersion;
};

// The two tagged fields of a version reply (empty when a tag is missing).
struct VersionReply {
    std::string version;
    std::string advertisement;
};

VersionReply ParseVersionReply(const std::string& reply);

// "2.6.1" -> "2.6": the first two "."-separated parts when a "." stands at
// the second character or later; other texts unchanged.
std::string CutVersion(const std::string& version);

// The version request: the serial percent-encoded (bytes outside letters,
// digits and "-._~" as %XX), a random number 10000..999998.
std::string VersionRequestAddress(const std::string& serial, long randomNumber);

// The start-up version and advertisement check. Asks the version server
// once; a newer version turns the status red and calls `openUpdater` (which
// opens the updater window and hides the main window). Failures are quiet.
// A reply that comes after something else has written the status line (the
// user fetched a list meanwhile) leaves that newer text alone.
class VersionCheck {
public:
    VersionCheck(ports::StatusLine& status, ports::EventPump& events, UpdateGlobals& globals,
                 std::function<void()> openUpdater)
        : status_(status), events_(events), globals_(globals), openUpdater_(std::move(openUpdater)) {}

    // `serial` is drive 0's serial number (empty when unreadable).
    void CheckVersion(const std::string& serial);

    // How the reply is fetched; GetHttpPage unless replaced (tests).
    std::function<std::string(const std::string& address)> fetch;

    // Applies a reply as CheckVersion does after fetching it (pure of I/O);
    // `tellStatus` false leaves the status line as it is.
    void ApplyReply(const std::string& reply, bool tellStatus = true);

private:
    ports::StatusLine& status_;
    ports::EventPump& events_;
    UpdateGlobals& globals_;
    std::function<void()> openUpdater_;
};

}  // namespace tunewell::update
