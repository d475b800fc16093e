// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/temp_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace tunewell::platform {

std::string TempFolder() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    std::string folder = fromEnvironment != nullptr ? fromEnvironment : "";
    const auto first = folder.find_first_not_of(' ');
    folder = first == std::string::npos ? "" : folder.substr(first, folder.find_last_not_of(' ') - first + 1);
    if (folder.empty()) folder = "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder.size() > 255 ? std::string() : folder;
}

std::string MakePrivateFolder(const std::string& prefix) {
    const std::string base = TempFolder();
    if (base.empty()) return {};
    std::string pattern = base + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkdtemp creates the folder with mode 0700 and fails rather than reuse
    // anything that already exists under the name.
    if (::mkdtemp(buffer.data()) == nullptr) return {};
    return std::string(buffer.data());
}

void RemovePrivateFolder(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}

}  // namespace tunewell::platform
