// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tunewell::ports {

// Window changes the core asks for without knowing the window classes.
class WindowSwitcher {
public:
    virtual ~WindowSwitcher() = default;
    // Hides the main window and shows the settings window (not modal).
    virtual void ShowSettingsHideMain() = 0;
};

}  // namespace tunewell::ports
