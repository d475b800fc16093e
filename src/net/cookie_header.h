// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <ctime>
#include <string>

namespace tunewell::net {

// The "name=value; name=value" list of the process's cookies that a request
// to `url` would carry: domain (a cookie for a domain that allows its
// subdomains also matches them), path prefix and expiry are checked as a
// browser would; secure cookies go only to https. Empty when none match.
// `cookieLines` are Netscape cookie-file lines (CookieStore::Dump).
std::string CookieHeaderFor(const std::string& url, const std::string& cookieLines, std::time_t now);

// The same over the process's cookie store at the current time.
std::string CookieHeaderFor(const std::string& url);

}  // namespace tunewell::net
