// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/url_origin.h"

#include <curl/curl.h>

#include <memory>

#include "base/text.h"
#include "net/easy_factory.h"

namespace tunewell::net {
namespace {

struct Server {
    std::string scheme, host, port;
};

std::string Part(CURLU* url, CURLUPart part, unsigned flags) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || text == nullptr) return {};
    std::string value(text);
    curl_free(text);
    return value;
}

// The scheme, host and port of a web address as libcurl reads it (so that
// the comparison sees what the request would reach); empty when none.
Server ServerOf(const std::string& address) {
    if (!IsWebAddress(address)) return {};
    std::unique_ptr<CURLU, void (*)(CURLU*)> url(curl_url(), &curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) return {};
    return {base::LowerAscii(Part(url.get(), CURLUPART_SCHEME, 0)),
            base::LowerAscii(Part(url.get(), CURLUPART_HOST, 0)),
            Part(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT)};
}

}  // namespace

bool SameServer(const std::string& from, const std::string& to) {
    const Server a = ServerOf(from);
    const Server b = ServerOf(to);
    if (a.host.empty() || a.host != b.host) return false;
    if (a.port == b.port && a.scheme == b.scheme) return true;
    return a.scheme == "http" && a.port == "80" && b.scheme == "https" && b.port == "443";
}

}  // namespace tunewell::net
