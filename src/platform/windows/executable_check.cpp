#include "platform/executable_check.h"

#include <windows.h>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {

bool LooksStartable(std::string_view head) {
    // Every Windows program begins with the DOS header's "MZ".
    return head.size() >= 4 && head.starts_with("MZ");
}

bool IsStartableFile(const std::string& path) {
    const HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char head[4] = {};
    DWORD got = 0;
    const BOOL read = ::ReadFile(file, head, sizeof head, &got, nullptr);
    ::CloseHandle(file);
    return read && LooksStartable(std::string_view(head, got));
}

}  // namespace tunewell::platform
