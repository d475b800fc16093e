// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/user_folders.h"
#include "settings/config.h"
#include "settings/program_places.h"
#include "support/temp_folder.h"

namespace tunewell::settings {
namespace {

using testing::TempFolder;

TEST(ProgramPlaces, InsideFolderComparesWholeNames) {
    const struct {
        const char* path;
        const char* root;
        bool inside;
    } cases[] = {
        {"/usr/lib/tunewell", "/usr", true},   {"/usr", "/usr", true},
        {"/usr/", "/usr", true},               {"/usr/lib/tunewell", "/usr/", true},
        {"/usrx/lib", "/usr", false},          {"/us", "/usr", false},
        {"/opt/tunewell", "/usr/local", false}, {"/opt/tunewell", "/", false},
        {"/opt/tunewell", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsInsideFolder(c.path, c.root), c.inside) << c.path << " in " << c.root;
}

// Who owns the program folder, whether it lies under a system root and
// whether it can be written decide where Config.ini and the songs go.
TEST(ProgramPlaces, SystemCopiesUseTheUserFoldersOwnCopiesKeepTheirFolder) {
    using platform::FolderFacts;
    const std::vector<std::string> roots = {"/usr/local", "/usr"};
    const struct {
        const char* what;
        std::string folder;
        FolderFacts facts;
        std::string configHome, home;
        std::string settings;
    } cases[] = {
        {"build folder", "/home/u/src/build", {true, true, true}, "", "/home/u", "/home/u/src/build"},
        {"unpacked copy with XDG set", "/home/u/tw", {true, true, true}, "/x", "/home/u", "/home/u/tw"},
        {"package, normal user", "/usr/lib/tunewell", {true, false, false}, "", "/home/u", "/home/u/.config/tunewell"},
        {"package, root", "/usr/lib/tunewell", {true, true, true}, "", "/root", "/root/.config/tunewell"},
        {"package, XDG_CONFIG_HOME", "/usr/lib/tunewell", {true, true, true}, "/cfg/", "/root", "/cfg/tunewell"},
        {"cmake --install, root", "/usr/local/lib/tunewell", {true, true, true}, "", "/root", "/root/.config/tunewell"},
        {"someone else's folder", "/opt/tunewell", {true, false, true}, "", "/home/u", "/home/u/.config/tunewell"},
        {"own folder made read-only", "/home/u/ro", {true, true, false}, "", "/home/u", "/home/u/.config/tunewell"},
        {"root's own copy in /opt", "/opt/tunewell", {true, true, true}, "", "/root", "/opt/tunewell"},
        {"missing folder", "/home/u/gone", {false, false, false}, "", "/home/u", "/home/u/gone"},
        {"missing folder under /usr", "/usr/lib/gone", {false, false, false}, "", "/home/u", "/home/u/.config/tunewell"},
        {"package without a home", "/usr/lib/tunewell", {true, false, false}, "", "", ""},
    };
    for (const auto& c : cases) {
        const PlaceFacts facts{c.folder, roots, c.facts, c.configHome, c.home};
        EXPECT_EQ(SettingsFolderFor(facts), c.settings) << c.what;
        EXPECT_EQ(PlacementFor(facts) == Placement::kBesideProgram, c.settings == c.folder) << c.what;
    }
}

TEST(ProgramPlaces, ATildeMeansTheHomeFolder) {
    const struct {
        const char* typed;
        const char* home;
        const char* folder;
    } cases[] = {
        {"~/音乐", "/home/ming", "/home/ming/音乐"}, {"~", "/home/ming/", "/home/ming/"},
        {"~/", "/home/ming/", "/home/ming/"},      {"~\\Music", "C:\\Users\\ming", "C:\\Users\\ming\\Music"},
        {"~/x", "/", "/x"},                        {"~ming/x", "/home/me", "~ming/x"},
        {"/a/~/b", "/home/me", "/a/~/b"},          {"~/x", "", "~/x"},
        {"", "/home/me", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandHomeFolder(c.typed, c.home), c.folder) << c.typed;
}

TEST(ProgramPlaces, MusicFolderFromXdgOrTheHomeMusicFolder) {
    const struct {
        const char* xdg;
        const char* home;
        const char* music;
    } cases[] = {
        {"/home/u/Musik", "/home/u", "/home/u/Musik"},
        {"/home/u/Musik/", "/home/u", "/home/u/Musik"},
        {"", "/home/u", "/home/u/Music"},
        {"/home/u", "/home/u/", "/home/u/Music"},  // xdg-user-dir's answer for a folder not set up
        {"relative/Music", "/home/u", "/home/u/Music"},
        {"/", "/root", "/root/Music"},
        {"", "", ""},
        {"/srv/music", "", "/srv/music"},
    };
    for (const auto& c : cases) EXPECT_EQ(MusicFolderFor(c.xdg, c.home), c.music) << c.xdg << " / " << c.home;
}

// Sets environment variables for one test and puts them back afterwards.
class ScopedEnvironment {
public:
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            it->second ? ::setenv(it->first.c_str(), it->second->c_str(), 1) : ::unsetenv(it->first.c_str());
        }
    }
    void Set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value.c_str(), 1);
    }
    void Unset(const char* name) {
        Set(name, "");
        ::unsetenv(name);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A stand-in for xdg-user-dir on PATH that prints `answer` for MUSIC.
void InstallXdgUserDir(const std::string& folder, const std::string& answer) {
    std::filesystem::create_directories(folder);
    testing::WriteBytes(folder + "/xdg-user-dir",
                        "#!/bin/sh\n[ \"$1\" = MUSIC ] || exit 1\nprintf '%s\\n' '" + answer + "'\n");
    ::chmod((folder + "/xdg-user-dir").c_str(), 0755);
}

TEST(UserFolders, XdgUserDirIsAskedOnlyWhenInstalled) {
    TempFolder temp;
    ScopedEnvironment environment;
    environment.Set("PATH", temp.File("empty"));
    EXPECT_EQ(platform::XdgMusicFolder(), "");
    InstallXdgUserDir(temp.File("bin"), "/srv/songs");
    environment.Set("PATH", "relative:" + temp.File("empty") + ":" + temp.File("bin"));
    EXPECT_EQ(platform::XdgMusicFolder(), "/srv/songs");
    InstallXdgUserDir(temp.File("bin"), "not absolute");
    EXPECT_EQ(platform::XdgMusicFolder(), "");
}

// A program folder that belongs to someone else, as an installed one does:
// Config.ini, its lock and the songs all go to the user's folders, which
// are created; nothing is written into the program folder, root included.
TEST(ProgramPlaces, AnInstalledCopyWritesNothingIntoItsFolder) {
    TempFolder temp;
    const std::string program = temp.File("lib");
    ::mkdir(program.c_str(), 0555);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(program.c_str(), 65534, 65534), 0);  // nobody's
    }
    ScopedEnvironment environment;
    environment.Set("HOME", temp.File("home"));
    environment.Unset("XDG_CONFIG_HOME");
    InstallXdgUserDir(temp.File("bin"), temp.File("home"));  // MUSIC not set up
    environment.Set("PATH", temp.File("bin"));

