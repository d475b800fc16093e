// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/save_names.h"

#include <algorithm>
#include <array>

#include "base/text.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace tunewell::download {
namespace {

constexpr const char* kDefaultExtension = ".mp3";
constexpr const char* kEmptyStem = "song";

// What a song's title must at least hold to be its name.
constexpr std::size_t kShortestTitle = 3;

// Names Windows takes for devices whatever follows their first dot:
// "con.mp3" opens the console. Superscript digits count as digits there.
bool IsDeviceName(std::string_view first) {
    static const std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    static const std::array<std::string_view, 3> kSuperscripts = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    const std::string lower = base::LowerAscii(first);
    if (std::find(kPlain.begin(), kPlain.end(), lower) != kPlain.end()) return true;
    if (lower.size() < 4 || (lower.compare(0, 3, "com") != 0 && lower.compare(0, 3, "lpt") != 0)) return false;
    const std::string_view digit = std::string_view(lower).substr(3);
    if (digit.size() == 1) return digit[0] >= '0' && digit[0] <= '9';
    return std::find(kSuperscripts.begin(), kSuperscripts.end(), digit) != kSuperscripts.end();
}

// Whether Windows would take `name` for a device: the part before its
// first dot is a device name. (Windows ignores blanks at the end of that
// part too; a stem never ends in one.)
bool NamesDevice(const std::string& name) {
    return IsDeviceName(std::string_view(name).substr(0, name.find('.')));
}

void TrimEnd(std::string& text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
}

// The stem a name makes: cleaned, without dots and blanks at its end.
std::string StemOf(const std::string& name) {
    std::string cleaned = name;
    text::CleanFileName(cleaned);
    // CleanFileName leaves neither separators nor NUL; the stem must not
    // hold them whatever the cleaning keeps.
    std::erase_if(cleaned, [](char c) { return c == '.' || c == '/' || c == '\\' || c == '\0'; });
    TrimEnd(cleaned);
    return cleaned;
}

// The name a song asks for: its title with the performer, or the row's
// display name when the title is too short to tell songs apart.
std::string WantedName(const PlayEntry& song, const std::string& rowName) {
    if (text::CharacterCount(song.title) < kShortestTitle) return rowName;
    return song.performer.empty() ? song.title : song.title + " - " + song.performer;
}

// ".ext" from the address's path when it is an audio type; ".mp3" for
// anything else, so that "a.MP3?x=1" is ".mp3" and "qt.conf" cannot be.
std::string ExtensionFor(const std::string& address) {
    const std::string_view path = std::string_view(address).substr(0, address.find_first_of("?#"));
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return kDefaultExtension;
    const std::string tail = base::LowerAscii(path.substr(dot + 1));
    const auto& known = SaveNames::AudioExtensions();
    if (std::find(known.begin(), known.end(), tail) == known.end()) return kDefaultExtension;
    return "." + tail;
}

std::string NumberFor(int position) {
    std::string number = std::to_string(position);
    if (position >= 0 && position < 10) number.insert(0, 1, '0');
    return number + '.';
}

// Letter case folded the way a file system that ignores it would: every
// letter, not ASCII alone ("Été" and "ÉTÉ" are one file on Windows).
std::string Folded(const std::string& name) { return text::LowerCaseLetters(name); }

std::string WithoutControls(std::string text) {
    std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    return text;
}

}  // namespace

tags::SongTags NamedAfter(const PlayEntry& song, const std::string& rowName) {
    const bool titled = text::CharacterCount(song.title) >= kShortestTitle;
    return {WithoutControls(titled ? song.title : rowName), WithoutControls(song.performer)};
}

std::vector<std::string> SaveNames::ProgramFiles() {
    return {"Config.ini", ".Config.ini.lock", "Tunewell",    "Tunewell.exe", "tunewell-cli",
            "UpDate",     "UpDate.exe",       "UpDate.sh",   "UpDate.vbs"};
}

const std::vector<std::string_view>& SaveNames::AudioExtensions() {
    static const std::vector<std::string_view> kExtensions = {
        "mp3", "wma", "wav", "m4a", "aac", "flac", "ogg", "oga", "opus", "ape", "amr", "mid", "midi", "mp2",
        "ra",  "rm",  "ram", "mka", "wv",  "aif",  "aiff", "m4b", "mpc", "tta",  "ac3", "dsf", "dff", "spx",
        "caf"};
    return kExtensions;
}

SaveNames::SaveNames(const std::vector<std::string>& reserved, std::size_t maxBytes) : maxBytes_(maxBytes) {
    for (const std::string& name : reserved) reserved_.insert(Folded(name));
}

bool SaveNames::Taken(const std::string& name) const {
    const std::string folded = Folded(name);
    return reserved_.count(folded) > 0 || given_.count(folded) > 0;
}

std::string SaveNames::Compose(const std::string& number, const std::string& stem, const std::string& suffix,
                               const std::string& extension) const {
    const std::size_t fixed = number.size() + suffix.size() + extension.size();
    const std::size_t room = maxBytes_ > fixed ? maxBytes_ - fixed : 0;
    std::string cut(text::Utf8Prefix(stem, room));
    TrimEnd(cut);  // a cut may end on a blank
    if (NamesDevice(number + cut + suffix + extension)) {
        cut.resize(text::Utf8Prefix(cut, room > 0 ? room - 1 : 0).size());
        cut += '_';
    }
    return number + cut + suffix + extension;
}

std::string SaveNames::NameFor(const PlayEntry& song, const std::string& rowName, int position, bool numbered) {
    const std::string number = numbered ? NumberFor(position) : std::string();
    const std::string extension = ExtensionFor(song.address);
    std::string stem = StemOf(WantedName(song, rowName));
    // Without a number the extension would stand alone: a hidden file.
    if (stem.empty() && number.empty()) stem = StemOf(rowName);
    if (stem.empty() && number.empty()) stem = kEmptyStem;

    std::string name = Compose(number, stem, "", extension);
    for (int n = 2; Taken(name); ++n) name = Compose(number, stem, " (" + std::to_string(n) + ")", extension);
    given_.insert(Folded(name));
    return name;
}

}  // namespace tunewell::download
