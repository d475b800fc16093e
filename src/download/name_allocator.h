#pragma once
#include <set>
#include <string>
#include <vector>

namespace tunewell::download {

// Decides the name each song of one run is saved under, so that a page can
// never choose a file the program or the user depends on, and two songs of
// the same run never land on one name. One object per run: every song,
// transferred or handed to the download manager, takes its name here
// before it starts, also when several run at once.
//
// The name a song gets:
//  - never starts with "." (no hidden file, no ".bashrc"): "song" goes in
//    front of such a name;
//  - is never one of `reserved` (the program's own files), in any letter
//    case;
//  - is never a name given out earlier in the run, in any letter case
//    (two names that differ only in case are one file elsewhere);
// and where one of the last two holds, " (2)", " (3)", ... goes before the
// extension (the text from the last "."), the name cut at a character
// boundary so that the whole stays within `maxBytes`. A file that was in
// the folder before the run is not looked at: it is replaced, as before,
// once the new one is complete.
class NameAllocator {
public:
    // Config.ini, its lock, both programs, UpDate and the update scripts.
    static std::vector<std::string> ProgramFiles();

    explicit NameAllocator(const std::vector<std::string>& reserved = ProgramFiles(),
                           std::size_t maxBytes = 255);

    // The name for a song that wants `wanted` (a name built by
    // BuildFileName: never empty, no folder separator).
    std::string Allocate(const std::string& wanted);

private:
    bool Taken(const std::string& name) const;

    std::set<std::string> reserved_;  // lower-cased
    std::set<std::string> given_;     // lower-cased
    std::size_t maxBytes_;
};

}  // namespace tunewell::download
