#include "updater/del_tunewell.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace tunewell::updater {
namespace {

namespace stdfs = std::filesystem;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<int> ProcessIds(const std::string& procRoot) {
    std::vector<int> ids;
    std::error_code error;
    for (const auto& entry : stdfs::directory_iterator(procRoot, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() && name.size() < 10 &&
            std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); })) {
            ids.push_back(std::stoi(name));
        }
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

}  // namespace

EndedProcess DelTunewell(const std::string& name, const std::string& procRoot,
                         const std::function<void(int)>& terminate) {
    for (int id : ProcessIds(procRoot)) {
        if (id == ::getpid()) continue;
        std::error_code error;
        const stdfs::path exe = stdfs::read_symlink(stdfs::path(procRoot) / std::to_string(id) / "exe", error);
        if (error || Lower(exe.filename().string()) != name) continue;
        // Ended by force, as the file must be free before it is replaced.
        if (terminate) terminate(id); else ::kill(id, SIGKILL);
        return {id, exe.filename().string()};
    }
    return {};
}

}  // namespace tunewell::updater
