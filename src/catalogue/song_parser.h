// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

#include "catalogue/page_kind.h"
#include "text/number.h"

namespace tunewell::catalogue {

// How the song fields are read from every entry of a body; chosen once from
// the whole (joined) body, not per entry or per page kind.
enum class EntryRule { M, W, S, T, None };

// One song cut from a body: the id (0 when none could be read) and the
// display name (title, or title "-" extra).
struct ParsedSong {
    text::Number id;
    std::string name;
};

// The body of the first page of a recognised kind: the stretch between the
// kind's markers, or for a single-song page an entry made up from the page
// (its id and title at most kMaxFieldBytes each). The page is cut down in
// place: moved in, a large page is never copied.
std::string BuildFirstBody(std::string page, const PageKind& kind);

// The body of a following page (the kind's markers, both kept), cut from
// the page in place as above.
std::string BuildFollowingBody(std::string page, const PageKind& kind);

EntryRule ChooseEntryRule(const std::string& body);

// The most rows one list gets: a page of bare repeated entries (each one
// repeats the song before it) would otherwise make millions of rows.
inline constexpr std::size_t kMaxSongRows = 100000;

// The longest name a row gets, in bytes, as long as a file name may be: a
// longer title is cut at a character boundary. Every row may repeat the
// entry before it, so the names' memory is bounded only by this.
inline constexpr std::size_t kMaxNameBytes = 255;

// Splits the body at `delimiter` and cuts one song per entry (the text before
// the first delimiter is not an entry). Entries that lack the fields their
// rule needs are skipped. At most `maxRows` songs: the parse stops there,
// and `cut`, when given, tells whether songs were left out. An entry is
// read in place and only as far as its rule needs (see entry_fields.h),
// so the parse holds little beyond the songs. Pure: no I/O, no state
// between calls.
std::vector<ParsedSong> ParseSongs(const std::string& body, const std::string& delimiter,
                                   std::size_t maxRows = kMaxSongRows, bool* cut = nullptr);

}  // namespace tunewell::catalogue
