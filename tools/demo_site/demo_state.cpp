// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/demo_state.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace tunewell::demo {
namespace {

// Forms issued but never posted are forgotten beyond this many.
constexpr std::size_t kMaxForms = 1000;

}  // namespace

void DemoState::Record(const HttpRequest& request) {
    RecordedRequest entry{request.method, request.host, request.PathAndQuery(), request.headers, request.body,
                          request.connection};
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(std::move(entry));
}

std::vector<RecordedRequest> DemoState::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

int DemoState::CountRequest(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    return ++requestCounts_[path];
}

void DemoState::ClearRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

std::string DemoState::NextToken(const char* prefix) {
    // Varied but reproducible tokens: a counter mixed into a fixed pattern.
    ++counter_;
    const unsigned long mixed = (counter_ * 2654435761ul) % 1000000ul;
    char text[40];
    std::snprintf(text, sizeof text, "%s%06lu%lu", prefix, mixed, counter_);
    return text;
}

std::pair<std::string, std::string> DemoState::IssueFormValues() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (forms_.size() >= kMaxForms) forms_.clear();
    std::string passcode = NextToken("pc");
    std::string mpc = NextToken("");
    forms_[passcode] = mpc;
    return {passcode, mpc};
}

bool DemoState::FormValuesValid(const std::string& passcode, const std::string& mpc) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = forms_.find(passcode);
    return it != forms_.end() && it->second == mpc;
}

std::string DemoState::OpenSession(const std::string& user) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string token = NextToken("s");
    sessions_[token] = user;
    return token;
}

bool DemoState::SessionValid(const std::string& token) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !token.empty() && sessions_.count(token) > 0;
}

void DemoState::SignOutAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    sessions_.clear();
}

bool DemoState::SleepUnlessStopping(std::chrono::milliseconds duration) const {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        if (Stopping()) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(20)));
    }
    return !Stopping();
}

}  // namespace tunewell::demo
