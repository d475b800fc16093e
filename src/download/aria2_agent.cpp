#include "download/aria2_agent.h"

#include <curl/curl.h>

#include <memory>
#include <nlohmann/json.hpp>

#include "download/cookie_header.h"
#include "net/curl_easy.h"

namespace tunewell::download {
namespace {

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}


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
    queue_.push_back(Task{address, fileName, folder, referer, CookieHeaderFor(address)});
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
    net::CurlEasy easy(curl_easy_init());
    if (!easy) return false;
    net::CurlList headers(
        curl_slist_append(nullptr, "Content-Type: application/json"));
    std::string reply;
    curl_easy_setopt(easy.get(), CURLOPT_URL, endpoint_.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_PROXY, "");  // never through the site's proxy
    curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, request.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(request.size()));
    curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT, 5L);
    curl_easy_setopt(easy.get(), CURLOPT_TIMEOUT, 15L);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &reply);
    if (curl_easy_perform(easy.get()) != CURLE_OK) return false;
    long status = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    return status == 200 && IsAccepted(reply);
}

bool Aria2Agent::IsAccepted(const std::string& reply) {
    const nlohmann::json answer = nlohmann::json::parse(reply, nullptr, false);
    return answer.is_object() && answer.contains("result") && !answer.contains("error");
}

}  // namespace tunewell::download
