#pragma once
#include <cstddef>
#include <string>
#include <memory>
#include <vector>

#include "platform/file_replace.h"

namespace tunewell::transfer {

// The temporary file a transfer writes into, so that no half-written file
// ever appears under the target's name. It is created in the target's
// folder (so the final rename stays on one file system) under a short
// fixed-form name, ".tw-XXXXXX.part", which fits the file system even when
// the target's own name is already at the length limit.
//
// Owns the temporary: the destructor removes it unless Commit() succeeded.
// An existing file under the target name is touched only by a successful
// Commit(), which replaces it in one rename.
class PartFile {
public:
    // Creates the temporary beside `targetPath`. IsOpen() tells whether that
    // worked: the folder may be missing or read-only, and a folder as target
    // is refused. A target that is a device or a pipe (/dev/null) is opened
    // and written directly instead: nothing is created or renamed.
    explicit PartFile(std::string targetPath);
    ~PartFile();

    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    const std::string& TempPath() const;

    // Appends bytes. Small pieces are gathered in a large buffer; big
    // pieces go straight to the file. False on a write error (disk full).
    bool Write(const char* data, std::size_t size);

    // Flushes and closes the temporary, gives it the permissions of the
    // file it replaces (or the usual default for a new file) and renames it
    // onto the target. False on any failure; the temporary is then removed
    // and the target is left as it was.
    bool Commit();

private:
    bool Flush();
    bool WriteAll(const char* data, std::size_t size);
    void Discard();
    void OpenDirect();

    std::string targetPath_;
    std::unique_ptr<platform::ReplaceTemp> temp_;  // absent when writing directly
    int fd_ = -1;
    bool direct_ = false;  // writing straight into a device or pipe
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace tunewell::transfer
