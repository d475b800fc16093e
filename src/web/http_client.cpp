// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/http_client.h"

#include <mutex>

#include "base/program_version.h"
#include "net/http_request.h"
#include "net/url_origin.h"
#include "text/charset.h"
#include "text/text_utils.h"

namespace tunewell::web {
namespace {

// The sign-in form keeps the browser's name the site has always seen, and
// names this program beside it as every other request does.
const std::string kUserAgent =
    std::string("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1) Tunewell/") + base::kProgramVersion;
constexpr std::size_t kShortestAddress = 18;
// Redirects a POST may go through: the GET that follows a 301, 302 or 303
// follows its own; a 307 or 308 sends the form again, so each counts here.
constexpr int kMaxPostHops = 10;

std::mutex& LimitsMutex() {
    static std::mutex mutex;
    return mutex;
}
HttpLimits& CurrentLimits() {
    static HttpLimits limits;
    return limits;
}

// A page request: the time limits in force, the shared cookie store, the
// page body cap, and the window's wait pump while it waits.
net::HttpRequest PageRequest(const std::string& url) {
    const HttpLimits limits = GetHttpLimits();
    net::HttpRequest request;
    request.url = url;
    request.policy.connect = std::chrono::seconds(limits.connectSeconds);
    request.policy.stall = std::chrono::seconds(limits.stallSeconds);
    request.policy.stallBytes = limits.stallBytes;
    request.policy.total = std::chrono::seconds(limits.totalSeconds);
    request.pump = net::WaitKind::kPage;
    return request;
}

// A header value on one line: CR and LF would start a header of their own.
std::string SingleLine(const std::string& value) {
    std::string line;
    for (char c : value) {
        if (c != '\r' && c != '\n') line += c;
    }
    return line;
}

std::vector<std::string> PostHeaders(const std::string& refererUrl, std::size_t bodyBytes) {
    return {
        "Content-Length: " + std::to_string(bodyBytes),
        "Content-Type: application/x-www-form-urlencoded",
        std::string("User-Agent: ") + kUserAgent,
        // "Name;" is libcurl's form for a header with an empty value.
        refererUrl.empty() ? std::string("Referer;") : "Referer: " + SingleLine(refererUrl),
        "Expect:",  // no 100-continue round trip
    };
}

bool IsRedirect(long status) { return status >= 300 && status < 400; }
// Browsers repeat the form only after 307 and 308; after the others they GET.
bool KeepsMethod(long status) { return status == 307 || status == 308; }

// Decodes a body and frees it before returning, so that the bytes and the
// text are never held twice over in the caller.
std::string Decode(std::string&& body, const std::string& charset) {
    const std::string bytes = std::move(body);
    return text::BytesToBstr(bytes, charset);
}

PageResult::Failure PageFailure(const net::HttpResponse& response) {
    using Failure = PageResult::Failure;
    switch (response.failure) {
        case net::Failure::kNone: return response.status == 200 ? Failure::kNone : Failure::kHttpStatus;
        case net::Failure::kRefusedAddress: return Failure::kRefused;
        case net::Failure::kHttpStatus: return Failure::kHttpStatus;
        case net::Failure::kStall: return Failure::kStall;
        case net::Failure::kTimeout: return Failure::kTimeout;
        case net::Failure::kSizeCap: return Failure::kTooLarge;
        case net::Failure::kTransport:
        case net::Failure::kAborted: break;
    }
    return Failure::kNetwork;
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

PageResult FetchHttpPage(const std::string& httpUrl, const std::string& charset) {
    using Failure = PageResult::Failure;
    PageResult result{kFalse, Failure::kRefused, 0};
    if (text::CharacterCount(httpUrl) < kShortestAddress || httpUrl == kFalse) return result;
    net::HttpResponse response = net::Perform(PageRequest(httpUrl));
    result.status = response.status;
    result.failure = PageFailure(response);
    if (result.failure == Failure::kNone) result.page = Decode(std::move(response.body), charset);
    return result;
}

std::string GetHttpPage(const std::string& httpUrl, const std::string& /*refererUrl*/,
                        const std::string& charset) {
    return FetchHttpPage(httpUrl, charset).page;
}

std::string GetHttpPage(const std::string& httpUrl, const std::string& charset) {
    return GetHttpPage(httpUrl, httpUrl, charset);
}

std::string PostHttpPage(const std::string& refererUrl, const std::string& postUrl,
                         const std::string& postData, const std::string& charset) {
    // The form goes out without following redirects, so that the headers
    // that describe the form never travel with the GET that follows one.
    net::HttpRequest request = PageRequest(postUrl);
    request.postBody = postData;
    request.headers = PostHeaders(refererUrl, postData.size());
    request.policy.followRedirects = false;
    net::HttpResponse response = net::Perform(request);
    for (int hop = 0; response.Ok() && IsRedirect(response.status) && !response.redirectUrl.empty();
         ++hop) {
        if (hop == kMaxPostHops) return kFalse;
        if (KeepsMethod(response.status)) {
            // The form holds the password: it goes to no other server than
            // the one it was meant for.
            if (!net::SameServer(request.url, response.redirectUrl)) return kFalse;
            request.url = response.redirectUrl;
            response = net::Perform(request);
        } else {
            response = net::Perform(PageRequest(response.redirectUrl));
        }
    }
    if (!response.Ok()) return kFalse;
    return Decode(std::move(response.body), charset);
}

}  // namespace tunewell::web
