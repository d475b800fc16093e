// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/song_parser.h"

#include <string_view>

#include "catalogue/entry_fields.h"
#include "web/get_body.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace tunewell::catalogue {
namespace {

// Fields a rule needs: M reads fields 1-2, W 2-4, S 1-3.
std::size_t FieldsNeeded(EntryRule rule) {
    switch (rule) {
        case EntryRule::M: return 2;
        case EntryRule::W: return 4;
        case EntryRule::S: return 3;
        default: return 0;
    }
}

// An extra text that is a bare date, time or number says nothing about the
// song (a play count, an upload date), so it is left out of the name.
std::string CleanExtra(std::string extra) {
    extra = text::ReplaceAll(extra, "\");", "");
    extra = text::ReplaceAll(extra, "</script>", "");
    if (text::IsDateText(extra) || text::IsNumeric(extra)) extra.clear();
    return extra;
}

struct SongFields {
    std::string id, title, extra;
};

// The markers hold none of the bytes that turn `", "` into `","`, so they
// stand where they would in the replaced entry, and only the id and title
// need the replacement.
SongFields ReadLinkFields(std::string_view entry) {
    SongFields song;
    const std::string_view link = web::GetBodyView(entry, "<a href", "</a>", true, true);
    song.id = LooseFieldText(web::GetBodyView(link, "song/", "/", false, false));
    std::string_view title = web::GetBodyView(link, "/'>", "</a>", false, false);
    if (title.empty() || title == web::kFalse) title = web::GetBodyView(link, "/\">", "</a>", false, false);
    song.title = LooseFieldText(title);
    return song;
}

SongFields ReadFieldRule(EntryRule rule, std::vector<std::string>& fields) {
    SongFields song;
    switch (rule) {
        case EntryRule::M:
            song.title = text::CleanFileName(fields[0]);
            song.id = fields[1];
            break;
        case EntryRule::W:
            song.extra = CleanExtra(fields[3]);
            song.title = text::CleanFileName(fields[2]);
            song.id = fields[1];
            break;
        case EntryRule::S:
            song.extra = CleanExtra(fields[2]);
            song.title = text::CleanFileName(fields[1]);
            song.id = fields[0];
            break;
        default: break;
    }
    return song;
}

ParsedSong ToParsedSong(const SongFields& song) {
    ParsedSong parsed;
    parsed.id = text::ToNumber(text::ReplaceAll(song.id, "\"", ""));
    // Control characters would reach the list, terminals and file names;
    // rule T titles and extras are not cleaned otherwise.
    parsed.name = text::RemoveControlCharacters(song.extra.empty() ? song.title : song.title + "-" + song.extra);
    parsed.name.resize(text::Utf8Prefix(parsed.name, kMaxNameBytes).size());
    return parsed;
}

// `text` cut down in place to `part`, a stretch of it (nothing when empty).
// The text is taken over, not copied; it gives its room back only when the
// part is small enough for a copy to cost less than the room it frees.
std::string KeepOnly(std::string text, std::string_view part) {
    if (part.empty()) return {};
    const auto offset = static_cast<std::size_t>(part.data() - text.data());
    text.resize(offset + part.size());
    text.erase(0, offset);
    if (text.size() <= text.capacity() / 2) text.shrink_to_fit();
    return text;
}

// A stretch of a page as a field's text: at most kMaxFieldBytes of it.
std::string FieldText(std::string_view text) { return std::string(text::Utf8Prefix(text, kMaxFieldBytes)); }

}  // namespace

std::string BuildFirstBody(std::string page, const PageKind& kind) {
    if (kind.order != 7) return BuildFollowingBody(std::move(page), kind);
    const std::string id = FieldText(web::GetBodyView(page, "listenlog(", ",", false, false));
    const std::string title = FieldText(web::GetBodyView(page, "<p class=\"mid_tit\">", "<p>", false, false));
    return "wrtsongline(\"" + id + "\", \"" + title + "\", \"\",\"\")";
}

std::string BuildFollowingBody(std::string page, const PageKind& kind) {
    const std::string_view body = web::GetBodyView(page, kind.startMarker, kind.endMarker, true, true);
    return KeepOnly(std::move(page), body);
}

EntryRule ChooseEntryRule(const std::string& body) {
    if (body.find("msl(") != std::string::npos) return EntryRule::M;
    if (body.find("wl(") != std::string::npos || body.find("ws(") != std::string::npos) {
        return EntryRule::W;
    }
    if (body.find("wrtsongline(") != std::string::npos) return EntryRule::S;
    if (body.find("><input type=checkbox") != std::string::npos) return EntryRule::T;
    return EntryRule::None;
}

std::vector<ParsedSong> ParseSongs(const std::string& body, const std::string& delimiter,
                                   std::size_t maxRows, bool* cut) {
    std::vector<ParsedSong> songs;
    if (cut != nullptr) *cut = false;
    if (delimiter.empty()) return songs;
    const EntryRule rule = ChooseEntryRule(body);
    const std::size_t needed = FieldsNeeded(rule);
    std::vector<std::string> fields;  // kept from entry to entry
    SongFields previous;
    // One allocation of the right size: a growing vector would hold up to
    // twice the rows, and three times while it moves them.
    std::size_t entries = 0;
    for (std::size_t at = body.find(delimiter); at != std::string::npos && entries < maxRows;
         at = body.find(delimiter, at + delimiter.size()))
        ++entries;
    songs.reserve(entries);
    const std::string_view text = body;
    std::size_t at = body.find(delimiter);
    while (at != std::string::npos) {
        if (songs.size() == maxRows) {
            if (cut != nullptr) *cut = true;
            break;
        }
        const std::size_t start = at + delimiter.size();
        at = body.find(delimiter, start);
        const std::string_view entry = text.substr(start, at == std::string::npos ? std::string::npos : at - start);
        // An entry without a separator keeps the fields of the one before.
        if (needed > 0 && HasFieldSeparator(entry)) fields = ReadEntryFields(entry);

        SongFields song;
        if (rule == EntryRule::T) {
            song = ReadLinkFields(entry);
        } else if (rule == EntryRule::None) {
            song = previous;
        } else if (fields.size() < needed) {
            continue;  // the fields this rule reads do not exist: no row
        } else {
            song = ReadFieldRule(rule, fields);
        }
        previous = song;
        songs.push_back(ToParsedSong(song));
    }
    return songs;
}

}  // namespace tunewell::catalogue
