#include "download/transfer/part_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

namespace tunewell::download {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;  // gathers small pieces into 1 MiB writes
constexpr int kCreateAttempts = 64;

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string RandomTag() {
    static const char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, sizeof(kAlphabet) - 2);
    std::string tag(6, 'x');
    for (char& c : tag) c = kAlphabet[pick(engine)];
    return tag;
}

}  // namespace

PartFile::PartFile(std::string targetPath) : targetPath_(std::move(targetPath)) {
    if (targetPath_.empty()) return;
    const std::string folder = FolderOf(targetPath_);
    // Like mkstemp, but created with mode 0666 so the user's umask decides
    // the permissions of a new file, as for any other file the user saves.
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        std::string candidate = folder + "/.tw-" + RandomTag() + ".part";
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            tempPath_ = std::move(candidate);
            buffer_.resize(kBufferSize);
            return;
        }
        if (errno != EEXIST) return;
    }
}

PartFile::~PartFile() { Discard(); }

void PartFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

bool PartFile::WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd_, data, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

bool PartFile::Flush() {
    const bool ok = WriteAll(buffer_.data(), used_);
    used_ = 0;
    return ok;
}

bool PartFile::Write(const char* data, std::size_t size) {
    if (fd_ < 0) return false;
    if (used_ + size > buffer_.size() && !Flush()) return false;
    if (size >= buffer_.size() / 2) return WriteAll(data, size);
    std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
    return true;
}

bool PartFile::Commit() {
    if (fd_ < 0) return false;
    bool ok = Flush();
    // Replacing a file keeps its permission bits (a program file stays
    // executable after an update).
    struct stat existing {};
    if (ok && ::stat(targetPath_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ok = ::fchmod(fd_, existing.st_mode & 0777) == 0;
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    if (ok && ::rename(tempPath_.c_str(), targetPath_.c_str()) == 0) {
        tempPath_.clear();
        return true;
    }
    Discard();
    return false;
}

}  // namespace tunewell::download
