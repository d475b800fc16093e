// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/program_places.h"

#include <filesystem>

#include "platform/user_folders.h"
#include "platform/utf8_path.h"
#include "settings/install_entry.h"

#ifndef TUNEWELL_INSTALL_PREFIX
#define TUNEWELL_INSTALL_PREFIX "/usr/local"
#endif

namespace tunewell::settings {
namespace {

std::string WithoutClosingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// New user folders: the settings folder private, the music folder as usual.
constexpr int kPrivateFolderMode = 0700;
constexpr int kOrdinaryFolderMode = 0755;

}  // namespace

bool IsInsideFolder(const std::string& path, const std::string& root) {
    const std::string base = WithoutClosingSlash(root);
    if (base.empty() || base == "/") return false;
    const std::string item = WithoutClosingSlash(path);
    return item == base || (item.size() > base.size() && item.compare(0, base.size(), base) == 0 &&
                            item[base.size()] == '/');
}

Placement PlacementFor(const PlaceFacts& facts) {
    for (const std::string& root : facts.systemRoots) {
        if (IsInsideFolder(facts.programFolder, root)) return Placement::kUserFolders;
    }
    if (!facts.folder.exists) return Placement::kBesideProgram;
    if (!facts.folder.ownedByUser || !facts.folder.writable) return Placement::kUserFolders;
    return Placement::kBesideProgram;
}

Placement SongPlacementFor(const PlaceFacts& facts) {
    return facts.installerRecord ? Placement::kUserFolders : PlacementFor(facts);
}

std::string SettingsFolderFor(const PlaceFacts& facts) {
    if (PlacementFor(facts) == Placement::kBesideProgram) return facts.programFolder;
    if (!facts.configHome.empty()) return WithoutClosingSlash(facts.configHome) + "/tunewell";
    if (!facts.home.empty()) return WithoutClosingSlash(facts.home) + "/.config/tunewell";
    return {};
}

std::string MusicFolderFor(const std::string& xdgMusic, const std::string& home) {
    const std::string answer = WithoutClosingSlash(xdgMusic);
    const std::string base = WithoutClosingSlash(home);
    // Absolute as this system reads paths: "C:\Users\..." is one on Windows.
    const bool absolute = !answer.empty() && platform::Utf8Path(answer).is_absolute();
    if (absolute && answer != base && answer != "/") return answer;
    if (base.empty()) return {};
    return (base == "/" ? "" : base) + "/Music";
}

PlaceFacts GatherPlaceFacts(const std::string& programFolder) {
    PlaceFacts facts;
    facts.programFolder = programFolder;
    facts.systemRoots = {TUNEWELL_INSTALL_PREFIX, "/usr"};
    facts.folder = platform::FactsOfFolder(programFolder);
    facts.configHome = platform::UserConfigHome();
    facts.home = platform::UserHome();
    facts.installerRecord = HasInstallRecord(programFolder);
    return facts;
}

std::string DefaultSaveFolder(const std::string& programFolder) {
    const PlaceFacts facts = GatherPlaceFacts(programFolder);
    if (SongPlacementFor(facts) == Placement::kBesideProgram) return programFolder;
    const std::string music = MusicFolderFor(platform::XdgMusicFolder(), facts.home);
    // A folder that cannot be made is still the answer: the download run
    // then reports it missing.
    if (!music.empty()) platform::MakeFolders(music, kOrdinaryFolderMode);
    return music;
}

std::string SettingsFolder(const std::string& programFolder) {
    const PlaceFacts facts = GatherPlaceFacts(programFolder);
    const std::string folder = SettingsFolderFor(facts);
    if (PlacementFor(facts) == Placement::kUserFolders && !folder.empty()) {
        platform::MakeFolders(folder, kPrivateFolderMode);
    }
    return folder;
}

std::string ExpandHomeFolder(const std::string& typed, const std::string& home) {
    if (home.empty() || typed.empty() || typed[0] != '~') return typed;
    if (typed.size() == 1) return home;
    if (typed[1] != '/' && typed[1] != '\\') return typed;
    const std::string base = WithoutClosingSlash(home);
    return (base == "/" ? std::string() : base) + typed.substr(1);
}

std::string SaveFolderOf(const std::string& typed) { return ExpandHomeFolder(typed, platform::UserHome()); }

std::string BrowseStartFolder(const std::string& typed) {
    if (typed.empty()) return {};
    std::error_code error;
    std::filesystem::path folder = platform::Utf8Path(SaveFolderOf(typed));
    if (!folder.is_absolute()) folder = std::filesystem::absolute(folder, error);
    while (!error && !folder.empty()) {
        if (std::filesystem::is_directory(folder, error)) return platform::Utf8String(folder);
        if (folder == folder.parent_path()) break;
        folder = folder.parent_path();
        error.clear();
    }
    return {};
}

}  // namespace tunewell::settings
