// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "settings/config.h"

class QWidget;

namespace tunewell::shell {

// Hides the main window and shows the one settings window (not modal),
// creating it when none is open. The settings window keeps a reference to
// `config` (it reloads it after saving) and shows `mainWindow` again when it
// is saved or closed; closing deletes it, so the next call fills the fields
// from `config` afresh, while a saved and hidden window comes back as it was.
// Implemented by the settings window's unit (src/settings/ui).
void ShowSettingsWindow(QWidget* mainWindow, tunewell::settings::Config& config,
                        const std::string& programFolder);

}  // namespace tunewell::shell
