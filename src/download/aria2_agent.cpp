#include "download/aria2_agent.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "net/cookie_header.h"
#include "net/json_rpc.h"

namespace tunewell::download {
namespace {

constexpr std::chrono::milliseconds kSubmitTimeout{15000};

}  // namespace

std::string Aria2Agent::BuildAddUriRequest(const std::string& id, const std::string& address,
                                           const std::string& fileName, const std::string& folder,
                                           const std::string& referer, const std::string& cookie,
                                           const std::string& secret) {
    nlohmann::json options = {{"dir", folder}, {"out", fileName}};
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
    // with the task: aria2 has no other way to learn them.
    queue_.push_back(Task{address, fileName, folder, referer, net::CookieHeaderFor(address)});
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
