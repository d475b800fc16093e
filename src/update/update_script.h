// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::update {

// The script the program writes where a Windows script host runs it. It
// ends only the processes whose executable is the program file
// folder\exe.exe (found through WMI's Win32_Process, compared without
// regard to case), waiting until they are gone (about five seconds at
// most); a program of the same name elsewhere keeps running. It then
// copies `saveName` over the program (trying again for about five seconds
// while the file is in use), removes the download and its folder
// once that is empty, starts the program from its folder and waits, then
// deletes itself. Every line ends in CR LF; the caller writes it in the
// ANSI code page. `exe` is the program's file name without extension,
// `folder` its folder without a closing separator; "/" in a path becomes
// a backslash.
std::string BuildUpdateVbs(const std::string& exe, const std::string& saveName,
                           const std::string& folder);

// The same steps as a POSIX shell script for this platform. It ends only
// the processes of this user whose executable is the program file
// folder/exeName (also once replaced, "... (deleted)"), waiting until they
// are gone (SIGKILL after about five seconds); a program of the same name
// elsewhere keeps running. It then copies `saveName` over the program in
// one rename (an existing program keeps its mode, a new one gets 0755 less
// the umask), removes the download and its private folder, starts the
// program from its folder and waits, then deletes itself. Every path is
// single-quoted, so blanks, quotes, "$" or backticks in a name can neither
// break the script nor run anything. `folder` should be the resolved
// folder, as the system reports a running program's file.
std::string BuildUpdateSh(const std::string& exeName, const std::string& saveName,
                          const std::string& folder);

// `text` as one single-quoted shell word.
std::string ShellQuote(const std::string& text);

}  // namespace tunewell::update
