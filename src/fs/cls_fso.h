// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <locale>
#include <string>

#include "fs/fso_value.h"

namespace tunewell::fs {

// File and folder operations with the answers of the program's scripting
// file-system object. Each operation on a file or folder checks first that
// it exists and answers false where it does not.
//
// Paths: "/" separates folders; "\" is an ordinary character of a name, as
// the file system sees it. Every path passes through GetPath. Relative paths are taken from
// the process's current folder. Text files are read and written as bytes
// (the program's texts are UTF-8, the system's own code page).
//
// Failures: IsObjInstalled and CreateFile never throw. The other operations
// answer false for missing items and refused requests; any other platform
// error (no rights, a file where a folder is needed, a vanished item)
// throws std::filesystem::filesystem_error.
class ClsFso {
public:
    // agentAnswers: asked, off Windows, whether "ThunderAgent.Agent" is
    // there (the hand-off's probe of the download manager, see
    // download/agent_probe.h); empty: it is not. The size formatting uses
    // the user's locale, or the classic "C" locale when the environment
    // names none that exists.
    explicit ClsFso(std::function<bool()> agentAnswers = {});

    // The locale whose decimal point and digit grouping FormatSize uses.
    void SetLocale(const std::locale& locale) { locale_ = locale; }

    // True for the objects this program can create: "Scripting.FileSystemObject"
    // (always) and "ThunderAgent.Agent" (when the agent's endpoint answers).
    // Identifiers compare without regard to case.
    bool IsObjInstalled(const std::string& ClassStr) const;
    // The path unchanged.
    std::string GetPath(const std::string& path) const;

    bool CheckFile(const std::string& FileDir) const;
    // false when missing; else the property (see fso_item_info.h), or nothing.
    FsoValue GetFileInfo(const std::string& FileDir, int InfoType) const;
    // false for empty text; else the text after the last "." (or all of it)
    // in lower case. Looks at the text only.
    FsoValue GetFileExt(const std::string& FileDir) const;
    // false when missing; else the whole content as text.
    FsoValue ReadFile(const std::string& FileDir) const;
    // Writes FileContent unchanged as the whole file, through a new file
    // renamed onto the name (a link of that name is replaced, not followed;
    // an existing file keeps its mode). false, leaving the file untouched,
    // when it exists and IsMake is false; false when it could not be
    // written (no rights, a folder of that name); true once it is in place.
    bool CreateFile(const std::string& FileDir, const std::string& FileContent,
                    bool IsMake) const;
    // Only for an existing file: WriteType 2 replaces the content, 8 appends.
    // Any other WriteType writes nothing and answers false.
    bool WriteFile(const std::string& FileDir, const std::string& FileContent,
                   int WriteType) const;
    // true after moving only when the source exists and the target does not.
    bool MoveFile(const std::string& FileDir, const std::string& NewFileDir) const;
    // true after copying an existing source onto the target (overwritten).
    bool CopyFile(const std::string& FileDir, const std::string& NewFileDir) const;
    // Refuses (false) empty paths and paths whose lower case contains
    // "http://" or "editor"; else deletes an existing file.
    bool DelFile(const std::string& FileDir) const;

    bool CheckFolder(const std::string& FolderDir) const;
    FsoValue GetFolderInfo(const std::string& FolderDir, int InfoType) const;
    // Creates every missing folder along the path; true when the last folder
    // was created, false when it existed already, nothing when the path has
    // no folder names at all.
    FsoValue CreateFolder(const std::string& FolderDir) const;
    bool MoveFolder(const std::string& FolderDir, const std::string& NewFolderDir) const;
    // Copies the folder with its contents, overwriting; refuses a target
    // inside the source.
    bool CopyFolder(const std::string& FolderDir, const std::string& NewFolderDir) const;
    // Deletes an existing folder with its contents. Refuses a file-system
    // root and paths ending in "." or "..".
    bool DelFolder(const std::string& FolderDir) const;
    // false when missing; else the count and "@"+name of each sub-folder
    // (GetFolderList) or file (GetFileList), in the file system's order.
    FsoValue GetFolderList(const std::string& FolderDir) const;
    FsoValue GetFileList(const std::string& FolderDir) const;

    // A byte count as display text: "<n>&nbsp;Byte", then, for each step
    // strictly above 1024, the value divided by 1024 with two decimals and
    // "&nbsp;KB", "&nbsp;MB" or "&nbsp;GB" (nothing above GB).
    std::string FormatSize(double SizeNum) const;

private:
    std::function<bool()> agentAnswers_;
    std::locale locale_;
};

}  // namespace tunewell::fs
