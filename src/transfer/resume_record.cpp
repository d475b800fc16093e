// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/resume_record.h"

#include <cstdlib>

#include "platform/file_io.h"
#include "platform/file_replace.h"

namespace tunewell::transfer {
namespace {

constexpr const char* kFormatLine = "tunewell-partial 1";
constexpr std::size_t kLongestRecord = 16 * 1024;

std::string OneLine(const std::string& value) {
    std::string line;
    for (const char c : value) {
        if (c != '\r' && c != '\n') line += c;
    }
    return line;
}

// A whole number of bytes, or -1 (unknown).
bool ParseCount(const std::string& text, std::int64_t& value) {
    if (text == "-1") {
        value = -1;
        return true;
    }
    if (text.empty() || text.size() > 18) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// The record's fields, whether or not it can be used for resuming.
std::optional<ResumeRecord> ParseRecordFields(const std::string& text) {
    const std::string keys[] = {"source=", "target=", "etag=", "last-modified=", "total="};
    std::string values[5];
    std::size_t at = text.find('\n');
    if (at == std::string::npos || text.compare(0, at, kFormatLine) != 0) return std::nullopt;
    for (std::size_t i = 0; i < 5; ++i) {
        const std::size_t start = at + 1;
        at = text.find('\n', start);
        if (at == std::string::npos || text.compare(start, keys[i].size(), keys[i]) != 0)
            return std::nullopt;
        values[i] = text.substr(start + keys[i].size(), at - start - keys[i].size());
    }
    if (at + 1 != text.size()) return std::nullopt;
    ResumeRecord record{values[0], values[1], values[2], values[3], -1};
    if (!ParseCount(values[4], record.total)) return std::nullopt;
    return record;
}

// The file's text when it is a small regular file (never through a link).
std::optional<std::string> ReadSmallFile(const std::string& path) {
    const int fd = platform::OpenForReading(path, false);
    if (fd < 0) return std::nullopt;
    std::string text(kLongestRecord + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        const long long got = platform::ReadSome(fd, text.data() + used, text.size() - used);
        if (got <= 0) break;
        used += static_cast<std::size_t>(got);
        if (used == text.size()) break;
    }
    platform::CloseFile(fd);
    if (used > kLongestRecord) return std::nullopt;
    text.resize(used);
    return text;
}

}  // namespace

std::string FormatResumeRecord(const ResumeRecord& record) {
    return std::string(kFormatLine) + "\nsource=" + OneLine(record.source) +
           "\ntarget=" + OneLine(record.target) + "\netag=" + OneLine(record.etag) +
           "\nlast-modified=" + OneLine(record.lastModified) +
           "\ntotal=" + std::to_string(record.total) + "\n";
}

std::optional<ResumeRecord> ParseResumeRecord(const std::string& text) {
    std::optional<ResumeRecord> record = ParseRecordFields(text);
    if (!record || !record->Usable() || record->source.empty()) return std::nullopt;
    return record;
}

std::optional<ResumeRecord> ReadResumeRecord(const std::string& path) {
    const std::optional<std::string> text = ReadSmallFile(path);
    return text ? ParseResumeRecord(*text) : std::nullopt;
}

bool IsResumeRecordFile(const std::string& path) {
    const std::optional<std::string> text = ReadSmallFile(path);
    return text && ParseRecordFields(*text).has_value();
}

bool WriteResumeRecord(const std::string& path, const ResumeRecord& record) {
    // A short temporary name: the record's own name may be at the length
    // limit. Left behind by a crash, it goes with the stale partials.
    platform::ReplaceTemp temp(path, ".tw-", ".part");
    return temp.IsOpen() && temp.WriteAll(FormatResumeRecord(record)) && temp.Commit(path, {});
}

}  // namespace tunewell::transfer
