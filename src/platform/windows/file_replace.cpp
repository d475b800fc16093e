// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_replace.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <random>
#include <vector>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

constexpr int kCreateAttempts = 64;
constexpr std::size_t kTagLength = 6;

std::string RandomTag() {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, sizeof(kAlphabet) - 2);
    std::string tag(kTagLength, 'x');
    for (char& c : tag) c = kAlphabet[pick(engine)];
    return tag;
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Puts the finished temporary in the target's place. ReplaceFileW keeps
// the target's attributes and security; a new target, or a file system
// that cannot replace (some network shares), takes the plain rename.
bool MoveOnto(const std::wstring& temp, const std::wstring& target) {
    if (IsFile(target) &&
        ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    return ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// "." + name + "." + the random tag: the temporaries of ReplaceFileContents.
std::string TempPrefixFor(const std::string& targetPath) { return "." + NameOf(targetPath) + "."; }

bool IsTempName(const std::string& entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + kTagLength || entry.compare(0, prefix.size(), prefix) != 0) return false;
    for (std::size_t i = prefix.size(); i < entry.size(); ++i) {
        if (std::isalnum(static_cast<unsigned char>(entry[i])) == 0) return false;
    }
    return true;
}

}  // namespace

int RemoveLeftoverTemps(const std::string& targetPath) {
    const std::string prefix = TempPrefixFor(targetPath);
    std::string folder = FolderOf(targetPath);
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((WidePath(folder + prefix) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        const std::string name = Narrow(found.cFileName, ::wcslen(found.cFileName));
        const DWORD skip = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
        if ((found.dwFileAttributes & skip) != 0 || !IsTempName(name, prefix)) continue;
        removed += ::DeleteFileW(WidePath(folder + name).c_str()) ? 1 : 0;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return removed;
}

// Mode bits mean nothing to Windows: a program is startable by its name.
int NewProgramFileMode() { return -1; }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);  // "C:\"
    return path.substr(0, slash);
}

// Rights on Windows are the folder's inherited ACL, the same for the
// temporary as for the file it becomes, so `createMode` has nothing to do.
ReplaceTemp::ReplaceTemp(const std::string& targetPath, const std::string& prefix,
                         const std::string& suffix, int /*createMode*/) {
    std::string folder = FolderOf(targetPath);
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        std::string candidate = folder + prefix + RandomTag() + suffix;
        // Never through a link: CREATE_NEW fails on anything at the name.
        const HANDLE file = ::CreateFileW(WidePath(candidate).c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
            if (fd_ < 0) {
                ::CloseHandle(file);
                ::DeleteFileW(WidePath(candidate).c_str());
                return;
            }
            path_ = std::move(candidate);
            return;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

ReplaceTemp::~ReplaceTemp() { Discard(); }

void ReplaceTemp::Discard() {
    if (fd_ >= 0) ::_close(fd_);
    fd_ = -1;
    if (!path_.empty()) ::DeleteFileW(WidePath(path_).c_str());
    path_.clear();
}

bool WriteAllTo(int fd, std::string_view data) {
    while (!data.empty()) {
        const unsigned piece = static_cast<unsigned>(std::min<std::size_t>(data.size(), INT_MAX / 2));
        const int put = ::_write(fd, data.data(), piece);
        if (put < 0) return false;
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool ReplaceTemp::WriteAll(std::string_view data) { return WriteAllTo(fd_, data); }

bool ReplaceTemp::Commit(const std::string& targetPath, const Options& options) {
    if (fd_ < 0) return false;
    bool ok = true;
    if (options.durable) ok = ::_commit(fd_) == 0;  // FlushFileBuffers
    ok = (::_close(fd_) == 0) && ok;
    fd_ = -1;
    if (ok && options.beforeRename) options.beforeRename(path_);
    if (!ok || !MoveOnto(WidePath(path_), WidePath(targetPath))) {
        Discard();
        return false;
    }
    path_.clear();
    return true;
}

bool ReplaceFileContents(const std::string& targetPath, std::string_view contents,
                         const ReplaceTemp::Options& options) {
    ReplaceTemp temp(targetPath, TempPrefixFor(targetPath), "");
    return temp.IsOpen() && temp.WriteAll(contents) && temp.Commit(targetPath, options);
}

bool ReplaceFileFrom(const std::string& targetPath, const std::string& sourcePath,
                     const ReplaceTemp::Options& options) {
    const HANDLE source = ::CreateFileW(WidePath(sourcePath).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr);
    if (source == INVALID_HANDLE_VALUE) return false;
    ReplaceTemp temp(targetPath, TempPrefixFor(targetPath), "");
    bool ok = temp.IsOpen();
    std::vector<char> buffer(64 * 1024);
    while (ok) {
        DWORD got = 0;
        if (!::ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        ok = temp.WriteAll(std::string_view(buffer.data(), got));
    }
    ::CloseHandle(source);
    return ok && temp.Commit(targetPath, options);
}

}  // namespace tunewell::platform
