// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ports/ui_ports.h"

namespace tunewell::download {

// What the play page said for the ticked rows.
struct PlayEntries {
    static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
    struct Entry {
        std::string text;     // the page's text for one song
        std::size_t row;      // the ticked row it belongs to (index into the ids), or kNoRow
        std::string address;  // the play page it came from; the referer of its hand-off
    };
    std::vector<Entry> entries;  // in page order, page after page
    // The ticked rows the pages were asked for and answered: all of them,
    // unless a page failed or the run was paused before the last page.
    std::size_t answeredRows = 0;
    // Why a page failed, in words for the user; empty when none did.
    std::string failure;
};

struct PlayEntry {
    std::string title;
    std::string performer;
    std::string address;
};

// The play page address for ids joined by ",".
std::string PlayPageAddress(const std::string& idList);

// The longest play page address asked for: servers refuse longer ones.
inline constexpr std::size_t kMaxPlayAddressBytes = 1999;

// The ids cut into runs, in order, each as long as its play page address
// stays within kMaxPlayAddressBytes (a run holds at least one id). Ids that
// fit give one run: one request, as ever.
std::vector<std::vector<std::string>> PlayPageBatches(const std::vector<std::string>& ids);

// Asks the play page for every id, batch after batch in order (see
// PlayPageBatches); sets the status texts and lets the window process events
// around each request. The k-th entry of a page belongs to the k-th id asked
// on it. A failed page sets the failure status and ends the asking: its rows
// and those after it get no entries, and `failure` says why. Asking also
// ends, without a failure, once `keepGoing` says no (a pause).
PlayEntries FetchPlayEntries(ports::UiPorts& ui, const std::vector<std::string>& ids,
                             const std::function<bool()>& keepGoing);

// Cuts the play page into entries (pure).
std::vector<std::string> SplitPlayEntries(const std::string& page);

// Title, performer and audio address of one entry; nothing when the entry
// has no argument list with at least six arguments.
std::optional<PlayEntry> ParsePlayEntry(const std::string& entry);

}  // namespace tunewell::download
