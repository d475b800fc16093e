// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/install_entry.h"

#include "base/program_version.h"

namespace tunewell::settings {
namespace {

// The name as Windows compares it: one separator, no closing ones, ASCII
// letters folded.
std::string ComparableName(const std::string& path) {
    std::string name;
    name.reserve(path.size());
    for (const char c : path) {
        const char folded = c == '\\' ? '/' : (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        name.push_back(folded);
    }
    while (!name.empty() && name.back() == '/') name.pop_back();
    return name;
}

}  // namespace

bool NamesFolder(const std::string& location, const std::string& programFolder) {
    const std::string name = ComparableName(location);
    return !name.empty() && name == ComparableName(programFolder);
}

const platform::InstallRecord* RecordOfFolder(const std::vector<platform::InstallRecord>& records,
                                              const std::string& programFolder) {
    for (const platform::InstallRecord& record : records) {
        if (NamesFolder(record.location, programFolder)) return &record;
    }
    return nullptr;
}

bool HasInstallRecord(const std::string& programFolder) {
    return RecordOfFolder(platform::InstallRecords(kUninstallEntry), programFolder) != nullptr;
}

void KeepRecordInStep(const std::vector<platform::InstallRecord>& records, const std::string& programFolder,
                      const std::string& version, const InstallValueWriter& write) {
    const platform::InstallRecord* record = RecordOfFolder(records, programFolder);
    if (record == nullptr || record->displayVersion == version) return;
    write(record->scope, "DisplayVersion", version);
}

void KeepInstallRecordInStep(const std::string& programFolder) {
    KeepRecordInStep(platform::InstallRecords(kUninstallEntry), programFolder, base::kProgramVersion,
                     [](platform::InstallScope scope, const std::string& name, const std::string& value) {
                         return platform::SetInstallValue(scope, kUninstallEntry, name, value);
                     });
}

}  // namespace tunewell::settings
