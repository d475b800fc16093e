// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>

#include "catalogue/song_catalogue.h"
#include "ports/ui_ports.h"

namespace tunewell::catalogue {

// What the list button does with the two fields: checks them, saves both to
// Config.ini at `configPath` (the settings globals are not reloaded; no
// `configPath`: nothing is stored, as for the command line without
// --save), and fetches the list when the address is on the music site.
// Messages go through the UI ports. False when the fields could not be
// saved (the list is fetched all the same); true otherwise.
// The message for an address off the music site.
std::string NotOnSiteText();

bool RunListCommand(ports::UiPorts& ui, SongCatalogue& catalogue, const std::string& listUrl,
                    const std::string& savePath, const std::optional<std::string>& configPath);

}  // namespace tunewell::catalogue
