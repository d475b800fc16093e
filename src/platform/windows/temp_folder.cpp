// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/temp_folder.h"

#include <windows.h>
#include <sddl.h>

#include <filesystem>
#include <memory>
#include <random>
#include <vector>

#include "platform/utf8_path.h"
#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

constexpr int kCreateAttempts = 64;

std::wstring RandomTag() {
    static const wchar_t kAlphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kAlphabet)) - 2);
    std::wstring tag(6, L'x');
    for (wchar_t& c : tag) c = kAlphabet[pick(engine)];
    return tag;
}

// "D:P(A;OICI;FA;;;<this user>)": full access for the user alone, not
// inherited from the folder above.
std::wstring OwnerOnlyDescriptor() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    std::wstring descriptor;
    LPWSTR sid = nullptr;
    if (size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        descriptor = L"D:P(A;OICI;FA;;;" + std::wstring(sid) + L")";
        ::LocalFree(sid);
    }
    ::CloseHandle(token);
    return descriptor;
}

}  // namespace

std::string TempFolder() {
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return {};
    std::string folder = Narrow(buffer, length);
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder.size() > 255 ? std::string() : folder;
}

std::string MakePrivateFolder(const std::string& prefix) {
    const std::string base = TempFolder();
    if (base.empty()) return {};
    const std::wstring descriptorText = OwnerOnlyDescriptor();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (descriptorText.empty() ||
        !::ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptorText.c_str(), SDDL_REVISION_1,
                                                                &descriptor, nullptr))
        return {};
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
    std::wstring made;
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::wstring candidate = WidePath(base + prefix) + RandomTag();
        if (::CreateDirectoryW(candidate.c_str(), &attributes)) {
            made = candidate;
            break;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    ::LocalFree(descriptor);
    return Narrow(made);
}

void RemovePrivateFolder(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code error;
    std::filesystem::remove_all(Utf8Path(folder), error);
}

}  // namespace tunewell::platform
