#pragma once
#include <optional>
#include <string>
#include <vector>

#include "ports/ui_ports.h"

namespace tunewell::download {

struct PlayEntries {
    std::vector<std::string> entries;  // in page order
    std::string address;               // the play page asked; later the referer
};

struct PlayEntry {
    std::string title;
    std::string performer;
    std::string address;
};

// The play page address for ids joined by ",".
std::string PlayPageAddress(const std::string& idList);

// One request to the play page for every id; sets the status texts and lets
// the window process events around the request. A failed fetch sets the
// failure status and gives no entries.
PlayEntries FetchPlayEntries(ports::UiPorts& ui, const std::string& idList);

// Cuts the play page into entries (pure).
std::vector<std::string> SplitPlayEntries(const std::string& page);

// Title, performer and audio address of one entry; nothing when the entry
// has no argument list with at least six arguments.
std::optional<PlayEntry> ParsePlayEntry(const std::string& entry);

}  // namespace tunewell::download
