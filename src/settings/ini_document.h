// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunewell::settings {

// The lines of one INI file, kept as raw bytes so that a rewrite changes only
// the line it must. Works on the file's own encoding: UTF-8 when the file
// starts with a UTF-8 byte-order mark, or when it is entirely valid UTF-8
// and holds a byte above ASCII (what editors on Linux write, without a
// mark); GBK otherwise. Converting texts is the caller's business. Parsing never fails: lines that are neither a section header nor
// a "key=value" line are carried along untouched.
//
// Rules: a section header is "[name]" (blanks around the name ignored); a key
// line is "name=value" inside a section; lines starting with ";" or "#" are
// comments. Names compare regardless of ASCII case (bytes of double-byte
// characters are never folded). The first matching section and key win.
class IniDocument {
public:
    explicit IniDocument(std::string_view bytes = {});

    // True when the file is UTF-8, with or without a byte-order mark.
    bool IsUtf8() const { return utf8_; }
    // True when the file began with a UTF-8 byte-order mark (Bytes keeps it).
    bool HasByteOrderMark() const { return utf8Bom_; }

    // The stored value of `key` in `section`: blanks around it removed and one
    // pair of matching quotation marks (" or ') around it removed. No value
    // when the section or key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // Stores `value` (already in the file's encoding): rewrites the first
    // occurrence of the key in place, else appends "key=value" after the last
    // non-blank line of the section, else appends the section at the end.
    // Values that would not read back unchanged (blanks at either end, or
    // enclosed in quotation marks) are written inside double quotation marks;
    // line breaks and NUL bytes in the value are dropped. False, with nothing
    // changed, when the section or key name cannot be stored in a line.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // The whole file, byte-order mark and line endings as read.
    std::string Bytes() const;

    // Whether a section or key name can be written and found again.
    static bool IsValidName(std::string_view name, bool isSection);

private:
    struct Line {
        std::string text;  // without its line ending
        std::string eol;   // "\r\n", "\n" or "" for a last line without one
    };

    static std::optional<std::string_view> SectionNameOf(std::string_view line);
    static std::optional<std::string_view> KeyNameOf(std::string_view line);
    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
    void InsertLine(std::size_t at, std::string text);

    std::vector<Line> lines_;
    std::string newline_ = "\r\n";
    bool utf8Bom_ = false;
    bool utf8_ = false;
};

}  // namespace tunewell::settings
