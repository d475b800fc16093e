// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/utf8_path.h"

namespace tunewell::platform {

std::filesystem::path Utf8Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8String(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace tunewell::platform
