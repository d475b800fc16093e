// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_replace.h"
#include "transfer/resume_record.h"

namespace tunewell::transfer {

// A last step on a complete file before it takes its name (the song's
// tags): called with the path of the closed partial or temporary file,
// which it may change in place. It cannot fail the transfer; it reports
// what it did through what it captures.
using FinishStep = std::function<void(const std::string& path)>;

// The file a transfer writes into, so that no half-written file ever
// appears under the target's name; the final rename puts it in place.
//
// kFresh: a temporary with a short fixed-form name, ".tw-XXXXXX.part",
// created exclusively beside the target and removed unless committed.
//
// kResumable: the song's own partial file (PartialPathFor), locked while
// this object holds it, together with its ResumeRecord. A partial left by
// an earlier transfer of the same address can be continued (Begin with
// append). After a failure the partial and its record stay for the next
// transfer when the reply had validators; otherwise they are removed. When
// the partial cannot be used (locked by another transfer, a link or
// something other than a file at its name, or a file this program did not
// make there or at its record's name: it has no record of this program) a
// kFresh temporary is used, and those files are left alone.
//
// A target that is a device or a pipe (/dev/null) is opened and written
// directly: nothing is created or renamed. A link at the target's name is
// replaced, never written through. An existing file under the target name
// is touched only by a successful Commit(), which replaces it in one rename.
class PartFile {
public:
    enum class Mode { kFresh, kResumable };

    // IsOpen() tells whether that worked: the folder may be missing or
    // read-only, and a folder as target is refused.
    explicit PartFile(std::string targetPath, Mode mode = Mode::kFresh);
    ~PartFile();

    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The errno of the last thing that failed (opening, writing, placing
    // the file); 0 when nothing did.
    int Error() const { return error_; }
    const std::string& TempPath() const;

    // The bytes an earlier transfer of `source` left that may be continued,
    // and that transfer's record; 0 and nothing when there is none.
    std::int64_t ResumableBytes(const std::string& source) const;
    const std::optional<ResumeRecord>& Previous() const { return previous_; }

    // Called once before the first byte of the body (also for an empty
    // body): `append` continues after the kept bytes; otherwise the file
    // starts empty and `fresh` (this reply's validators) is remembered for a
    // later resume when usable. False when the file cannot be prepared.
    bool Begin(bool append, const ResumeRecord& fresh);

    // Appends bytes. Small pieces are gathered in a large buffer; big
    // pieces go straight to the file. False on a write error (disk full).
    bool Write(const char* data, std::size_t size);

    // Flushes and closes the file, gives it the permissions of the file it
    // replaces (or the usual default for a new file) and renames it onto
    // the target. False on any failure; the target is then left as it was.
    // `finish` (not for a device or pipe) runs on the closed file just
    // before the rename; a partial it ran on is no longer the server's
    // bytes, so it is never kept for resuming: a failed rename removes it.
    bool Commit(const FinishStep& finish = {});

    // The folder the file is written in, for questions about its disk;
    // empty for a device or pipe written directly.
    std::string Folder() const;

    // The transfer failed in a way that makes its bytes worthless or
    // harmful to keep (no song, no room left): unless committed, nothing of
    // it stays, the partial and its record included, also when they would
    // have been kept for resuming or came from an earlier transfer.
    void Abandon() { abandoned_ = true; }

private:
    bool Flush();
    bool WriteAll(const char* data, std::size_t size);
    void Discard();
    void OpenDirect();
    void OpenTemp();
    bool OpenPartial();
    void LeavePartial();
    bool CommitPartial(const FinishStep& finish);

    std::string targetPath_;
    std::unique_ptr<platform::ReplaceTemp> temp_;  // the kFresh temporary
    std::string partialPath_;                      // set while holding a partial
    std::optional<ResumeRecord> previous_;
    std::int64_t existing_ = 0;  // bytes in the partial when it was opened
    bool begun_ = false;
    bool keep_ = false;  // the partial may be resumed after a failure
    bool abandoned_ = false;
    int fd_ = -1;
    int error_ = 0;
    bool direct_ = false;  // writing straight into a device or pipe
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace tunewell::transfer
