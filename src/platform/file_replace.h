// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace tunewell::platform {

// Atomic file replacement: bytes go to a temporary file in the target's own
// folder and reach the target's name in one rename, so a crash or a failure
// leaves either the old file or the new one, never a truncated one. The
// settings store and the transfer both write this way.

// A temporary file created beside a target. Owns the descriptor and the
// file: the destructor closes and removes it unless Commit() succeeded.
class ReplaceTemp {
public:
    // Creates "<folder of target>/<prefix><six random characters><suffix>"
    // exclusively (never through a link), with mode 0666 less the umask,
    // or with exactly `createMode` when that is not negative: a temporary
    // that will hold a secret is private before its first byte. (Windows:
    // the temporary takes the folder's inherited rights; `createMode` is
    // not used.) IsOpen() tells whether that worked.
    ReplaceTemp(const std::string& targetPath, const std::string& prefix,
                const std::string& suffix, int createMode = -1);
    ~ReplaceTemp();

    ReplaceTemp(const ReplaceTemp&) = delete;
    ReplaceTemp& operator=(const ReplaceTemp&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    const std::string& Path() const { return path_; }

    // Writes all of `data` (retrying short writes). False on an error.
    bool WriteAll(std::string_view data);

    struct Options {
        // Permission bits for a target that does not exist yet; negative
        // keeps what the temporary was created with. An existing regular
        // target always passes its own bits on.
        int newFileMode = -1;
        // Permission bits the result gets whatever the target had (a
        // private file stays private); negative: not used.
        int fixedMode = -1;
        // Permission bits the temporary has from its creation on, while
        // the bytes are written and should the writer be killed; Commit
        // then gives the bits above. Negative: fixedMode when that is
        // set, else 0666 less the umask.
        int createMode = -1;
        // fsync the file before the rename and the folder after it.
        bool durable = false;
        // Runs on the closed temporary (its path) just before the rename;
        // it may change the file's bytes. Empty: nothing.
        std::function<void(const std::string& path)> beforeRename = {};
    };
    // Closes the temporary and renames it onto `targetPath`. False on any
    // failure; the temporary is then removed and the target is untouched.
    bool Commit(const std::string& targetPath, const Options& options);

    // Closes and removes the temporary now.
    void Discard();

private:
    int fd_ = -1;
    std::string path_;
};

// Replaces `targetPath` with `contents` in one step (see ReplaceTemp).
bool ReplaceFileContents(const std::string& targetPath, std::string_view contents,
                         const ReplaceTemp::Options& options);

// Replaces `targetPath` with a copy of the file `sourcePath` in one step
// (see ReplaceTemp); the source is opened without following a link. False
// when the source cannot be read or the copy or rename fails; the target is
// then untouched.
bool ReplaceFileFrom(const std::string& targetPath, const std::string& sourcePath,
                     const ReplaceTemp::Options& options);

// Removes the temporaries that ReplaceFileContents and ReplaceFileFrom
// leave beside `targetPath` when the writing process is killed: regular
// files of this user named "." + the target's name + "." + six letters or
// digits, nothing else. Another writer's temporary looks the same, so call
// this only while holding the lock every writer of the target takes.
// Returns how many went.
int RemoveLeftoverTemps(const std::string& targetPath);

// The mode a newly created program file gets: 0755 less the user's umask.
int NewProgramFileMode();

// Writes all of `data` to the descriptor, retrying short and interrupted
// writes. False on an error (disk full, a closed pipe).
bool WriteAllTo(int fd, std::string_view data);

// The folder part of a path: "." without a slash, "/" for the root.
std::string FolderOf(const std::string& path);

}  // namespace tunewell::platform
