// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/charset_codec.h"

#include <windows.h>

#include <vector>

#include "text/utf8_text.h"

namespace tunewell::text {
namespace {

constexpr UINT kGbk = 936;
constexpr wchar_t kReplacement = 0xFFFD;
// Code page 936's table (and ICU's) give the lone byte 0xFF this
// private-use character; wine's gives U+FFFD.
constexpr char32_t kGbkFF = 0xF8F5;
constexpr std::size_t kPiece = 64 * 1024;

// The character sets the tables decode, by the lower-case names pages use.
// UTF-8 is decoded here (it needs no table); the rest by code page.
UINT CodePageOf(const std::string& name) {
    if (name == "gbk") return kGbk;
    if (name == "big5") return 950;
    if (name == "iso-8859-1" || name == "latin1") return 28591;
    if (name == "windows-1252") return 1252;
    if (name == "us-ascii" || name == "ascii") return 20127;
    return 0;
}

void AppendUnits(std::string& out, const wchar_t* units, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
}

// Converts bytes that hold whole characters; false when one is invalid.
bool ConvertStrict(UINT codePage, const char* bytes, std::size_t size, std::string& out) {
    if (size == 0) return true;
    const int length =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return false;
    std::vector<wchar_t> units(static_cast<std::size_t>(length));
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), units.data(), length);
    AppendUnits(out, units.data(), units.size());
    return true;
}

bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// The bytes of one character at `at` in a double-byte code page.
std::size_t CharacterSize(std::string_view bytes, std::size_t at, UINT codePage) {
    const bool doubleByte = codePage == kGbk || codePage == 950;
    return doubleByte && IsLead(static_cast<unsigned char>(bytes[at])) && at + 1 < bytes.size() ? 2 : 1;
}

// One character at a time, as ICU substitutes: an unmapped pair is one
// U+FFFD; a lead byte whose follower cannot be a trail byte is one U+FFFD
// and the follower is read again on its own.
void ConvertEach(UINT codePage, std::string_view bytes, std::string& out) {
    for (std::size_t at = 0; at < bytes.size();) {
        const unsigned char first = static_cast<unsigned char>(bytes[at]);
        std::size_t size = CharacterSize(bytes, at, codePage);
        if (size == 2 && !IsTrail(static_cast<unsigned char>(bytes[at + 1]))) size = 1;
        const bool lonelyLead = size == 1 && (codePage == kGbk || codePage == 950) && IsLead(first);
        if (codePage == kGbk && first == 0xFF) {
            AppendUtf8(out, kGbkFF);
        } else if (lonelyLead || !ConvertStrict(codePage, bytes.data() + at, size, out))
            AppendUtf8(out, kReplacement);
        at += size;
    }
}

void DecodeCodePage(UINT codePage, std::string_view bytes, std::string& out) {
    out.reserve(bytes.size() + bytes.size() / 2);
    for (std::size_t at = 0; at < bytes.size();) {
        // A piece ends between two characters.
        std::size_t end = at;
        while (end < bytes.size() && end - at < kPiece) end += CharacterSize(bytes, end, codePage);
        const std::string_view piece = bytes.substr(at, end - at);
        const bool hasFF = codePage == kGbk && piece.find('\xFF') != std::string_view::npos;
        if (hasFF || !ConvertStrict(codePage, piece.data(), piece.size(), out)) ConvertEach(codePage, piece, out);
        at = end;
    }
}

void DecodeUtf8(std::string_view bytes, std::string& out) {
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t from = at;
        const long c = NextCodePoint(bytes, at);
        if (c < 0) {
            AppendUtf8(out, kReplacement);
        } else {
            out.append(bytes.data() + from, at - from);
        }
    }
}

}  // namespace

std::optional<std::string> DecodeCharset(std::string_view bytes, const std::string& charset) {
    std::string out;
    if (charset == "utf-8" || charset == "utf8") {
        DecodeUtf8(bytes, out);
        return out;
    }
    const UINT codePage = CodePageOf(charset);
    if (codePage == 0) return std::nullopt;
    DecodeCodePage(codePage, bytes, out);
    return out;
}

std::string EncodeGbk(std::string_view utf8) {
    if (utf8.empty()) return {};
    // GBK has no characters beyond the first plane: those (and ill-formed
    // bytes) are a question mark each, as one code point.
    std::wstring units;
    units.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const long c = NextCodePoint(utf8, at);
        units += (c < 0 || c > 0xFFFF) ? L'?' : static_cast<wchar_t>(c);
    }
    const int size = static_cast<int>(units.size());
    const int length =
        ::WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, units.data(), size, nullptr, 0, "?", nullptr);
    if (length <= 0) return {};
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, units.data(), size, out.data(), length, "?", nullptr);
    return out;
}

char32_t LowerCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    wchar_t in[2];
    int inLength = 1;
    if (c > 0xFFFF) {
        in[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        in[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        inLength = 2;
    } else {
        in[0] = static_cast<wchar_t>(c);
    }
    wchar_t out[4] = {};
    const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, in, inLength, out, 4, nullptr,
                                       nullptr, 0);
    if (length != inLength) return c;
    if (length == 2) {
        if (out[0] < 0xD800 || out[0] > 0xDBFF) return c;
        return 0x10000 + ((static_cast<char32_t>(out[0]) - 0xD800) << 10) + (out[1] - 0xDC00);
    }
    return (out[0] >= 0xD800 && out[0] <= 0xDFFF) ? c : static_cast<char32_t>(out[0]);
}

}  // namespace tunewell::text
