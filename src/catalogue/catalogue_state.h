// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tunewell::catalogue {

// Program-wide state of the list step that lives for the whole run.
struct CatalogueState {
    // Whether the last sign-in the site answered was accepted; false at start.
    bool SignedIn = false;
};

}  // namespace tunewell::catalogue
