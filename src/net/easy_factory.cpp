// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/easy_factory.h"

#include "base/program_version.h"
#include "base/text.h"
#include "net/cookie_store.h"
#include "net/process_share.h"

#include <curl/curl.h>

namespace tunewell::net {

namespace {

// Every request of both programs names them and the build's version, so
// a server's log can tell which version asked.
const std::string& UserAgent() {
    static const std::string agent = std::string("Tunewell/") + base::kProgramVersion;
    return agent;
}

}  // namespace

bool IsWebAddress(const std::string& url) {
    return (base::StartsWithNoCase(url, "http://") && url.size() > 7) ||
           (base::StartsWithNoCase(url, "https://") && url.size() > 8);
}

CurlEasy NewEasy(const std::string& url, const RequestPolicy& policy) {
    if (!IsWebAddress(url)) return nullptr;
    CookieStore& cookies = CookieStore::Instance();  // also initialises libcurl
    CurlEasy easy(curl_easy_init());
    if (!easy) return nullptr;
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    // Only web addresses: a file:// or other address must not read local data.
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, UserAgent().c_str());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(policy.connect.count()));
    // The overall limit is kept by Drive, which leaves out the time the
    // caller's wait step takes.
    if (!policy.proxyFromEnvironment) curl_easy_setopt(handle, CURLOPT_PROXY, "");
    if (policy.followRedirects) {
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, policy.maxRedirects);
    }
    if (policy.maxBody > 0)
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(policy.maxBody));
    if (policy.receiveBuffer > 0) curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, policy.receiveBuffer);
    if (policy.sharedConnections) {
        // The cookie engine stays off unless asked for: a handle on the
        // share without it neither sends nor keeps the shared cookies.
        if (policy.sharedCookies) {
            cookies.Attach(handle);
        } else {
            curl_easy_setopt(handle, CURLOPT_SHARE, ProcessShare());
        }
    }
    return easy;
}

}  // namespace tunewell::net
