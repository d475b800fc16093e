// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/cookie_header.h"

#include <cstdlib>
#include <vector>

#include "base/text.h"
#include "net/cookie_store.h"

namespace tunewell::net {
namespace {

struct Target {
    std::string host;
    std::string path;
    bool secure = false;
};

bool ParseTarget(const std::string& url, Target& target) {
    const auto scheme = url.find("://");
    if (scheme == std::string::npos) return false;
    target.secure = base::LowerAscii(url.substr(0, scheme)) == "https";
    const auto hostStart = scheme + 3;
    const auto pathStart = url.find_first_of("/?#", hostStart);
    std::string authority = url.substr(hostStart, pathStart == std::string::npos ? pathStart : pathStart - hostStart);
    if (const auto at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
    if (const auto colon = authority.find(':'); colon != std::string::npos) authority.resize(colon);
    target.host = base::LowerAscii(authority);
    target.path = pathStart == std::string::npos || url[pathStart] != '/' ? "/" : url.substr(pathStart);
    if (const auto query = target.path.find_first_of("?#"); query != std::string::npos) target.path.resize(query);
    return !target.host.empty();
}

bool DomainMatches(const std::string& host, std::string domain, bool subdomains) {
    if (!domain.empty() && domain[0] == '.') domain.erase(0, 1);
    domain = base::LowerAscii(domain);
    if (host == domain) return true;
    return subdomains && host.size() > domain.size() && host.ends_with("." + domain);
}

bool PathMatches(const std::string& requestPath, const std::string& cookiePath) {
    if (!requestPath.starts_with(cookiePath)) return false;
    return requestPath.size() == cookiePath.size() || cookiePath.ends_with('/') ||
           requestPath[cookiePath.size()] == '/';
}

}  // namespace

std::string CookieHeaderFor(const std::string& url, const std::string& cookieLines, std::time_t now) {
    Target target;
    if (!ParseTarget(url, target)) return {};
    std::string header;
    for (std::string line : base::SplitAll(cookieLines, "\n")) {
        if (line.starts_with("#HttpOnly_")) line.erase(0, 10);
        const std::vector<std::string> fields = base::SplitAll(line, "\t");
        if (fields.size() < 7 || line.starts_with("#")) continue;
        const long long expires = std::atoll(fields[4].c_str());
        if (!DomainMatches(target.host, fields[0], fields[1] == "TRUE") ||
            !PathMatches(target.path, fields[2]) || (fields[3] == "TRUE" && !target.secure) ||
            (expires != 0 && expires <= now)) {
            continue;
        }
        if (!header.empty()) header += "; ";
        header += fields[5] + "=" + fields[6];
    }
    return header;
}

std::string CookieHeaderFor(const std::string& url) {
    return CookieHeaderFor(url, CookieStore::Instance().Dump(), std::time(nullptr));
}

}  // namespace tunewell::net
