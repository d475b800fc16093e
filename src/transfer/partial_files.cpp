#include "transfer/partial_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <ctime>
#include <string_view>
#include <memory>

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

bool OlderThan(const struct stat& info, std::chrono::hours maxAge) {
    const std::time_t now = std::time(nullptr);
    return now - info.st_mtime > static_cast<std::time_t>(maxAge.count()) * 3600;
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

// Whether `name` in the folder is a record this program wrote.
bool IsOwnRecord(const std::string& folder, const std::string& name) {
    return IsResumeRecordFile(folder + "/" + name);
}

// Removes one file (and, for a partial, its record) when it is old and no
// transfer holds its lock.
bool RemoveIfStale(int folderFd, const std::string& name, const std::string& record,
                   std::chrono::hours maxAge) {
    const int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info {};
    bool removed = false;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && OlderThan(info, maxAge) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        removed = ::unlinkat(folderFd, name.c_str(), 0) == 0;
        if (!record.empty()) ::unlinkat(folderFd, record.c_str(), 0);
    }
    ::close(fd);
    return removed;
}

}  // namespace

std::string PartialPathFor(const std::string& targetPath) {
    const auto slash = targetPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : targetPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? targetPath : targetPath.substr(slash + 1);
    const std::size_t room = kLongestName - 1 - std::char_traits<char>::length(kPartSuffix) -
                             std::char_traits<char>::length(kRecordSuffix);
    return folder + "." + CutAtCharacter(name, room) + kPartSuffix;
}

std::string PartialRecordPath(const std::string& partialPath) { return partialPath + kRecordSuffix; }

int RemoveStalePartials(const std::string& folder, std::chrono::hours maxAge) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return 0;
    const int folderFd = ::dirfd(dir.get());
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.size() < 2 || name[0] != '.') continue;
        const std::string record = name + kRecordSuffix;
        if (IsOwnTemporaryName(name)) {
            removed += RemoveIfStale(folderFd, name, "", maxAge) ? 1 : 0;
        } else if (EndsWith(name, kPartSuffix)) {
            // Only a partial whose record this program wrote is known to be
            // its own; any other file of that form is the user's.
            if (IsOwnRecord(folder, record)) removed += RemoveIfStale(folderFd, name, record, maxAge) ? 1 : 0;
        } else if (EndsWith(name, std::string(kPartSuffix) + kRecordSuffix)) {
            // A record whose partial is gone (a crash between the two removals).
            const std::string partial = name.substr(0, name.size() - std::char_traits<char>::length(kRecordSuffix));
            struct stat info {};
            if (::fstatat(folderFd, partial.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 &&
                IsOwnRecord(folder, name))
                removed += RemoveIfStale(folderFd, name, "", maxAge) ? 1 : 0;
        }
    }
    return removed;
}

}  // namespace tunewell::transfer
