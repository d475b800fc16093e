#include "web/http_client.h"

#include <cctype>

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "web/charset.h"
#include "net/cookie_store.h"
#include "net/curl_easy.h"
#include "web/text_utils.h"

namespace tunewell::web {
namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";
constexpr std::size_t kShortestAddress = 18;

using Easy = net::CurlEasy;
using HeaderList = net::CurlList;

std::mutex& LimitsMutex() {
    static std::mutex mutex;
    return mutex;
}
HttpLimits& CurrentLimits() {
    static HttpLimits limits;
    return limits;
}

size_t CollectBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// Whether the address names its scheme. libcurl would guess "http://" for
// a bare host; the program treats such an address as unusable instead, so
// that a typed address without its scheme fails visibly.
bool HasScheme(const std::string& url) {
    const auto colon = url.find("://");
    if (colon == std::string::npos || colon == 0) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// A fresh easy handle on the shared cookie store, with the time limits, no
// signals and the reply body collected into `body`.
Easy NewRequest(const std::string& url, std::string& body) {
    if (!HasScheme(url)) return nullptr;
    net::CookieStore& cookies = net::CookieStore::Instance();  // also initialises libcurl
    Easy easy(curl_easy_init());
    if (!easy) return nullptr;
    const HttpLimits limits = GetHttpLimits();
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    // Only web addresses: a file:// or other address must not read local data.
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    cookies.Attach(handle);
    return easy;
}

// A header value on one line: CR and LF would start a header of their own.
std::string SingleLine(const std::string& value) {
    std::string line;
    for (char c : value) {
        if (c != '\r' && c != '\n') line += c;
    }
    return line;
}

HeaderList PostHeaders(const std::string& refererUrl, std::size_t bodyBytes) {
    const std::string lines[] = {
        "Content-Length: " + std::to_string(bodyBytes),
        "Content-Type: application/x-www-form-urlencoded",
        std::string("User-Agent: ") + kUserAgent,
        // "Name;" is libcurl's form for a header with an empty value.
        refererUrl.empty() ? std::string("Referer;") : "Referer: " + SingleLine(refererUrl),
        "Expect:",  // no 100-continue round trip
    };
    curl_slist* list = nullptr;
    for (const std::string& line : lines) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr) {
            curl_slist_free_all(list);
            return nullptr;
        }
        list = grown;
    }
    return HeaderList(list);
}

}  // namespace

HttpLimits GetHttpLimits() {
    std::lock_guard<std::mutex> lock(LimitsMutex());
    return CurrentLimits();
}

void SetHttpLimits(const HttpLimits& limits) {
    std::lock_guard<std::mutex> lock(LimitsMutex());
    CurrentLimits() = limits;
}

std::string GetHttpPage(const std::string& httpUrl, const std::string& /*refererUrl*/,
                        const std::string& charset) {
    if (CharacterCount(httpUrl) < kShortestAddress || httpUrl == kFalse) return kFalse;
    std::string body;
    Easy easy = NewRequest(httpUrl, body);
    if (!easy) return kFalse;
    curl_easy_setopt(easy.get(), CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_MAXREDIRS, 20L);
    if (curl_easy_perform(easy.get()) != CURLE_OK) return kFalse;
    long status = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) return kFalse;
    return BytesToBstr(body, charset);
}

std::string GetHttpPage(const std::string& httpUrl, const std::string& charset) {
    return GetHttpPage(httpUrl, httpUrl, charset);
}

std::string PostHttpPage(const std::string& refererUrl, const std::string& postUrl,
                         const std::string& postData, const std::string& charset) {
    std::string body;
    Easy easy = NewRequest(postUrl, body);
    if (!easy) return kFalse;
    HeaderList headers = PostHeaders(refererUrl, postData.size());
    if (!headers) return kFalse;
    curl_easy_setopt(easy.get(), CURLOPT_POST, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(postData.size()));
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, postData.data());
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    if (curl_easy_perform(easy.get()) != CURLE_OK) return kFalse;
    return BytesToBstr(body, charset);
}

}  // namespace tunewell::web
