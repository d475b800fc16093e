// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/charset_codec.h"
#include "text/utf8_text.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <memory>

namespace tunewell::text {
namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// The ICU converter for a character-set name ("gbk" is ICU's "GBK", code
// page 936; ICU's own "gb2312" converter lacks its characters).
Converter OpenConverter(const std::string& charset) {
    const std::string name = charset == "gbk" ? "GBK" : charset;
    if (name.empty()) return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status)) return nullptr;
    return converter;
}

// Counts the bytes a decoding would append, without keeping them.
struct ByteCounter {
    std::size_t bytes = 0;
    ByteCounter& operator+=(char) {
        ++bytes;
        return *this;
    }
};

// One code point as UTF-8: into a text (text/utf8_text.h), or only counted.
using tunewell::text::AppendUtf8;
void AppendUtf8(ByteCounter& out, char32_t c) { out.bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// UTF-16 units to UTF-8. A high surrogate at the end of a piece waits in
// `pending` for its partner in the next piece; a lone one becomes U+FFFD.
template <typename Out>
void AppendUnits(Out& out, const UChar* units, const UChar* end, char16_t& pending) {
    for (; units != end; ++units) {
        const char16_t unit = *units;
        if (pending != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(pending) - 0xD800) << 10) + (unit - 0xDC00));
                pending = 0;
                continue;
            }
            AppendUtf8(out, 0xFFFD);
            pending = 0;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            pending = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
}

// Bytes to UTF-8 through `converter` in pieces, so that no UTF-16 copy of
// the whole text is ever held and no length has to fit 32 bits; invalid
// sequences become U+FFFD.
template <typename Out>
bool DecodeInPieces(UConverter* converter, std::string_view bytes, Out& out) {
    constexpr std::size_t kPiece = 16 * 1024;
    UChar units[kPiece];
    ucnv_reset(converter);
    const char* source = bytes.data();
    const char* const limit = source + bytes.size();
    char16_t pending = 0;
    UErrorCode status = U_ZERO_ERROR;
    do {
        status = U_ZERO_ERROR;
        UChar* target = units;
        ucnv_toUnicode(converter, &target, units + kPiece, &source, limit, nullptr, true, &status);
        AppendUnits(out, units, target, pending);
    } while (status == U_BUFFER_OVERFLOW_ERROR);
    if (pending != 0) AppendUtf8(out, 0xFFFD);
    return U_SUCCESS(status);
}

// Large texts are measured first, so the result is allocated once at its
// exact size: a page is then held as bytes and text, never more.
constexpr std::size_t kMeasuredAbove = 1024 * 1024;

bool Decode(UConverter* converter, std::string_view bytes, std::string& out) {
    if (bytes.size() > kMeasuredAbove) {
        ByteCounter counter;
        if (!DecodeInPieces(converter, bytes, counter)) return false;
        out.reserve(counter.bytes);
    } else {
        out.reserve(bytes.size() + bytes.size() / 2);  // Chinese: two bytes become three
    }
    return DecodeInPieces(converter, bytes, out);
}

}  // namespace

std::optional<std::string> DecodeCharset(std::string_view bytes, const std::string& charset) {
    Converter converter = OpenConverter(charset);
    if (!converter) return std::nullopt;
    std::string out;
    if (!bytes.empty() && !Decode(converter.get(), bytes, out)) return std::string();
    return out;
}

std::string EncodeGbk(std::string_view utf8) {
    if (utf8.empty()) return {};
    Converter converter = OpenConverter("gbk");
    if (!converter) return {};
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    status = U_ZERO_ERROR;
    std::string out(static_cast<size_t>(text.length()) * 2 + 2, '\0');
    int32_t length = ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                                     text.getBuffer(), text.length(), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
        out.assign(static_cast<size_t>(length) + 1, '\0');
        length = ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                                 text.getBuffer(), text.length(), &status);
    }
    if (U_FAILURE(status)) return {};
    out.resize(static_cast<size_t>(length));
    return out;
}

char32_t LowerCodePoint(char32_t c) { return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c))); }

}  // namespace tunewell::text
