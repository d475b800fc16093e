// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_facts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tunewell::platform {

FolderFacts FactsOfFolder(const std::string& folder) {
    struct stat info {};
    if (folder.empty() || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
    return {true, info.st_uid == ::geteuid(), ::access(folder.c_str(), W_OK) == 0};
}

bool IsWritableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), W_OK) == 0;
}

bool MayReplaceFile(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (!FactsOfFolder(folder).writable) return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
    return IsWritableFile(path);
}

bool MakeFolders(const std::string& folder, int mode) {
    if (folder.empty()) return false;
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash), mode)) return false;
    if (::mkdir(folder.c_str(), static_cast<mode_t>(mode)) == 0) return true;
    // Another process may have made it meanwhile.
    return errno == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace tunewell::platform
