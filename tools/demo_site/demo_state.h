// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "demo_site/demo_site.h"

namespace tunewell::demo {

// What the demo site remembers between requests: its options, the request
// log, issued sign-in forms and signed-in sessions. Thread-safe except for
// the options, which tests change only between requests.
class DemoState {
public:
    explicit DemoState(DemoOptions options) : options_(std::move(options)) {}

    DemoOptions& Options() { return options_; }

    void Record(const HttpRequest& request);
    std::vector<RecordedRequest> Requests() const;
    void ClearRequests();

    // A fresh passcode / mpc pair for one sign-in form.
    std::pair<std::string, std::string> IssueFormValues();
    // Whether the pair was issued by IssueFormValues.
    bool FormValuesValid(const std::string& passcode, const std::string& mpc) const;
    // A new session token for a user who signed in.
    std::string OpenSession(const std::string& user);
    bool SessionValid(const std::string& token) const;
    void SignOutAll();

    // Whether a program download has been served since the start.
    void NoteProgramServed() { programServed_ = true; }
    bool ProgramServed() const { return programServed_.load(); }
    // Counts program and signature bytes handed to a connection.
    void NoteProgramBytesSent(std::uint64_t bytes) { programBytesSent_ += bytes; }
    std::uint64_t ProgramBytesSent() const { return programBytesSent_.load(); }

    // Counts a request for `path`: 1 for the first since the site started.
    int CountRequest(const std::string& path);

    void SetStopping(bool stopping) { stopping_ = stopping; }
    bool Stopping() const { return stopping_.load(); }
    // Sleeps for `duration` in short steps; returns false at once when the
    // site starts stopping.
    bool SleepUnlessStopping(std::chrono::milliseconds duration) const;

private:
    std::string NextToken(const char* prefix);

    DemoOptions options_;
    mutable std::mutex mutex_;
    std::vector<RecordedRequest> requests_;
    std::map<std::string, std::string> forms_;  // passcode -> mpc
    std::map<std::string, std::string> sessions_;  // token -> user
    std::map<std::string, int> requestCounts_;     // path -> requests so far
    unsigned long counter_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> programServed_{false};
    std::atomic<std::uint64_t> programBytesSent_{0};
};

}  // namespace tunewell::demo