    EXPECT_EQ(ConfigPath(program), temp.File("home/.config/tunewell/Config.ini"));
    EXPECT_EQ(testing::ModeOf(temp.File("home/.config/tunewell")), 0700u);
    EXPECT_TRUE(SaveListFields(ConfigPath(program), "http://list", "/songs"));
    Config config;
    LoadConfig(config, program);
    EXPECT_EQ(config.ListUrl, "http://list");
    EXPECT_TRUE(std::filesystem::is_empty(program));

    testing::WriteBytes(ConfigPath(program), "[Config]\r\n");
    LoadConfig(config, program);
    EXPECT_EQ(config.SavePath, temp.File("home/Music"));
    EXPECT_TRUE(std::filesystem::is_directory(temp.File("home/Music")));
    environment.Set("XDG_CONFIG_HOME", temp.File("cfg"));
    InstallXdgUserDir(temp.File("bin"), temp.File("home/Songs"));
    EXPECT_EQ(ConfigPath(program), temp.File("cfg/tunewell/Config.ini"));
    EXPECT_EQ(DefaultSaveFolder(program), temp.File("home/Songs"));
    EXPECT_TRUE(std::filesystem::is_directory(temp.File("home/Songs")));
    EXPECT_TRUE(std::filesystem::is_empty(program));
    // A copy of the user's own keeps everything beside itself.
    EXPECT_EQ(ConfigPath(temp.path()), temp.File("Config.ini"));
    EXPECT_EQ(DefaultSaveFolder(temp.path()), temp.path());
}

}  // namespace
}  // namespace tunewell::settings
