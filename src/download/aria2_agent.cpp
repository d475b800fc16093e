#include "download/aria2_agent.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "net/json_rpc.h"

namespace tunewell::download {
namespace {

constexpr std::chrono::milliseconds kSubmitTimeout{15000};

}  // namespace

std::string Aria2Agent::BuildAddUriRequest(const std::string& id, const std::string& address,
                                           const std::string& fileName, const std::string& folder,
                                           const std::string& referer) {
    nlohmann::json options = {{"dir", folder}, {"out", fileName}};
    if (!referer.empty()) options["referer"] = referer;
    const nlohmann::json request = {{"jsonrpc", "2.0"},
                                    {"id", id},
                                    {"method", "aria2.addUri"},
                                    {"params", {nlohmann::json::array({address}), options}}};
    // Invalid UTF-8 from a page must not abort the hand-off.
    return request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool Aria2Agent::AddTask(const std::string& address, const std::string& fileName,
                         const std::string& folder, const std::string&, const std::string& referer,
                         std::int16_t, std::int16_t, std::int16_t) {
    queue_.push_back(Task{address, fileName, folder, referer});
    return true;
}

bool Aria2Agent::CommitTasks2(std::int16_t) {
    bool allAccepted = true;
    int number = 0;
    for (const Task& task : queue_) {
        const std::string id = "tunewell-" + std::to_string(++number);
        allAccepted = Submit(BuildAddUriRequest(id, task.address, task.fileName, task.folder,
                                                task.referer)) && allAccepted;
    }
    queue_.clear();
    return allAccepted;
}

bool Aria2Agent::Submit(const std::string& request) const {
    const auto reply = net::CallJsonRpc(endpoint_, request, kSubmitTimeout);
    if (!reply || reply->status != 200) return false;
    const nlohmann::json answer = nlohmann::json::parse(reply->body, nullptr, false);
    return !answer.is_discarded() && answer.contains("result") && !answer.contains("error");
}

}  // namespace tunewell::download
