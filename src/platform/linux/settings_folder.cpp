#include "platform/settings_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tunewell::platform {
namespace {

bool Writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string UserSettingsRoot() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return {};
    const std::string config = std::string(home) + "/.config";
    return MakeFolder(config) ? config : std::string();
}

}  // namespace

std::string SettingsFolder(const std::string& programFolder) {
    // A folder that is missing altogether is no installation: writes there
    // fail and say so.
    if (!IsFolder(programFolder) || Writable(programFolder) ||
        Writable(programFolder + "/Config.ini"))
        return programFolder;
    const std::string root = UserSettingsRoot();
    if (root.empty()) return programFolder;
    const std::string own = root + "/tunewell";
    return MakeFolder(own) ? own : programFolder;
}

}  // namespace tunewell::platform
