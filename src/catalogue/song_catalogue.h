#pragma once
#include <string>

#include "catalogue/catalogue_state.h"
#include "catalogue/site_sign_in.h"
#include "catalogue/song_parser.h"
#include "settings/config.h"
#include "ports/ui_ports.h"

namespace tunewell::catalogue {

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

    SiteSignIn& SignIn() { return signIn_; }

    // The most rows a list gets (kMaxSongRows; tests use fewer). Beyond it
    // the list step adds no rows and says so in the status line.
    void SetRowLimit(std::size_t maxRows) { maxRows_ = maxRows; }

private:
    std::string FetchNormalised(const std::string& address);
    void FillList(const std::string& body, const std::string& delimiter);

    ports::UiPorts& ui_;
    const settings::Config& config_;
    CatalogueState& state_;
    SiteSignIn signIn_;
    std::size_t maxRows_ = kMaxSongRows;
};

}  // namespace tunewell::catalogue
