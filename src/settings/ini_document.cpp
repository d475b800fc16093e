// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ini_document.h"

#include <algorithm>

namespace tunewell::settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// ASCII letters lower-cased. In GBK the second byte of a double-byte
// character may fall in the ASCII letter range and is left alone; in UTF-8
// every byte of a multi-byte character is above that range.
std::string FoldName(std::string_view name, bool utf8) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (!utf8 && IsLeadByte(c)) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool SameName(std::string_view a, std::string_view b, bool utf8) {
    return a.size() == b.size() && FoldName(a, utf8) == FoldName(b, utf8);
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool HasLineBreak(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// The value as it must stand in the file so that Find returns it unchanged.
std::string EncodeValue(std::string_view value) {
    std::string clean;
    clean.reserve(value.size());
    for (char c : value) {
        if (c != '\r' && c != '\n' && c != '\0') clean += c;
    }
    const bool blankAtEnd = !clean.empty() && (IsBlank(clean.front()) || IsBlank(clean.back()));
    const bool quoted = clean.size() >= 2 && IsQuote(clean.front()) && clean.front() == clean.back();
    if (blankAtEnd || quoted) return '"' + clean + '"';
    return clean;
}

// Whether `bytes` hold a byte above ASCII and are well-formed UTF-8 (no
// overlong form, no surrogate, nothing above U+10FFFF). GBK text with a
// Chinese character practically never passes: its second bytes run past
// the range UTF-8 allows after a lead byte.
bool IsNonAsciiUtf8(std::string_view bytes) {
    bool nonAscii = false;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        if (lead < 0x80) {
            ++at;
            continue;
        }
        nonAscii = true;
        const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4                     ? 4
                                                                                      : 0;
        if (length == 0 || at + length > bytes.size()) return false;
        for (std::size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80) return false;
        }
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second > 0x8F)) {
            return false;
        }
        at += length;
    }
    return nonAscii;
}

}  // namespace

IniDocument::IniDocument(std::string_view bytes) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        utf8Bom_ = true;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    utf8_ = utf8Bom_ || IsNonAsciiUtf8(bytes);
    const std::size_t firstBreak = bytes.find('\n');
    if (firstBreak != std::string_view::npos && (firstBreak == 0 || bytes[firstBreak - 1] != '\r')) {
        newline_ = "\n";
    }
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            lines_.push_back({std::string(bytes), ""});
            break;
        }
        const bool crlf = end > 0 && bytes[end - 1] == '\r';
        const std::size_t textLength = crlf ? end - 1 : end;
        lines_.push_back({std::string(bytes.substr(0, textLength)), crlf ? "\r\n" : "\n"});
        bytes.remove_prefix(end + 1);
    }
}

std::optional<std::string_view> IniDocument::SectionNameOf(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    // A header without its closing bracket still starts a section, so that
    // the keys after it are not taken for keys of the section before.
    const std::size_t close = line.rfind(']');
    if (close != std::string_view::npos) line = line.substr(0, close);
    return TrimBlanks(line);
}

std::optional<std::string_view> IniDocument::KeyNameOf(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' ||
        trimmed.front() == '[') {
        return std::nullopt;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view name = TrimBlanks(line.substr(0, equals));
    if (name.empty()) return std::nullopt;
    return name;
}

bool IniDocument::IsValidName(std::string_view name, bool isSection) {
    if (name.empty() || TrimBlanks(name) != name || HasLineBreak(name)) return false;
    if (isSection) return name.find(']') == std::string_view::npos;
    return name.find('=') == std::string_view::npos && name.front() != ';' &&
           name.front() != '#' && name.front() != '[';
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionNameOf(lines_[i].text);
        if (name && SameName(*name, section, utf8Bom_)) return i;
    }
    return std::nullopt;
}

// The index of the first line after the section that starts at `header`.
std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !SectionNameOf(lines_[i].text)) ++i;
    return i;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::string_view key) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto name = KeyNameOf(lines_[i].text);
        if (name && SameName(*name, key, utf8Bom_)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    const auto header = FindSection(section);
    if (!header) return std::nullopt;
    const auto line = FindKey(*header, key);
    if (!line) return std::nullopt;
    const std::string_view text = lines_[*line].text;
    std::string_view value = TrimBlanks(text.substr(text.find('=') + 1));
    if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

void IniDocument::InsertLine(std::size_t at, std::string text) {
    // The line before the new one needs an ending when it was the last line.
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = newline_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), newline_});
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsValidName(section, true) || !IsValidName(key, false)) return false;
    const std::string encoded = EncodeValue(value);
    const auto header = FindSection(section);
    if (!header) {
        const bool needGap = !lines_.empty() && !TrimBlanks(lines_.back().text).empty();
        if (needGap) InsertLine(lines_.size(), "");
        InsertLine(lines_.size(), '[' + std::string(section) + ']');
        InsertLine(lines_.size(), std::string(key) + '=' + encoded);
        return true;
    }
    if (const auto line = FindKey(*header, key)) {
        std::string& text = lines_[*line].text;
        text = text.substr(0, text.find('=') + 1) + encoded;
        return true;
    }
    std::size_t at = SectionEnd(*header);
    while (at > *header + 1 && TrimBlanks(lines_[at - 1].text).empty()) --at;
    InsertLine(at, std::string(key) + '=' + encoded);
    return true;
}

std::string IniDocument::Bytes() const {
    std::string out = utf8Bom_ ? std::string(kUtf8Bom) : std::string();
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

}  // namespace tunewell::settings
