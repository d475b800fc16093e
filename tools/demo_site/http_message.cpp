// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/http_message.h"

#include <cctype>

#include "base/text.h"

namespace tunewell::demo {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string StripPort(std::string_view host) {
    const auto colon = host.rfind(':');
    if (colon != std::string_view::npos && host.find(']') == std::string_view::npos) {
        host = host.substr(0, colon);
    }
    return base::LowerAscii(host);
}

}  // namespace

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += (plusIsSpace && c == '+') ? ' ' : c;
    }
    return out;
}

std::string FormValue(std::string_view list, std::string_view key, bool* found) {
    if (found) *found = false;
    std::size_t start = 0;
    while (start <= list.size()) {
        auto end = list.find('&', start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view pair = list.substr(start, end - start);
        const auto eq = pair.find('=');
        const std::string_view name = pair.substr(0, eq);
        if (name == key) {
            if (found) *found = true;
            return eq == std::string_view::npos ? std::string() : std::string(pair.substr(eq + 1));
        }
        start = end + 1;
    }
    return {};
}

std::string HttpRequest::Header(std::string_view name) const {
    const std::string wanted = base::LowerAscii(name);
    for (const auto& [key, value] : headers) {
        if (base::LowerAscii(key) == wanted) return value;
    }
    return {};
}

std::string HttpRequest::QueryValue(std::string_view key) const { return FormValue(query, key); }

bool HttpRequest::HasQuery(std::string_view key) const {
    bool found = false;
    FormValue(query, key, &found);
    return found;
}

std::string HttpRequest::CookieValue(std::string_view name) const {
    const std::string cookies = Header("Cookie");
    std::size_t start = 0;
    while (start < cookies.size()) {
        auto end = cookies.find(';', start);
        if (end == std::string::npos) end = cookies.size();
        const std::string_view pair = Trim(std::string_view(cookies).substr(start, end - start));
        const auto eq = pair.find('=');
        if (eq != std::string_view::npos && pair.substr(0, eq) == name) {
            return std::string(pair.substr(eq + 1));
        }
        start = end + 1;
    }
    return {};
}

std::string HttpRequest::PathAndQuery() const { return query.empty() ? path : path + "?" + query; }

bool HttpRequest::KeepAlive() const {
    if (!http11) return false;
    for (const std::string& option : base::SplitAll(base::LowerAscii(Header("Connection")), ",")) {
        if (Trim(option) == "close") return false;
    }
    return true;
}

void HttpResponse::SetHeader(const std::string& name, const std::string& value) {
    const std::string wanted = base::LowerAscii(name);
    for (auto& [key, old] : headers) {
        if (base::LowerAscii(key) == wanted) {
            old = value;
            return;
        }
    }
    headers.emplace_back(name, value);
}

void HttpResponse::AddHeader(const std::string& name, const std::string& value) {
    headers.emplace_back(name, value);
}

std::string ReasonPhrase(int status) {
    switch (status) {
        case 100: return "Continue";
        case 200: return "OK";
        case 204: return "No Content";
        case 206: return "Partial Content";
        case 300: return "Multiple Choices";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 304: return "Not Modified";
        case 400: return "Bad Request";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 405: return "Method Not Allowed";
        case 413: return "Payload Too Large";
        case 431: return "Request Header Fields Too Large";
        case 500: return "Internal Server Error";
        case 501: return "Not Implemented";
        case 502: return "Bad Gateway";
        case 503: return "Service Unavailable";
        default: return "Status";
    }
}

void SplitTarget(HttpRequest& request) {
    std::string_view rest = request.target;
    std::string hostPart;
    const auto scheme = rest.find("://");
    if (scheme != std::string_view::npos && rest.find('/') > scheme) {
        rest.remove_prefix(scheme + 3);
        const auto slash = rest.find_first_of("/?");
        hostPart = std::string(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    } else {
        hostPart = request.Header("Host");
    }
    request.host = StripPort(Trim(hostPart));
    const auto question = rest.find('?');
    request.path = std::string(rest.substr(0, question));
    request.query = question == std::string_view::npos ? std::string() : std::string(rest.substr(question + 1));
    if (request.path.empty() || request.path.front() != '/') request.path = "/" + request.path;
}

}  // namespace tunewell::demo
