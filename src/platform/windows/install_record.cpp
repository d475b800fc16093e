// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/install_record.h"

#include <windows.h>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

constexpr const wchar_t* kUninstallKeys = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

HKEY RootOf(InstallScope scope) { return scope == InstallScope::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

std::wstring KeyOf(const std::string& entry) { return kUninstallKeys + Wide(entry); }

// A string value of an open key; empty when missing or not a string.
std::string StringValue(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got) != ERROR_SUCCESS) {
        return {};
    }
    // The stored string need not end with a zero: cut at the first one.
    text.resize(got / sizeof(wchar_t));
    const auto end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    return Narrow(text);
}

bool SetString(HKEY key, const std::string& name, const std::string& value) {
    const std::wstring wide = Wide(value);
    const auto bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()), bytes) ==
           ERROR_SUCCESS;
}

}  // namespace

// The installer and the programs are 64-bit: both see the same (64-bit)
// view of HKLM, so no view flag is needed.
std::vector<InstallRecord> InstallRecords(const std::string& entry) {
    std::vector<InstallRecord> records;
    for (const InstallScope scope : {InstallScope::kUser, InstallScope::kMachine}) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(RootOf(scope), KeyOf(entry).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) continue;
        InstallRecord record;
        record.scope = scope;
        record.location = StringValue(key, L"InstallLocation");
        record.displayVersion = StringValue(key, L"DisplayVersion");
        ::RegCloseKey(key);
        records.push_back(std::move(record));
    }
    return records;
}

bool SetInstallValue(InstallScope scope, const std::string& entry, const std::string& name, const std::string& value) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(RootOf(scope), KeyOf(entry).c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    const bool done = SetString(key, name, value);
    ::RegCloseKey(key);
    return done;
}

bool WriteInstallRecord(InstallScope scope, const std::string& entry, const InstallRecord& record) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(RootOf(scope), KeyOf(entry).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool done =
        SetString(key, "InstallLocation", record.location) && SetString(key, "DisplayVersion", record.displayVersion);
    ::RegCloseKey(key);
    return done;
}

bool RemoveInstallRecord(InstallScope scope, const std::string& entry) {
    return ::RegDeleteTreeW(RootOf(scope), KeyOf(entry).c_str()) == ERROR_SUCCESS;
}

}  // namespace tunewell::platform
