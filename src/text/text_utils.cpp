// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_utils.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "text/charset.h"
#include "text/charset_codec.h"
#include "text/utf8_text.h"

namespace tunewell::text {
namespace {

void AppendEscape(std::string& out, unsigned char byte, bool twoDigits) {
    char hex[4];
    std::snprintf(hex, sizeof hex, twoDigits ? "%02X" : "%X", byte);
    out += '%';
    out += hex;
}

bool IsAsciiAlnum(long c) {
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

std::string RemoveControlCharacters(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) continue;
        // U+0080 to U+009F are C2 80 to C2 9F in UTF-8.
        if (byte == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

std::string CleanFileName(std::string& text) {
    static const char* const kRemoved[] = {"/", "\\", "?", ";", ":", "\"", "|", "<", ">", "'", "~",
                                           "!", "@", "#", "$", "%", "^", "&", "*", "+", ",", "."};
    // Control characters would reach terminals and file names.
    std::string result = RemoveControlCharacters(text);
    for (const char* mark : kRemoved) result = ReplaceAll(std::move(result), mark, "");
    result = ReplaceAll(std::move(result), "    ", " ");
    result = ReplaceAll(std::move(result), "   ", " ");
    result = ReplaceAll(std::move(result), "  ", " ");
    result = ReplaceAll(std::move(result), "\xE3\x80\x80", " ");            // ideographic space
    result = ReplaceAll(std::move(result), "\xE2\x80\xA6\xE2\x80\xA6 ", "");  // "……" and a space
    text = result;
    return result;
}

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

namespace {

// Lower-cases every letter in place (ICU's simple case mapping, one code
// point for another), dropping CR and LF when asked; one pass, no copy.
// Bytes that are not UTF-8 stay as they are.
void LowerCaseInPlace(std::string& text, bool dropLineBreaks) {
    std::size_t write = 0;
    std::size_t read = 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    while (read < text.size()) {
        const auto byte = bytes[read];
        if (byte < 0x80) {  // ASCII, the bulk of a page
            if (dropLineBreaks && (byte == '\r' || byte == '\n')) {
                ++read;
                continue;
            }
            text[write++] = (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + 32) : static_cast<char>(byte);
            ++read;
            continue;
        }
        std::size_t next = read;
        const long c = NextCodePoint(text, next);
        std::string lowered;
        if (c >= 0) AppendUtf8(lowered, LowerCodePoint(static_cast<char32_t>(c)));
        const std::size_t size = lowered.size();
        if (size == 0) {  // not UTF-8: the bytes stay as they are
            for (std::size_t i = read; i < next; ++i) text[write++] = text[i];
        } else if (write + size <= next) {
            for (std::size_t i = 0; i < size; ++i) text[write++] = lowered[i];
        } else {
            // The lower-case letter is longer than the capital and there is
            // no room left: the rest goes through a copy (rare letters only).
            std::string rest = lowered;
            rest.append(text, next);
            LowerCaseInPlace(rest, dropLineBreaks);
            text.resize(write);
            text += rest;
            return;
        }
        read = static_cast<std::size_t>(next);
    }
    text.resize(write);
}

}  // namespace

std::string LowerCaseLetters(std::string text) {
    LowerCaseInPlace(text, false);
    return text;
}

const std::string& NormalizePage(std::string& text) {
    LowerCaseInPlace(text, true);
    return text;
}

std::string UrlEncode(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        long c = NextCodePoint(text, at);
        if (IsAsciiAlnum(c)) {
            out += static_cast<char>(c);
            continue;
        }
        if (c < 0) c = 0xFFFD;  // ill-formed UTF-8 stands for the replacement character
        std::string utf8;
        AppendUtf8(utf8, static_cast<char32_t>(c));
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

std::string_view SplitPiece(std::string_view text, std::string_view delimiter, int mode) {
    if (delimiter.empty()) return mode == 3 ? std::string_view() : text;
    if (mode != 2 && mode != 3) return text.substr(0, text.find(delimiter));
    // The delimiters are found left to right, each search going on behind
    // the one before, as a split would find them (this matters for a
    // delimiter that overlaps itself); only the last two pieces are kept.
    std::size_t lastStart = 0;
    std::size_t previousStart = std::string_view::npos;
    std::size_t previousEnd = 0;
    for (std::size_t at = text.find(delimiter); at != std::string_view::npos; at = text.find(delimiter, lastStart)) {
        previousStart = lastStart;
        previousEnd = at;
        lastStart = at + delimiter.size();
    }
    if (mode == 2) return text.substr(lastStart);
    if (previousStart == std::string_view::npos) return {};
    return text.substr(previousStart, previousEnd - previousStart);
}

std::string SplitPart(std::string_view text, std::string_view delimiter, int mode) {
    if (mode == 4) return ReplaceAll(std::string(text), std::string(SplitPiece(text, delimiter, 2)), "");
    return std::string(SplitPiece(text, delimiter, mode));
}

}  // namespace tunewell::text
