#include "transfer/partial_files.h"

#include <ctime>

#include "platform/file_io.h"

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

// Removes one partial when it is old and no transfer holds its lock.
bool RemoveIfStale(const std::string& path, std::chrono::hours maxAge) {
    const int fd = platform::OpenForReading(path, false);
    if (fd < 0) return false;
    const platform::PathStatus info = platform::StatusOfOpen(fd);
    bool removed = false;
    if (info.kind == platform::PathStatus::Kind::kFile && OlderThan(info, maxAge) && platform::TryLockFile(fd)) {
        removed = platform::RemoveFile(path);
        platform::RemoveFile(path + kRecordSuffix);
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
    using Kind = platform::PathStatus::Kind;
    const bool closed = !folder.empty() && platform::NameStart(folder) == folder.size();
    const std::string prefix = closed ? folder : folder + platform::PathSeparator();
    int removed = 0;
    for (const std::string& name : platform::FolderEntries(folder)) {
        if (name.size() < 2 || name[0] != '.') continue;
        if (EndsWith(name, kPartSuffix)) {
            removed += RemoveIfStale(prefix + name, maxAge) ? 1 : 0;
        } else if (EndsWith(name, std::string(kPartSuffix) + kRecordSuffix)) {
            // A record whose partial is gone (a crash between the two removals).
            const std::string partial = name.substr(0, name.size() - std::char_traits<char>::length(kRecordSuffix));
            const platform::PathStatus record = platform::StatusOf(prefix + name, false);
            if (platform::StatusOf(prefix + partial, false).kind == Kind::kMissing && record.kind != Kind::kMissing &&
                record.kind != Kind::kUnreadable && OlderThan(record, maxAge))
                removed += platform::RemoveFile(prefix + name) ? 1 : 0;
        }
    }
    return removed;
}

}  // namespace tunewell::transfer
