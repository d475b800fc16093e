#pragma once
#include <string>

namespace tunewell::update {

// The 23-line script the program writes where a Windows script host runs
// it: end the old program, copy the new file over it, start it and wait,
// delete the script. Every line ends in CR LF. `exe` is the program's file
// name without extension, `folder` its folder without a closing separator.
std::string BuildUpdateVbs(const std::string& exe, const std::string& saveName,
                           const std::string& folder);

// The same steps as a POSIX shell script for this platform: ends processes
// whose executable is `exeName`, copies `saveName` over folder/exeName,
// makes it executable, starts it from the program folder and waits, then
// deletes itself. Every path is single-quoted, so blanks, quotes, "$" or
// backticks in a name can neither break the script nor run anything.
std::string BuildUpdateSh(const std::string& exeName, const std::string& saveName,
                          const std::string& folder);

// `text` as one single-quoted shell word.
std::string ShellQuote(const std::string& text);

// The temporary folder with a closing "/" ($TMPDIR, else /tmp); empty when
// the path would not fit 255 characters.
std::string GetTempFolder();

// Starts `/bin/sh script` in its own session, detached, so it outlives this
// program. False when it could not be started.
bool StartDetached(const std::string& scriptPath);

}  // namespace tunewell::update
