// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "catalogue/catalogue_state.h"
#include "settings/config.h"
#include "ports/ui_ports.h"

namespace tunewell::catalogue {

// Signs in to the music site with the configured login by posting its
// sign-in form; the session cookies the site sets stay in the shared cookie
// store. Records the outcome in state.SignedIn. Borrows every reference.
class SiteSignIn {
public:
    SiteSignIn(ports::UiPorts& ui, const settings::Config& config, CatalogueState& state)
        : ui_(ui), config_(config), state_(state) {}

    // Missing credentials: tells the user, opens the settings window and
    // leaves SignedIn as it was. A reply without the site's error text
    // counts as accepted; one with it is shown and opens the settings.
    void SignIn();

    // The form body for the given login and the form's hidden values.
    static std::string BuildFormBody(const std::string& name, const std::string& password,
                                     const std::string& passcode, const std::string& mpc);

private:
    static bool Abandoned();
    ports::UiPorts& ui_;
    const settings::Config& config_;
    CatalogueState& state_;
};

}  // namespace tunewell::catalogue
