// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/executable_check.h"

#include <windows.h>

#include <cstdint>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

// The processor and optional-header kind this program was built for.
#if defined(_M_X64) || defined(__x86_64__)
constexpr std::uint16_t kOwnMachine = 0x8664;  // IMAGE_FILE_MACHINE_AMD64
#elif defined(_M_ARM64) || defined(__aarch64__)
constexpr std::uint16_t kOwnMachine = 0xAA64;  // IMAGE_FILE_MACHINE_ARM64
#else
constexpr std::uint16_t kOwnMachine = 0x014C;  // IMAGE_FILE_MACHINE_I386
#endif
constexpr std::uint16_t kOwnMagic = sizeof(void*) == 8 ? 0x20B : 0x10B;  // PE32+ or PE32

constexpr std::uint16_t kExecutableImage = 0x0002;  // IMAGE_FILE_EXECUTABLE_IMAGE
constexpr std::uint16_t kDll = 0x2000;              // IMAGE_FILE_DLL

// Where the DOS header keeps the offset of the "PE\0\0" header.
constexpr std::size_t kNewHeaderOffsetAt = 0x3C;
// The COFF header (20 bytes) and the optional header's magic follow the
// signature.
constexpr std::size_t kPeBytesNeeded = 4 + 20 + 2;

std::uint16_t Half(std::string_view head, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(head[at]) |
                                      static_cast<unsigned char>(head[at + 1]) << 8);
}

std::uint32_t Word(std::string_view head, std::size_t at) {
    return static_cast<std::uint32_t>(Half(head, at)) | static_cast<std::uint32_t>(Half(head, at + 2)) << 16;
}

}  // namespace

bool LooksStartable(std::string_view head) {
    // "MZ", then the offset of the PE header, which must lie in the bytes
    // read: a program of this processor, an image (not an object file) and
    // not a DLL.
    if (head.size() < kNewHeaderOffsetAt + 4 || !head.starts_with("MZ")) return false;
    const std::uint32_t pe = Word(head, kNewHeaderOffsetAt);
    if (pe < kNewHeaderOffsetAt + 4 || pe > head.size() || head.size() - pe < kPeBytesNeeded) return false;
    if (head.substr(pe, 4) != std::string_view("PE\0\0", 4)) return false;
    const std::uint16_t characteristics = Half(head, pe + 4 + 18);
    return Half(head, pe + 4) == kOwnMachine && (characteristics & kExecutableImage) != 0 &&
           (characteristics & kDll) == 0 && Half(head, pe + 24) == kOwnMagic;
}

bool IsStartableFile(const std::string& path) {
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char head[kStartableHeadBytes] = {};
    DWORD got = 0;
    const BOOL read = ::ReadFile(file, head, sizeof head, &got, nullptr);
    ::CloseHandle(file);
    return read && LooksStartable(std::string_view(head, got));
}

}  // namespace tunewell::platform
