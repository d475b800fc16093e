// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

#include "catalogue/catalogue_state.h"
#include "catalogue/page_kind.h"
#include "catalogue/site_sign_in.h"
#include "catalogue/song_parser.h"
#include "settings/config.h"
#include "net/wait_pump.h"
#include "ports/ui_ports.h"

namespace tunewell::catalogue {

// The most text the bodies of one list keep together, in bytes, as much as
// one page may bring (net::kPageBodyCap). A page of a list is a few hundred
// kilobytes; without this bound, pages built large would each add their
// size for as many pages as GetPage allows. The first page's body is kept
// whatever its size; no following page is fetched then.
inline constexpr std::size_t kMaxListBodyBytes = 64u * 1024u * 1024u;

// The list step: fetches a page of the music site and its following pages,
// recognises the page kind, cuts the songs and fills the song list. All
// effects go through the UI ports; references are borrowed and must outlive
// this object. Runs on the UI thread and lets the window process events
// around every request.
class SongCatalogue {
public:
    SongCatalogue(ports::UiPorts& ui, const settings::Config& config, CatalogueState& state)
        : ui_(ui), config_(config), state_(state), signIn_(ui, config, state) {}

    // Fills the song list from `address` (used as given). Every early stop
    // (network failure, sign-in not achieved, no song list) tells the user
    // and leaves the previous rows in place.
    void FetchSongList(const std::string& address);

    // Abandons the fetch under way (called from inside its waits): the
    // request in flight ends at once, and the fetch returns without a
    // message, leaving the rows as they were. Nothing when none is under way.
    void AbandonFetch();
    // Whether the last fetch was abandoned.
    bool FetchAbandoned() const { return abandoned_; }

    SiteSignIn& SignIn() { return signIn_; }

    // The most rows a list gets (kMaxSongRows; tests use fewer). Beyond it
    // the list step adds no rows and says so in the status line.
    void SetRowLimit(std::size_t maxRows) { maxRows_ = maxRows; }

    // The most body text a list keeps (kMaxListBodyBytes; tests use less).
    // A following page that would take the text beyond it is left out, no
    // page after it is fetched, and the status line says how many pages
    // the list shows.
    void SetBodyLimit(std::size_t maxBytes) { maxBodyBytes_ = maxBytes; }

private:
    void Fetch(const std::string& address);
    std::string FetchNormalised(const std::string& address);
    // Fetches pages 2 to `pages` and adds their bodies to `bodies` (which
    // holds the first page's) within the row and byte bounds. The pages
    // listed when the byte bound stopped the fetch, else 0.
    long FetchFollowingBodies(const std::string& address, const PageKind& kind, double pages,
                              std::vector<std::string>& bodies);
    // Fills the list from the joined bodies; true when the row bound cut it.
    bool FillList(std::string body, const std::string& delimiter);

    // The fetch's abandoned requests: true when it must stop here.
    bool Stopped() const;

    ports::UiPorts& ui_;
    net::AbandonableWait* fetching_ = nullptr;  // the fetch under way
    bool abandoned_ = false;
    const settings::Config& config_;
    CatalogueState& state_;
    SiteSignIn signIn_;
    std::size_t maxRows_ = kMaxSongRows;
    std::size_t maxBodyBytes_ = kMaxListBodyBytes;
};

}  // namespace tunewell::catalogue
