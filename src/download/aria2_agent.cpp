// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/aria2_agent.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "net/cookie_header.h"
#include "net/http_request.h"
#include "net/json_rpc.h"

namespace tunewell::download {
namespace {

constexpr std::chrono::milliseconds kSubmitTimeout{15000};
// As many redirects as the program's own requests follow.
constexpr int kMostRedirects = 20;
// A redirect's body is a line or two; a song's is read no further.
constexpr std::size_t kProbeBodyBytes = 16 * 1024;
constexpr std::chrono::milliseconds kProbeTimeout{60000};

// How one address answered the program's own request.
struct Probe {
    enum class Answer { kFinal, kRedirect, kUnknown };
    Answer answer = Answer::kUnknown;
    std::string next;  // for kRedirect: the absolute address it names
};

Probe Ask(const std::string& address, const std::string& referer) {
    net::HttpRequest request;
    request.url = address;
    if (!referer.empty()) request.headers.push_back("Referer: " + referer);
    request.policy.followRedirects = false;
    request.policy.maxBody = kProbeBodyBytes;
    request.policy.total = kProbeTimeout;
    request.pump = net::WaitKind::kPage;
    const net::HttpResponse response = net::Perform(request);
    // A status other than a redirect is final even when its body was cut
    // off at the limit: aria2 would be answered the same way.
    if (response.status < 300 || response.status >= 400) {
        return {response.status >= 100 ? Probe::Answer::kFinal : Probe::Answer::kUnknown, {}};
    }
    // A redirect whose reply did not arrive whole may name a place unread.
    if (!response.Ok()) return {};
    if (response.redirectUrl.empty()) return {Probe::Answer::kFinal, {}};
    if (!net::IsWebAddress(response.redirectUrl)) return {};
    return {Probe::Answer::kRedirect, response.redirectUrl};
}

}  // namespace

Aria2Agent::HandOff Aria2Agent::ResolveHandOff(const std::string& address, const std::string& referer) {
    std::string current = address;
    for (int hop = 0; hop <= kMostRedirects; ++hop) {
        std::string cookie = net::CookieHeaderFor(current);
        if (cookie.empty()) return {current, {}};
        Probe probe = Ask(current, referer);
        if (probe.answer == Probe::Answer::kFinal) return {current, std::move(cookie)};
        if (probe.answer == Probe::Answer::kUnknown) break;
        current = std::move(probe.next);
    }
    return {current, {}};
}

std::string Aria2Agent::BuildAddUriRequest(const std::string& id, const std::string& address,
                                           const std::string& fileName, const std::string& folder,
                                           const std::string& referer, const std::string& cookie,
                                           const std::string& secret) {
    // A song already in the folder (or being fetched into it) stays the one
    // copy: aria2 would otherwise save "name.1.mp3" beside it.
    nlohmann::json options = {{"dir", folder}, {"out", fileName}, {"auto-file-renaming", "false"}};
    if (!referer.empty()) options["referer"] = referer;
    if (!cookie.empty()) options["header"] = nlohmann::json::array({"Cookie: " + cookie});
    nlohmann::json params = nlohmann::json::array();
    if (!secret.empty()) params.push_back("token:" + secret);
    params.push_back(nlohmann::json::array({address}));
    params.push_back(options);
    const nlohmann::json request = {
        {"jsonrpc", "2.0"}, {"id", id}, {"method", "aria2.addUri"}, {"params", params}};
    // Invalid UTF-8 from a page must not abort the hand-off.
    return request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool Aria2Agent::AddTask(const std::string& address, const std::string& fileName,
                         const std::string& folder, const std::string&, const std::string& referer,
                         std::int16_t, std::int16_t, std::int16_t) {
    // The program's own cookies (the file host's key among them) must go
    // with the task: aria2 has no other way to learn them. They go only to
    // the host they belong to.
    HandOff handOff = ResolveHandOff(address, referer);
    queue_.push_back(Task{std::move(handOff.address), fileName, folder, referer, std::move(handOff.cookie)});
    return true;
}

bool Aria2Agent::CommitTasks2(std::int16_t) {
    bool allAccepted = true;
    int number = 0;
    for (const Task& task : queue_) {
        const std::string id = "tunewell-" + std::to_string(++number);
        allAccepted = Submit(BuildAddUriRequest(id, task.address, task.fileName, task.folder,
                                                task.referer, task.cookie, secret_)) &&
                      allAccepted;
    }
    queue_.clear();
    return allAccepted;
}

bool Aria2Agent::Submit(const std::string& request) const {
    const auto reply = net::CallJsonRpc(endpoint_, request, kSubmitTimeout);
    return reply && reply->status == 200 && IsAccepted(reply->body);
}

bool Aria2Agent::IsAccepted(const std::string& reply) {
    const nlohmann::json answer = nlohmann::json::parse(reply, nullptr, false);
    return answer.is_object() && answer.contains("result") && !answer.contains("error");
}

}  // namespace tunewell::download
