// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_folder.h"

#include <filesystem>
#include <system_error>

namespace tunewell::platform {

std::string ProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path(error).string();
    return exe.parent_path().string();
}

std::string MainProgramFileName() { return "Tunewell"; }

}  // namespace tunewell::platform
