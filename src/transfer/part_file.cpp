// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/part_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/file_io.h"
#include "transfer/partial_files.h"

namespace tunewell::transfer {
namespace {

// Every write() is one 128 KiB block: small pieces are gathered, large ones
// are cut. Measured on ext4, 128 KiB writes fill the page cache two to
// four times faster than 1 MiB ones, and much faster than 4 KiB ones.
constexpr std::size_t kBufferSize = 128 * 1024;
}  // namespace

PartFile::PartFile(std::string targetPath, Mode mode) : targetPath_(std::move(targetPath)) {
    if (targetPath_.empty()) return;
    // A regular file, or a link (whatever it points to), is replaced: the
    // rename replaces the link itself, so bytes never go through a link to
    // a pipe or device elsewhere. A device (/dev/null) or a pipe named
    // directly is written directly, since renaming over it would destroy
    // it; a folder or any other kind of target is refused.
    using Kind = platform::PathStatus::Kind;
    const Kind existing = platform::StatusOf(targetPath_, false).kind;
    if (existing != Kind::kMissing && existing != Kind::kUnreadable && existing != Kind::kFile &&
        existing != Kind::kLink) {
        if (existing == Kind::kDevice || existing == Kind::kPipe) OpenDirect();
        return;
    }
    if (mode == Mode::kResumable && OpenPartial()) return;
    OpenTemp();
    if (fd_ < 0) error_ = errno;
}

void PartFile::OpenDirect() {
    // Non-blocking open: a pipe nobody reads fails at once instead of hanging.
    fd_ = platform::OpenWriteDirect(targetPath_);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    direct_ = true;
    buffer_.resize(kBufferSize);
}

void PartFile::OpenTemp() {
    temp_ = std::make_unique<platform::ReplaceTemp>(targetPath_, ".tw-", ".part");
    if (!temp_->IsOpen()) return;
    fd_ = temp_->Fd();
    buffer_.resize(kBufferSize);
}

bool PartFile::OpenPartial() {
    const std::string path = PartialPathFor(targetPath_);
    // A file at the partial's name that is not ours (no record of this
    // program beside it) is never used, truncated or removed.
    // Nor is a foreign file at the record's name replaced.
    const std::string record = PartialRecordPath(path);
    const bool ownRecord = IsResumeRecordFile(record);
    if (!ownRecord && platform::StatusOf(record, false).kind != platform::PathStatus::Kind::kMissing) return false;
    int fd = platform::CreateNewFile(path);
    const bool created = fd >= 0;
    if (fd < 0 && errno == EEXIST && ownRecord) fd = platform::OpenExistingFile(path);
    if (fd < 0) return false;
    const std::string name = targetPath_.substr(platform::NameStart(targetPath_));
    // A record from the start, so that a partial left by a crash before the
    // reply came is still known as this program's own.
    if (created && !WriteResumeRecord(record, ResumeRecord{"", name, "", "", -1})) {
        platform::CloseFile(fd);
        platform::RemoveFile(path);
        return false;
    }
    const platform::PathStatus info = platform::StatusOfOpen(fd);
    if (info.kind != platform::PathStatus::Kind::kFile || !platform::TryLockFile(fd)) {
        platform::CloseFile(fd);  // not ours to use (another transfer holds it, or not a file)
        return false;
    }
    fd_ = fd;
    partialPath_ = path;
    existing_ = info.size;
    previous_ = ReadResumeRecord(record);
    if (previous_ && previous_->target != name) previous_.reset();
    buffer_.resize(kBufferSize);
    return true;
}

const std::string& PartFile::TempPath() const {
    static const std::string kNone;
    if (!partialPath_.empty()) return partialPath_;
    return temp_ ? temp_->Path() : kNone;
}

std::int64_t PartFile::ResumableBytes(const std::string& source) const {
    if (partialPath_.empty() || !previous_ || previous_->source != source) return 0;
    return existing_ > 0 && existing_ < previous_->total ? existing_ : 0;
}

bool PartFile::Begin(bool append, const ResumeRecord& fresh) {
    if (begun_) return true;
    begun_ = true;
    if (partialPath_.empty()) return !append;
    if (append) {
        keep_ = true;
        return platform::SeekFile(fd_, existing_);
    }
    // Truncating an empty file is not only useless: ext4 then flushes the
    // whole file when it is closed (its guard for "truncate and rewrite"),
    // which stalls the end of every fresh transfer.
    const bool hadBytes = existing_ > 0;
    existing_ = 0;
    previous_.reset();
    if (hadBytes && !platform::TruncateFile(fd_)) return false;
    if (!platform::SeekFile(fd_, 0)) return false;
    // A record goes beside every partial, also one that cannot be resumed:
    // it is what marks the partial as the program's own after a crash.
    const std::string record = PartialRecordPath(partialPath_);
    const bool recorded = WriteResumeRecord(record, fresh);
    keep_ = fresh.Usable() && recorded;
    if (!recorded) platform::RemoveFile(record);
    return true;
}

PartFile::~PartFile() {
    Discard();
}

void PartFile::LeavePartial() {
    // Untouched partials of an earlier transfer stay as they were; a new,
    // empty one, one whose reply cannot be resumed, or an abandoned one goes.
    const bool keep = !abandoned_ && (begun_ ? keep_ && Flush() : existing_ > 0 && previous_.has_value());
    platform::CloseFile(fd_);
    if (!keep) {
        platform::RemoveFile(partialPath_);
        platform::RemoveFile(PartialRecordPath(partialPath_));
    }
    partialPath_.clear();
}

void PartFile::Discard() {
    if (temp_) {
        temp_->Discard();
    } else if (!partialPath_.empty() && fd_ >= 0) {
        LeavePartial();
    } else if (fd_ >= 0) {
        platform::CloseFile(fd_);
    }
    fd_ = -1;
}

bool PartFile::WriteAll(const char* data, std::size_t size) {
    if (platform::WriteAllTo(fd_, std::string_view(data, size))) return true;
    error_ = errno;
    return false;
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

std::string PartFile::Folder() const {
    if (direct_ || fd_ < 0) return {};
    const std::size_t nameStart = platform::NameStart(targetPath_);
    return nameStart == 0 ? std::string(".") : targetPath_.substr(0, nameStart);
}

bool PartFile::CommitPartial(const FinishStep& finish) {
    // The permissions of the file replaced (never of a link's target).
    if (!platform::TakePermissionsOf(fd_, targetPath_)) {
        error_ = errno;
        return false;
    }
    if (finish) {
        // The partial stops being the server's bytes: its record says there
        // is nothing to resume, so that a crash before the rename never
        // continues the changed file (it stays known as this program's).
        const std::string record = PartialRecordPath(partialPath_);
        const std::string name = targetPath_.substr(platform::NameStart(targetPath_));
        if (!WriteResumeRecord(record, ResumeRecord{"", name, "", "", -1})) platform::RemoveFile(record);
        // Closed first: Windows lets no second writer in while it is open.
        platform::CloseFile(fd_);
        fd_ = -1;
        finish(partialPath_);
        if (!platform::RenameFile(partialPath_, targetPath_)) {
            error_ = errno;
            platform::RemoveFile(partialPath_);
            platform::RemoveFile(PartialRecordPath(partialPath_));
            partialPath_.clear();
            return false;
        }
        platform::RemoveFile(PartialRecordPath(partialPath_));
        partialPath_.clear();
        return true;
    }
    if (!platform::RenameFile(partialPath_, targetPath_)) {
        error_ = errno;
        return false;
    }
    platform::RemoveFile(PartialRecordPath(partialPath_));
    platform::CloseFile(fd_);  // releases the lock
    fd_ = -1;
    partialPath_.clear();
    return true;
}

bool PartFile::Commit(const FinishStep& finish) {
    if (fd_ < 0) return false;
    bool ok = Flush();
    if (direct_) {
        if (!platform::CloseFile(fd_) && ok) {
            error_ = errno;
            ok = false;
        }
        fd_ = -1;
        return ok;
    }
    if (!partialPath_.empty()) return ok && CommitPartial(finish);
    fd_ = -1;
    if (!ok) {
        Discard();
        return false;
    }
    platform::ReplaceTemp::Options options;
    options.beforeRename = finish;
    if (temp_->Commit(targetPath_, options)) return true;
    error_ = errno != 0 ? errno : EIO;
    return false;
}

}  // namespace tunewell::transfer
