// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::platform {

// The user's own folders as the desktop defines them. Each answer is an
// absolute path without a closing separator, or empty when it is unknown.

// $XDG_CONFIG_HOME when it holds an absolute path.
std::string UserConfigHome();

// $HOME when it holds an absolute path, else the home folder of the
// user's account entry.
std::string UserHome();

// What `xdg-user-dir MUSIC` prints, when that program is installed (it is
// looked up in PATH and never run otherwise). Empty when it is missing,
// fails or prints no absolute path.
std::string XdgMusicFolder();

}  // namespace tunewell::platform
