#include "download/file_naming.h"

#include <cctype>

#include "web/charset.h"
#include "web/text_utils.h"

namespace tunewell::download {
namespace {

std::size_t Utf8CharLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 0x6) return 2;
    if ((lead >> 4) == 0xE) return 3;
    if ((lead >> 3) == 0x1E) return 4;
    return 1;
}

// Removes what may never stand in a file name on this platform.
std::string DropUnsafe(std::string name) {
    std::erase_if(name, [](char c) { return c == '/' || c == '\\' || c == '\0'; });
    return name;
}

}  // namespace

std::size_t Utf8PrefixLength(const std::string& text, std::size_t maxBytes) {
    std::size_t length = 0;
    while (length < text.size()) {
        const std::size_t next = length + Utf8CharLength(static_cast<unsigned char>(text[length]));
        if (next > maxBytes || next > text.size()) break;
        length = next;
    }
    return length;
}

std::string ExtensionFor(const std::string& address) {
    if (address.find('.') == std::string::npos) return ".mp3";
    const std::string raw = web::SplitPart(address, ".", 2);
    if (raw.size() + 1 > kMaxFileNameBytes) return ".mp3";
    const std::string tail = web::RemoveControlCharacters(web::LowerCaseLetters(raw));
    if (tail.find('/') != std::string::npos || tail.find('\\') != std::string::npos) return ".mp3";
    return "." + tail;
}

namespace {

std::string CleanedName(const std::string& name) {
    std::string cleaned = name;
    web::CleanFileName(cleaned);
    return DropUnsafe(web::ReplaceAll(cleaned, ".", ""));
}

}  // namespace

std::string BuildFileName(const std::string& name, const std::string& address, bool numbered,
                          int position, const std::string& fallbackName) {
    std::string cleaned = CleanedName(name);
    // A title of dots would leave the extension alone: a hidden file.
    if (cleaned.empty() && !numbered) cleaned = CleanedName(fallbackName);

    std::string number;
    if (numbered) {
        number = std::to_string(position);
        if (position >= 0 && position < 10) number.insert(0, 1, '0');
        number += '.';
    }
    std::string extension = DropUnsafe(ExtensionFor(address));
    // A lone "." would name the save folder itself.
    if (number.empty() && cleaned.empty() && extension == ".") extension = ".mp3";

    // A name the file system refuses could never be saved: cut the name
    // (and, for an absurd address, the extension) so that the whole fits.
    const std::size_t room = kMaxFileNameBytes - number.size();
    extension.resize(Utf8PrefixLength(extension, room));
    cleaned.resize(Utf8PrefixLength(cleaned, room - extension.size()));
    return number + cleaned + extension;
}

std::string CutToWidth(const std::string& text, int width) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
    int running = 0;
    std::size_t at = 0;
    while (at < trimmed.size()) {
        const std::size_t length = Utf8CharLength(static_cast<unsigned char>(trimmed[at]));
        running += web::ToGbk(trimmed.substr(at, length)).size() == 2 ? 2 : 1;
        at += length;
        if (running >= width) return trimmed.substr(0, at);
    }
    return trimmed;
}

}  // namespace tunewell::download
