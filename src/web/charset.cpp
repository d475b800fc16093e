#include "web/charset.h"

#include "base/text.h"
#include "web/text_utils.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

namespace tunewell::web {
namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// The ICU converter for a character-set name. The simplified-Chinese names
// all mean code page 936 (GBK): pages labelled "gb2312" routinely carry GBK
// characters, and ICU's own "gb2312" converter lacks them.
Converter OpenConverter(const std::string& charset) {
    std::string name = base::LowerAscii(charset);
    if (name == "gb2312" || name == "gbk" || name == "cp936" || name == "windows-936" ||
        name == "x-gbk") {
        name = "GBK";
    }
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

// Appends one code point as UTF-8.
template <typename Out>
void AppendUtf8(Out& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

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

std::optional<std::string> DecodeBytes(std::string_view bytes, const std::string& charset) {
    Converter converter = OpenConverter(charset);
    if (!converter) return std::nullopt;
    std::string out;
    if (!bytes.empty() && !Decode(converter.get(), bytes, out)) return std::string();
    return out;
}

std::string BytesToBstr(std::string_view bytes, const std::string& charset) {
    return DecodeBytes(bytes, charset).value_or(std::string());
}

std::string ToGbk(std::string_view utf8) {
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

std::string FromGbk(std::string_view gbk) { return BytesToBstr(gbk, "gbk"); }

std::optional<std::string> ToGbkExact(std::string_view utf8) {
    std::string gbk = ToGbk(utf8);
    // The converter also knows one-way fallbacks; only a round trip proves
    // that the bytes stand for this very text.
    if (FromGbk(gbk) != utf8) return std::nullopt;
    return gbk;
}

}  // namespace tunewell::web
