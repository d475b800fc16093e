// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>

namespace tunewell::platform {
namespace {

constexpr int kCreateAttempts = 64;
constexpr std::size_t kTagLength = 6;

std::string RandomTag() {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, sizeof(kAlphabet) - 2);
    std::string tag(kTagLength, 'x');
    for (char& c : tag) c = kAlphabet[pick(engine)];
    return tag;
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "." + name + "." + the random tag: the temporaries of ReplaceFileContents.
// Built by appending: GCC 12 warns (-Wrestrict, a false alarm) about the
// chained "+" once the fortified string functions are on.
std::string TempPrefixFor(const std::string& targetPath) {
    std::string prefix = ".";
    prefix += NameOf(targetPath);
    prefix += '.';
    return prefix;
}

int CreateModeOf(const ReplaceTemp::Options& options) {
    return options.createMode >= 0 ? options.createMode : options.fixedMode;
}

bool IsTempName(const std::string& entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + kTagLength || entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < entry.size(); ++i) {
        if (std::isalnum(static_cast<unsigned char>(entry[i])) == 0) return false;
    }
    return true;
}

}  // namespace

int RemoveLeftoverTemps(const std::string& targetPath) {
    const std::string prefix = TempPrefixFor(targetPath);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(FolderOf(targetPath).c_str()), &::closedir);
    if (!dir) return 0;
    const int folderFd = ::dirfd(dir.get());
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (!IsTempName(name, prefix)) continue;
        struct stat info {};
        if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        removed += ::unlinkat(folderFd, name.c_str(), 0) == 0 ? 1 : 0;
    }
    return removed;
}

int NewProgramFileMode() {
    // Read from /proc: setting and restoring the umask would race with
    // other threads creating files.
    int mask = 022;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) {
            mask = static_cast<int>(std::strtol(line.c_str() + 6, nullptr, 8));
            break;
        }
    }
    return 0755 & ~mask;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

ReplaceTemp::ReplaceTemp(const std::string& targetPath, const std::string& prefix,
                         const std::string& suffix, int createMode) {
    const std::string folder = FolderOf(targetPath);
    // Like mkstemp, but with mode 0666 so the user's umask decides the
    // permissions of a new file, as for any other file the user saves.
    const mode_t mode = createMode >= 0 ? static_cast<mode_t>(createMode) : 0666;
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        std::string candidate = folder + "/" + prefix + RandomTag() + suffix;
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            path_ = std::move(candidate);
            // The umask only takes bits away; the exact mode is set before
            // anything is written, so it is never wider than asked.
            if (createMode >= 0 && ::fchmod(fd_, mode) != 0) Discard();
            return;
        }
        if (errno != EEXIST) return;
    }
}

ReplaceTemp::~ReplaceTemp() { Discard(); }

void ReplaceTemp::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
}

bool WriteAllTo(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool ReplaceTemp::WriteAll(std::string_view data) { return WriteAllTo(fd_, data); }

bool ReplaceTemp::Commit(const std::string& targetPath, const Options& options) {
    if (fd_ < 0) return false;
    bool ok = true;
    // Replacing a file keeps its permission bits (a program file stays
    // executable after an update, a private settings file stays private).
    struct stat existing {};
    if (options.fixedMode >= 0) {
        ok = ::fchmod(fd_, static_cast<mode_t>(options.fixedMode)) == 0;
    } else if (::stat(targetPath.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ok = ::fchmod(fd_, existing.st_mode & 07777) == 0;
    } else if (options.newFileMode >= 0) {
        ok = ::fchmod(fd_, static_cast<mode_t>(options.newFileMode)) == 0;
    }
    if (ok && options.durable) ok = ::fsync(fd_) == 0;
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    if (ok && options.beforeRename) options.beforeRename(path_);
    if (!ok || ::rename(path_.c_str(), targetPath.c_str()) != 0) {
        Discard();
        return false;
    }
    path_.clear();
    if (options.durable) {
        const int dir = ::open(FolderOf(targetPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return true;
}

bool ReplaceFileContents(const std::string& targetPath, std::string_view contents,
                         const ReplaceTemp::Options& options) {
    ReplaceTemp temp(targetPath, TempPrefixFor(targetPath), "", CreateModeOf(options));
    return temp.IsOpen() && temp.WriteAll(contents) && temp.Commit(targetPath, options);
}

bool ReplaceFileFrom(const std::string& targetPath, const std::string& sourcePath,
                     const ReplaceTemp::Options& options) {
    const int source = ::open(sourcePath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (source < 0) return false;
    ReplaceTemp temp(targetPath, TempPrefixFor(targetPath), "", CreateModeOf(options));
    bool ok = temp.IsOpen();
    char buffer[64 * 1024];
    while (ok) {
        const ssize_t got = ::read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = temp.WriteAll(std::string_view(buffer, static_cast<std::size_t>(got)));
    }
    ::close(source);
    return ok && temp.Commit(targetPath, options);
}

}  // namespace tunewell::platform
