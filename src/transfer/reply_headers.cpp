// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/reply_headers.h"

#include <cctype>

#include "base/text.h"

namespace tunewell::transfer {
namespace {

constexpr std::size_t kLongestBlock = 64 * 1024;

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool ReadCount(const std::string& text, std::size_t& at, std::int64_t& value) {
    const std::size_t start = at;
    value = 0;
    while (at < text.size() && at - start < 18 && std::isdigit(static_cast<unsigned char>(text[at])))
        value = value * 10 + (text[at++] - '0');
    return at > start;
}

}  // namespace

void ReplyHeaders::Add(const char* data, std::size_t size) {
    const std::string line(data, size);
    if (line.rfind("HTTP/", 0) == 0) block_.clear();
    if (block_.size() + line.size() <= kLongestBlock) block_ += line;
}

std::string ReplyHeaders::Value(const std::string& name) const {
    const std::string wanted = base::LowerAscii(name) + ":";
    std::size_t start = 0;
    while (start < block_.size()) {
        std::size_t end = block_.find('\n', start);
        if (end == std::string::npos) end = block_.size();
        const std::string line = block_.substr(start, end - start);
        if (base::LowerAscii(line.substr(0, wanted.size())) == wanted) return Trim(line.substr(wanted.size()));
        start = end + 1;
    }
    return {};
}

int RetryAfterSeconds(const ReplyHeaders& headers) {
    constexpr int kDay = 86400;
    const std::string value = headers.Value("Retry-After");
    if (value.empty() || value.size() > 9) return -1;
    int seconds = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return -1;
        seconds = seconds * 10 + (c - '0');
    }
    return seconds > kDay ? kDay : seconds;
}

ResumeRecord RecordOf(const ReplyHeaders& headers, const std::string& source,
                      const std::string& targetName, std::int64_t length) {
    return ResumeRecord{source, targetName, headers.Value("ETag"), headers.Value("Last-Modified"),
                        length > 0 ? length : -1};
}

bool ContinuesPartial(const ReplyHeaders& headers, const ResumeRecord& previous, std::int64_t from,
                      std::int64_t length) {
    if (!previous.etag.empty() ? headers.Value("ETag") != previous.etag
                               : headers.Value("Last-Modified") != previous.lastModified)
        return false;
    // "bytes <first>-<last>/<whole>"
    const std::string range = headers.Value("Content-Range");
    if (base::LowerAscii(range.substr(0, 6)) != "bytes ") return false;
    std::size_t at = 6;
    std::int64_t first = 0, last = 0, whole = 0;
    if (!ReadCount(range, at, first) || at >= range.size() || range[at++] != '-') return false;
    if (!ReadCount(range, at, last) || at >= range.size() || range[at++] != '/') return false;
    if (!ReadCount(range, at, whole) || at != range.size()) return false;
    return first == from && whole == previous.total && last == whole - 1 && (length < 0 || length == whole - from);
}

std::string IfRangeValue(const ResumeRecord& previous) {
    if (!previous.etag.empty() && previous.etag.rfind("W/", 0) != 0) return previous.etag;
    return previous.lastModified;
}

}  // namespace tunewell::transfer
