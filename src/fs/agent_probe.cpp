#include "fs/agent_probe.h"

#include <curl/curl.h>

#include <memory>
#include <nlohmann/json.hpp>

namespace tunewell::fs {
namespace {

constexpr const char* kProbeRequest =
    R"({"jsonrpc":"2.0","id":"probe","method":"aria2.getVersion"})";
constexpr std::size_t kMaxReply = 64 * 1024;

size_t CollectReply(char* data, size_t size, size_t count, void* target) {
    auto* reply = static_cast<std::string*>(target);
    const size_t bytes = size * count;
    if (reply->size() + bytes > kMaxReply) return 0;  // aborts the transfer
    reply->append(data, bytes);
    return bytes;
}

bool IsJsonRpcReply(const std::string& body) {
    const auto reply = nlohmann::json::parse(body, nullptr, false);
    if (reply.is_discarded() || !reply.is_object()) return false;
    return reply.contains("result") || reply.contains("error");
}

}  // namespace

bool AgentAnswers(const std::string& endpoint, std::chrono::milliseconds timeout) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                            &curl_easy_cleanup);
    if (!curl) return false;
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        curl_slist_append(nullptr, "Content-Type: application/json"), &curl_slist_free_all);
    std::string reply;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, endpoint.c_str());
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, kProbeRequest);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CollectReply);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reply);
    if (curl_easy_perform(handle) != CURLE_OK) return false;
    return IsJsonRpcReply(reply);
}

}  // namespace tunewell::fs
