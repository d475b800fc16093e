// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/charset.h"

#include "base/text.h"
#include "text/charset_codec.h"

namespace tunewell::text {
namespace {

// The simplified-Chinese names all mean code page 936 (GBK): pages
// labelled "gb2312" routinely carry GBK characters.
std::string CanonicalName(const std::string& charset) {
    const std::string name = base::LowerAscii(charset);
    if (name == "gb2312" || name == "gbk" || name == "cp936" || name == "windows-936" || name == "x-gbk")
        return "gbk";
    return name;
}

}  // namespace

std::optional<std::string> DecodeBytes(std::string_view bytes, const std::string& charset) {
    return DecodeCharset(bytes, CanonicalName(charset));
}

std::string BytesToBstr(std::string_view bytes, const std::string& charset) {
    return DecodeBytes(bytes, charset).value_or(std::string());
}

std::string ToGbk(std::string_view utf8) { return EncodeGbk(utf8); }

std::string FromGbk(std::string_view gbk) { return BytesToBstr(gbk, "gbk"); }

std::optional<std::string> ToGbkExact(std::string_view utf8) {
    std::string gbk = ToGbk(utf8);
    // The converter also knows one-way fallbacks; only a round trip proves
    // that the bytes stand for this very text.
    if (FromGbk(gbk) != utf8) return std::nullopt;
    return gbk;
}

}  // namespace tunewell::text
