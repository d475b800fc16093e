#include "web/charset.h"

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
    std::string name = LowerAscii(charset);
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

// Bytes to UTF-16 through `converter`; invalid sequences become U+FFFD.
icu::UnicodeString ToUnicode(UConverter* converter, std::string_view bytes) {
    if (bytes.empty()) return {};
    UErrorCode status = U_ZERO_ERROR;
    std::vector<UChar> units(bytes.size() * 2 + 2);
    int32_t length = ucnv_toUChars(converter, units.data(), static_cast<int32_t>(units.size()),
                                   bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
        units.resize(static_cast<size_t>(length) + 1);
        length = ucnv_toUChars(converter, units.data(), static_cast<int32_t>(units.size()),
                               bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    }
    if (U_FAILURE(status)) return {};
    return icu::UnicodeString(units.data(), length);
}

}  // namespace

std::optional<std::string> DecodeBytes(std::string_view bytes, const std::string& charset) {
    Converter converter = OpenConverter(charset);
    if (!converter) return std::nullopt;
    std::string out;
    ToUnicode(converter.get(), bytes).toUTF8String(out);
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

}  // namespace tunewell::web
