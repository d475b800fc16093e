#include "catalogue/song_parser.h"

#include <string_view>

#include "base/text.h"
#include "web/get_body.h"
#include "web/text_utils.h"

namespace tunewell::catalogue {
namespace {

constexpr std::string_view kFieldSeparator = "\",\"";
constexpr std::string_view kLooseSeparator = "\", \"";

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
    extra = web::ReplaceAll(extra, "\");", "");
    extra = web::ReplaceAll(extra, "</script>", "");
    if (web::IsDateText(extra) || web::IsNumeric(extra)) extra.clear();
    return extra;
}

struct SongFields {
    std::string id, title, extra;
};

SongFields ReadLinkFields(const std::string& entry) {
    SongFields song;
    const std::string link = web::GetBody(entry, "<a href", "</a>", true, true);
    song.id = web::GetBody(link, "song/", "/", false, false);
    song.title = web::GetBody(link, "/'>", "</a>", false, false);
    if (song.title.empty() || song.title == web::kFalse) {
        song.title = web::GetBody(link, "/\">", "</a>", false, false);
    }
    return song;
}

SongFields ReadFieldRule(EntryRule rule, std::vector<std::string>& fields) {
    SongFields song;
    switch (rule) {
        case EntryRule::M:
            song.title = web::CleanFileName(fields[0]);
            song.id = fields[1];
            break;
        case EntryRule::W:
            song.extra = CleanExtra(fields[3]);
            song.title = web::CleanFileName(fields[2]);
            song.id = fields[1];
            break;
        case EntryRule::S:
            song.extra = CleanExtra(fields[2]);
            song.title = web::CleanFileName(fields[1]);
            song.id = fields[0];
            break;
        default: break;
    }
    return song;
}

ParsedSong ToParsedSong(const SongFields& song) {
    ParsedSong parsed;
    parsed.id = web::ToNumber(web::ReplaceAll(song.id, "\"", ""));
    // Control characters would reach the list, terminals and file names;
    // rule T titles and extras are not cleaned otherwise.
    parsed.name = web::RemoveControlCharacters(song.extra.empty() ? song.title : song.title + "-" + song.extra);
    return parsed;
}

}  // namespace

std::string BuildFirstBody(const std::string& page, const PageKind& kind) {
    if (kind.order != 7) return BuildFollowingBody(page, kind);
    const std::string id = web::GetBody(page, "listenlog(", ",", false, false);
    const std::string title = web::GetBody(page, "<p class=\"mid_tit\">", "<p>", false, false);
    return "wrtsongline(\"" + id + "\", \"" + title + "\", \"\",\"\")";
}

std::string BuildFollowingBody(const std::string& page, const PageKind& kind) {
    return web::GetBody(page, kind.startMarker, kind.endMarker, true, true);
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
    std::vector<std::string> fields;  // kept from entry to entry
    SongFields previous;
    // One allocation of the right size: a growing vector would hold up to
    // twice the rows, and three times while it moves them.
    std::size_t entries = 0;
    for (std::size_t at = body.find(delimiter); at != std::string::npos && entries < maxRows;
         at = body.find(delimiter, at + delimiter.size()))
        ++entries;
    songs.reserve(entries);
    std::size_t at = body.find(delimiter);
    while (at != std::string::npos) {
        if (songs.size() == maxRows) {
            if (cut != nullptr) *cut = true;
            break;
        }
        const std::size_t start = at + delimiter.size();
        at = body.find(delimiter, start);
        std::string entry = web::ReplaceAll(
            body.substr(start, at == std::string::npos ? std::string::npos : at - start),
            std::string(kLooseSeparator), std::string(kFieldSeparator));
        if (entry.find(kFieldSeparator) != std::string::npos) fields = base::SplitAll(entry, kFieldSeparator);

        SongFields song;
        if (rule == EntryRule::T) {
            song = ReadLinkFields(entry);
        } else if (rule == EntryRule::None) {
            song = previous;
        } else if (fields.size() < FieldsNeeded(rule)) {
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
