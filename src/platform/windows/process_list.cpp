// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/process_list.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/utf8_path.h"
#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// How long End waits for an ended process to be gone.
constexpr DWORD kEndWaitMs = 5000;

struct Entry {
    std::int32_t id;
    std::string name;
};

// Toolhelp's snapshot: every process with the file name of its program.
std::vector<Entry> SnapshotEntries() {
    std::vector<Entry> entries;
    const Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) return entries;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == 0) continue;  // the idle process has no program
        entries.push_back({static_cast<std::int32_t>(entry.th32ProcessID), Narrow(entry.szExeFile, ::wcslen(entry.szExeFile))});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
    return entries;
}

std::string FullImageName(HANDLE process) {
    std::vector<wchar_t> buffer(32768);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!::QueryFullProcessImageNameW(process, 0, buffer.data(), &size)) return {};
    return Narrow(buffer.data(), size);
}

// The user a token belongs to, as a copy of its SID bytes.
std::vector<unsigned char> TokenUser(HANDLE process) {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &raw)) return {};
    const Handle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), ::TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<unsigned char> buffer(size);
    if (!::GetTokenInformation(token.get(), ::TokenUser, buffer.data(), size, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const auto* bytes = static_cast<const unsigned char*>(sid);
    return std::vector<unsigned char>(bytes, bytes + ::GetLengthSid(sid));
}

std::string LowerWide(const std::string& utf8) {
    std::wstring wide = WidePath(utf8);
    if (!wide.empty())
        ::CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Narrow(wide);
}

// A path in the form two names of one file share: backslashes, lower case.
std::string SameFileKey(const std::string& utf8) {
    std::filesystem::path path = Utf8Path(utf8);
    path.make_preferred();
    return LowerWide(Utf8String(path));
}

}  // namespace

ProcessList ListProcesses(const std::string&) {
    ProcessList list;
    for (Entry& entry : SnapshotEntries()) {
        list.names.push_back(std::move(entry.name));
        list.ids.push_back(entry.id);
    }
    return list;
}

bool IsProcessRunning(const std::string& name, std::int32_t& processId, const std::string&) {
    for (const Entry& entry : SnapshotEntries()) {
        if (entry.name == name) {
            processId = entry.id;
            return true;
        }
    }
    return false;
}

std::vector<ProcessInfo> SystemProcessTable::Snapshot() const {
    const std::vector<unsigned char> self = TokenUser(::GetCurrentProcess());
    const auto own = static_cast<std::int32_t>(::GetCurrentProcessId());
    std::vector<ProcessInfo> processes;
    for (const Entry& entry : SnapshotEntries()) {
        if (entry.id == own) continue;
        ProcessInfo info;
        info.id = entry.id;
        const Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(entry.id)));
        if (process) {
            info.executable = FullImageName(process.get());
            const std::vector<unsigned char> user = TokenUser(process.get());
            info.sameUser = !self.empty() && user == self;
        }
        processes.push_back(std::move(info));
    }
    return processes;
}

bool SystemProcessTable::End(std::int32_t id) {
    if (id <= 0) return false;
    const Handle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(id)));
    if (!process || !::TerminateProcess(process.get(), 0)) return false;
    // Termination goes on after the call returns; the program's file stays
    // in use until it is done, and the caller replaces that file next.
    ::WaitForSingleObject(process.get(), kEndWaitMs);
    return true;
}

std::vector<ProcessInfo> ProcessesOfProgram(const ProcessTable& table, const std::string& programPath) {
    // A running program's file cannot be replaced on Windows, so there is
    // no "(deleted)" form; names compare without regard to case.
    std::error_code error;
    // Callers give Qt's forward slashes, the system reports backslashes.
    std::filesystem::path canonical = std::filesystem::weakly_canonical(Utf8Path(programPath), error);
    if (error || canonical.empty()) canonical = Utf8Path(programPath);
    const std::string program = SameFileKey(Utf8String(canonical));
    std::vector<ProcessInfo> matching;
    for (ProcessInfo& process : table.Snapshot()) {
        if (process.sameUser && !process.executable.empty() && SameFileKey(process.executable) == program) {
            matching.push_back(std::move(process));
        }
    }
    return matching;
}

}  // namespace tunewell::platform
