// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/partial_files.h"

#include <cctype>
#include <ctime>
#include <string_view>

#include "platform/file_io.h"
#include "transfer/resume_record.h"

namespace tunewell::transfer {
namespace {

constexpr std::size_t kLongestName = 255;
constexpr const char* kPartSuffix = ".part";
constexpr const char* kRecordSuffix = ".info";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The longest start of `name` of at most `bytes` bytes that does not end
// inside a UTF-8 sequence.
std::string CutAtCharacter(const std::string& name, std::size_t bytes) {
    if (name.size() <= bytes) return name;
    std::size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

bool OlderThan(const platform::PathStatus& info, std::chrono::hours maxAge) {
    const std::int64_t now = std::time(nullptr);
    return now - info.modifiedSeconds > static_cast<std::int64_t>(maxAge.count()) * 3600;
}

// ".tw-" + six letters or digits + ".part": the temporaries of a fresh
// transfer and of a record being written (platform::ReplaceTemp).
bool IsOwnTemporaryName(const std::string& name) {
    constexpr std::string_view kPrefix = ".tw-";
    constexpr std::size_t kTag = 6;
    if (name.size() != kPrefix.size() + kTag + 5 || name.compare(0, kPrefix.size(), kPrefix) != 0 ||
        !EndsWith(name, kPartSuffix))
        return false;
    for (std::size_t i = kPrefix.size(); i < kPrefix.size() + kTag; ++i) {
        if (std::isalnum(static_cast<unsigned char>(name[i])) == 0) return false;
    }
    return true;
}

// Whether `path` is a record this program wrote.
bool IsOwnRecord(const std::string& path) { return IsResumeRecordFile(path); }

// Removes one file (and, for a partial, its record) when it is old and no
// transfer holds its lock. Paths are the folder's prefix and the names.
bool RemoveIfStale(const std::string& prefix, const std::string& name, const std::string& record,
                   std::chrono::hours maxAge) {
    const int fd = platform::OpenForReading(prefix + name, false);
    if (fd < 0) return false;
    const platform::PathStatus info = platform::StatusOfOpen(fd);
    bool removed = false;
    if (info.kind == platform::PathStatus::Kind::kFile && OlderThan(info, maxAge) && platform::TryLockFile(fd)) {
        // Removed while the lock is held, so no transfer takes it up in
        // between (Windows completes the removal when the file is closed).
        removed = platform::RemoveFile(prefix + name);
        if (!record.empty()) platform::RemoveFile(prefix + record);
    }
    platform::CloseFile(fd);
    return removed;
}

}  // namespace

std::string PartialPathFor(const std::string& targetPath) {
    const std::size_t start = platform::NameStart(targetPath);
    const std::string folder = targetPath.substr(0, start);
    const std::string name = targetPath.substr(start);
    const std::size_t room = kLongestName - 1 - std::char_traits<char>::length(kPartSuffix) -
                             std::char_traits<char>::length(kRecordSuffix);
    return folder + "." + CutAtCharacter(name, room) + kPartSuffix;
}

std::string PartialRecordPath(const std::string& partialPath) { return partialPath + kRecordSuffix; }

int RemoveStalePartials(const std::string& folder, std::chrono::hours maxAge) {
    const bool closed = !folder.empty() && platform::NameStart(folder) == folder.size();
    const std::string prefix = closed ? folder : folder + platform::PathSeparator();
    int removed = 0;
    for (const std::string& name : platform::FolderEntries(folder)) {
        if (name.size() < 2 || name[0] != '.') continue;
        const std::string record = name + kRecordSuffix;
        if (IsOwnTemporaryName(name)) {
            removed += RemoveIfStale(prefix, name, "", maxAge) ? 1 : 0;
        } else if (EndsWith(name, kPartSuffix)) {
            // Only a partial whose record this program wrote is known to be
            // its own; any other file of that form is the user's.
            if (IsOwnRecord(prefix + record)) removed += RemoveIfStale(prefix, name, record, maxAge) ? 1 : 0;
        } else if (EndsWith(name, std::string(kPartSuffix) + kRecordSuffix)) {
            // A record whose partial is gone (a crash between the two removals).
            const std::string partial = name.substr(0, name.size() - std::char_traits<char>::length(kRecordSuffix));
            if (platform::StatusOf(prefix + partial, false).kind == platform::PathStatus::Kind::kMissing &&
                IsOwnRecord(prefix + name))
                removed += RemoveIfStale(prefix, name, "", maxAge) ? 1 : 0;
        }
    }
    return removed;
}

}  // namespace tunewell::transfer
