// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/main_window_ports.h"

#include "shell/frm_main.h"

namespace tunewell::shell {

void MainWindowPorts::SetText(const std::string& text) { window_.SetStatusText(text); }
std::string MainWindowPorts::Text() const { return window_.StatusText(); }
void MainWindowPorts::SetColour(std::uint32_t rgb) { window_.SetStatusColour(rgb); }
void MainWindowPorts::Show(const std::string& text) { window_.ShowMessage(text); }
void MainWindowPorts::ProcessPending() { window_.ProcessPending(); }
void MainWindowPorts::ShowSettingsHideMain() { window_.ShowSettingsHideMain(); }
bool MainWindowPorts::UseDownloadManager() const { return window_.UseDownloadManager(); }
std::string MainWindowPorts::SavePathText() const { return window_.SavePathText(); }

}  // namespace tunewell::shell
