// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/process_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunewell::platform {
namespace {

namespace stdfs = std::filesystem;

bool IsNumber(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExecutableName(const stdfs::path& processFolder) {
    std::error_code error;
    const stdfs::path exe = stdfs::read_symlink(processFolder / "exe", error);
    if (!error && !exe.empty()) {
        std::string name = exe.filename().string();
        const std::string deleted = " (deleted)";
        if (name.size() > deleted.size() && name.ends_with(deleted)) name.resize(name.size() - deleted.size());
        return name;
    }
    std::ifstream cmdline(processFolder / "cmdline", std::ios::binary);
    std::string first;
    if (std::getline(cmdline, first, '\0') && !first.empty()) return BaseName(first);
    std::ifstream comm(processFolder / "comm");
    std::string shortName;
    std::getline(comm, shortName);
    return shortName;
}

}  // namespace

ProcessList ListProcesses(const std::string& procRoot) {
    std::vector<std::pair<std::int32_t, stdfs::path>> folders;
    std::error_code error;
    for (const auto& entry : stdfs::directory_iterator(procRoot, error)) {
        const std::string name = entry.path().filename().string();
        if (IsNumber(name) && name.size() < 10) folders.emplace_back(std::stoi(name), entry.path());
    }
    std::sort(folders.begin(), folders.end());
    ProcessList list;
    for (const auto& [id, folder] : folders) {
        std::string name = ExecutableName(folder);
        if (name.empty()) continue;  // ended while we looked
        list.names.push_back(std::move(name));
        list.ids.push_back(id);
    }
    return list;
}

bool IsProcessRunning(const std::string& name, std::int32_t& processId, const std::string& procRoot) {
    const ProcessList list = ListProcesses(procRoot);
    for (std::size_t i = 0; i < list.names.size(); ++i) {
        if (list.names[i] == name) {
            processId = list.ids[i];
            return true;
        }
    }
    return false;
}

std::vector<ProcessInfo> SystemProcessTable::Snapshot() const {
    std::vector<ProcessInfo> processes;
    std::error_code error;
    for (const auto& entry : stdfs::directory_iterator(procRoot_, error)) {
        const std::string name = entry.path().filename().string();
        if (!IsNumber(name) || name.size() >= 10) continue;
        const std::int32_t id = std::stoi(name);
        if (id == ::getpid()) continue;
        ProcessInfo info;
        info.id = id;
        std::error_code linkError;
        info.executable = stdfs::read_symlink(entry.path() / "exe", linkError).string();
        // The process folder belongs to the user the process runs as.
        struct stat owner {};
        info.sameUser = ::stat(entry.path().c_str(), &owner) == 0 && owner.st_uid == ::geteuid();
        processes.push_back(std::move(info));
    }
    std::sort(processes.begin(), processes.end(),
              [](const ProcessInfo& a, const ProcessInfo& b) { return a.id < b.id; });
    return processes;
}

bool SystemProcessTable::End(std::int32_t id) { return id > 0 && ::kill(id, SIGKILL) == 0; }

std::vector<ProcessInfo> ProcessesOfProgram(const ProcessTable& table, const std::string& programPath) {
    std::error_code error;
    std::string program = stdfs::weakly_canonical(programPath, error).string();
    if (error || program.empty()) program = programPath;
    const std::string replaced = program + " (deleted)";
    std::vector<ProcessInfo> matching;
    for (ProcessInfo& process : table.Snapshot()) {
        if (!process.sameUser) continue;
        if (process.executable == program || process.executable == replaced) matching.push_back(std::move(process));
    }
    return matching;
}

}  // namespace tunewell::platform
