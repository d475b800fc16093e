// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

#include "platform/folder_facts.h"

namespace tunewell::settings {

// Where the program keeps Config.ini (with its lock file) and where songs
// go when no save folder is set. A copy the user keeps (unpacked anywhere,
// the build folder) keeps both beside itself. A copy the system installed
// (its folder lies under a system root, or belongs to someone else) never
// writes there, root included: Config.ini goes to the user's settings
// folder and songs to the user's music folder. A folder of the user's own
// that the user cannot write is treated the same way, since nothing could
// be stored in it. A copy an installer put in a folder the user can write
// (the Windows per-user install) keeps Config.ini beside itself, where the
// updaters look for it, but its songs go to the user's music folder, not
// into a program folder the user never sees.

enum class Placement {
    kBesideProgram,
    kUserFolders,
};

// The facts the decision rests on, gathered by GatherPlaceFacts.
struct PlaceFacts {
    std::string programFolder;             // as the system reports it
    std::vector<std::string> systemRoots;  // the install prefix, /usr
    platform::FolderFacts folder;          // the program folder, as this user sees it
    std::string configHome;                // $XDG_CONFIG_HOME, or empty
    std::string home;                      // the user's home folder, or empty
    bool installerRecord = false;          // an installer's uninstall entry names the folder
};

// True when `path` is `root` or lies inside it (whole names compared, so
// "/usrx" is not inside "/usr"). A root of "" or "/" contains nothing: a
// prefix of "/" would otherwise make every copy a system one.
bool IsInsideFolder(const std::string& path, const std::string& root);

// Pure: decides from the facts alone. A program folder that does not exist
// is no installation and stays beside the program (writes there fail
// visibly), unless it lies under a system root.
Placement PlacementFor(const PlaceFacts& facts);

// Pure: where songs go when no save folder is set. As PlacementFor, except
// that an installer's copy always uses the user's music folder.
Placement SongPlacementFor(const PlaceFacts& facts);

// The folder of Config.ini: the program folder, or "$XDG_CONFIG_HOME/
// tunewell", else "~/.config/tunewell". Empty when the user folders are
// wanted but no home is known: nothing is then stored anywhere.
std::string SettingsFolderFor(const PlaceFacts& facts);

// The user's music folder from the answer of `xdg-user-dir MUSIC` (empty
// when it was not asked or failed; on Windows the known Music folder):
// that answer when it is an absolute path other than the root or the home
// folder itself (what xdg-user-dir prints for a folder that is not set
// up), otherwise "~/Music". Empty without a home.
std::string MusicFolderFor(const std::string& xdgMusic, const std::string& home);

// The facts for `programFolder` as this process sees them (file system,
// environment, the configured install prefix, the installer's entry).
PlaceFacts GatherPlaceFacts(const std::string& programFolder);

// The folder of Config.ini for a program in `programFolder`
// (SettingsFolderFor), created (owner only) when it is a user folder.
std::string SettingsFolder(const std::string& programFolder);

// The default save folder of a program in `programFolder`: the folder
// itself beside the program, otherwise the user's music folder, created
// when missing. Empty when there is none.
std::string DefaultSaveFolder(const std::string& programFolder);

// Pure: a save folder as the user typed it, with a leading "~" alone or
// followed by "/" (or "\\") meaning the home folder `home`, as a shell
// reads it. Anything else ("~user", "a/~"), and everything when no home is
// known, stays as typed.
std::string ExpandHomeFolder(const std::string& typed, const std::string& home);

// The folder a typed save folder names, with this user's home folder.
std::string SaveFolderOf(const std::string& typed);

// Where a folder dialog for the typed save folder starts: that folder, or
// the nearest folder above it that exists; empty (the dialog's own start)
// when there is none or nothing was typed.
std::string BrowseStartFolder(const std::string& typed);

}  // namespace tunewell::settings
