// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/cookie_store.h"

#include "net/curl_easy.h"
#include "net/process_share.h"

#include <curl/curl.h>

#include <memory>

namespace tunewell::net {
namespace {


// Host and path of an absolute http(s) address; path "/" when none.
bool SplitHostPath(const std::string& url, std::string& host, std::string& path) {
    const auto scheme = url.find("://");
    if (scheme == std::string::npos) return false;
    const auto hostStart = scheme + 3;
    const auto slash = url.find('/', hostStart);
    host = url.substr(hostStart, slash == std::string::npos ? std::string::npos : slash - hostStart);
    const auto colon = host.find(':');
    if (colon != std::string::npos) host.resize(colon);
    path = slash == std::string::npos ? "/" : url.substr(slash);
    const auto query = path.find_first_of("?#");
    if (query != std::string::npos) path.resize(query);
    return !host.empty();
}

}  // namespace

CookieStore& CookieStore::Instance() {
    static CookieStore store;
    return store;
}

CookieStore::CookieStore() : share_(ProcessShare()) {}

void CookieStore::Attach(CURL* easy) {
    curl_easy_setopt(easy, CURLOPT_SHARE, share_);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // cookie engine on, no file
}

bool CookieStore::Store(const std::string& url, const std::string& name, const std::string& data) {
    std::string host, path;
    if (name.empty() || !SplitHostPath(url, host, path)) return false;
    CurlEasy easy(curl_easy_init());
    if (!easy) return false;
    Attach(easy.get());
    // A cookie for the address's host (and, as the desktop cookie store the
    // file-hosting service was built for keeps it, that host's subdomains,
    // where its storage hosts live) and path. Netscape file form lets the
    // expiry be given exactly; an unreadable date makes a session cookie.
    const auto semicolon = data.find(';');
    const std::string value = data.substr(0, semicolon);
    long long expires = 0;
    const auto at = data.find("expires=");
    if (at != std::string::npos) {
        const auto end = data.find(';', at);
        const std::string date = data.substr(at + 8, end == std::string::npos ? end : end - at - 8);
        const time_t parsed = curl_getdate(date.c_str(), nullptr);
        if (parsed > 0) expires = parsed;
    }
    const std::string line = host + "\tTRUE\t" + path + "\tFALSE\t" + std::to_string(expires) +
                             "\t" + name + "\t" + value;
    return curl_easy_setopt(easy.get(), CURLOPT_COOKIELIST, line.c_str()) == CURLE_OK;
}

std::string CookieStore::Dump() {
    CurlEasy easy(curl_easy_init());
    if (!easy) return {};
    Attach(easy.get());
    curl_slist* cookies = nullptr;
    curl_easy_getinfo(easy.get(), CURLINFO_COOKIELIST, &cookies);
    std::string out;
    for (curl_slist* item = cookies; item != nullptr; item = item->next) {
        out += item->data;
        out += '\n';
    }
    curl_slist_free_all(cookies);
    return out;
}

void CookieStore::Clear() {
    CurlEasy easy(curl_easy_init());
    if (!easy) return;
    Attach(easy.get());
    curl_easy_setopt(easy.get(), CURLOPT_COOKIELIST, "ALL");
}

}  // namespace tunewell::net
