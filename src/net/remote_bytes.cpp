#include "net/remote_bytes.h"

#include <curl/curl.h>

#include <memory>

namespace tunewell::net {
namespace {

struct Sink {
    std::string bytes;
    std::size_t maxBytes = 0;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t length = size * count;
    if (sink->bytes.size() + length > sink->maxBytes) return 0;  // too large: abort
    sink->bytes.append(data, length);
    return length;
}

}  // namespace

std::optional<std::string> FetchRemoteBytes(const std::string& address, std::size_t maxBytes) {
    if (address.empty()) return std::nullopt;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return std::nullopt;
    Sink sink;
    sink.maxBytes = maxBytes;
    curl_easy_setopt(curl.get(), CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, 20L);
    // A server that stops sending for 30 seconds ends the fetch.
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    if (curl_easy_perform(curl.get()) != CURLE_OK) return std::nullopt;
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) return std::nullopt;
    return std::move(sink.bytes);
}

}  // namespace tunewell::net
