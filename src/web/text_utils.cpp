#include "web/text_utils.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include <unicode/unistr.h>

#include "web/charset.h"

namespace tunewell::web {
namespace {

std::vector<std::string> Split(const std::string& text, const std::string& delimiter) {
    std::vector<std::string> parts;
    if (delimiter.empty()) return {text};
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(delimiter, from);
        if (at == std::string::npos) break;
        parts.push_back(text.substr(from, at - from));
        from = at + delimiter.size();
    }
    parts.push_back(text.substr(from));
    return parts;
}

void AppendEscape(std::string& out, unsigned char byte, bool twoDigits) {
    char hex[4];
    std::snprintf(hex, sizeof hex, twoDigits ? "%02X" : "%X", byte);
    out += '%';
    out += hex;
}

bool IsAsciiAlnum(UChar32 c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

long RandomInRange(long lower, long upper) {
    const auto tick = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    std::mt19937 generator(static_cast<std::uint32_t>(tick.count()));
    // 24 random bits give a single-precision value in [0, 1).
    const float r = static_cast<float>(generator() >> 8) / 16777216.0f;
    const double span = static_cast<double>(upper) - static_cast<double>(lower);
    long result = static_cast<long>(std::floor(static_cast<double>(r) * span)) + lower;
    if (upper > lower && result >= upper) result = upper - 1;
    return result;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t at = text.find(from, pos);
        if (at == std::string::npos) break;
        out.append(text, pos, at - pos);
        out += to;
        pos = at + from.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

std::string CleanFileName(std::string& text) {
    static const char* const kRemoved[] = {"/", "\\", "?", ";", ":", "\"", "|", "<", ">", "'", "~",
                                           "!", "@", "#", "$", "%", "^", "&", "*", "+", ",", "."};
    std::string result = text;
    for (const char* mark : kRemoved) result = ReplaceAll(std::move(result), mark, "");
    result = ReplaceAll(std::move(result), "    ", " ");
    result = ReplaceAll(std::move(result), "   ", " ");
    result = ReplaceAll(std::move(result), "  ", " ");
    result = ReplaceAll(std::move(result), "\xE3\x80\x80", " ");            // ideographic space
    result = ReplaceAll(std::move(result), "\xE2\x80\xA6\xE2\x80\xA6 ", "");  // "……" and a space
    text = result;
    return result;
}

std::vector<std::string> SplitAll(const std::string& text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    if (!delimiter.empty()) {
        for (auto at = text.find(delimiter); at != std::string::npos; at = text.find(delimiter, start)) {
            pieces.push_back(text.substr(start, at - start));
            start = at + delimiter.size();
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

void NormalizePageInPlace(std::string& text) {
    std::size_t kept = 0;
    for (const char c : text) {
        if (c == '\r' || c == '\n') continue;
        text[kept++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    text.resize(kept);
}

std::string NormalizePage(std::string& text) {
    NormalizePageInPlace(text);
    return text;
}

std::string UrlEncode(const std::string& text) {
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::string out;
    for (int32_t i = 0; i < unicode.length(); i = unicode.moveIndex32(i, 1)) {
        const UChar32 c = unicode.char32At(i);
        if (IsAsciiAlnum(c)) {
            out += static_cast<char>(c);
            continue;
        }
        std::string utf8;
        icu::UnicodeString(c).toUTF8String(utf8);
        const std::string gbk = ToGbk(utf8);
        if (gbk.size() == 2) {
            AppendEscape(out, static_cast<unsigned char>(gbk[0]), true);
            AppendEscape(out, static_cast<unsigned char>(gbk[1]), true);
        } else {
            // Anything but one GBK character stands for a question mark.
            const char byte = gbk.size() == 1 ? gbk[0] : '?';
            AppendEscape(out, static_cast<unsigned char>(byte), false);
        }
    }
    return out;
}

std::string SplitPart(const std::string& text, const std::string& delimiter, int mode) {
    const std::vector<std::string> parts = Split(text, delimiter);
    switch (mode) {
        case 2:
            return parts.back();
        case 3:
            return parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
        case 4:
            return ReplaceAll(text, parts.back(), "");
        default:
            return parts.front();
    }
}

}  // namespace tunewell::web
