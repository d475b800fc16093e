// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string answer;
    if (::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK && path) answer = Narrow(path);
    ::CoTaskMemFree(path);
    while (answer.size() > 3 && (answer.back() == '\\' || answer.back() == '/')) answer.pop_back();
    return answer;
}

}  // namespace

// The roaming application data: settings follow the user between machines.
std::string UserConfigHome() { return KnownFolder(FOLDERID_RoamingAppData); }

std::string UserHome() { return KnownFolder(FOLDERID_Profile); }

// Windows has no xdg-user-dir; the music folder is a known folder.
std::string XdgMusicFolder() { return KnownFolder(FOLDERID_Music); }

}  // namespace tunewell::platform
