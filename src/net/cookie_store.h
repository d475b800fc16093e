// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "net/curl_easy.h"

namespace tunewell::net {

// The one cookie store of the process, kept in the process's libcurl share
// handle (ProcessShare). Page requests and file transfers attach their easy
// handles to it, so cookies a reply sets (the site's session after sign-in,
// for one) go out with every later request, and cookies stored here go out
// with the next transfer.
class CookieStore {
public:
    static CookieStore& Instance();

    // Attaches an easy handle to the process share (connections included)
    // and turns its cookie engine on. Call before every perform.
    void Attach(CURL* easy);

    // Stores one cookie for the host (subdomains included) and path of `url`. `data` is
    // "value;expires=<date>" as a page script would write it. Returns false
    // when the address or cookie cannot be stored.
    bool Store(const std::string& url, const std::string& name, const std::string& data);

    // Every cookie in Netscape file lines (for tests and diagnostics).
    std::string Dump();
    // Forgets every cookie (tests).
    void Clear();

    CookieStore(const CookieStore&) = delete;
    CookieStore& operator=(const CookieStore&) = delete;

private:
    CookieStore();
    CURLSH* share_;  // the process share, never released
};

}  // namespace tunewell::net
