// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

#include "ports/download_controls.h"
#include "ports/event_pump.h"
#include "ports/message_box.h"
#include "ports/status_line.h"
#include "ports/window_switcher.h"

namespace tunewell::shell {

class frmMain;

// The main window as the core sees it: the status line, the message box,
// the pending-events step, the settings switch and the download controls,
// each forwarding to the window, which owns this object.
class MainWindowPorts : public ports::StatusLine,
                        public ports::MessageBox,
                        public ports::EventPump,
                        public ports::WindowSwitcher,
                        public ports::DownloadControls {
public:
    explicit MainWindowPorts(frmMain& window) : window_(window) {}

    void SetText(const std::string& text) override;
    std::string Text() const override;
    void SetColour(std::uint32_t rgb) override;
    void Show(const std::string& text) override;
    void ProcessPending() override;
    void ShowSettingsHideMain() override;
    bool UseDownloadManager() const override;
    std::string SavePathText() const override;

private:
    frmMain& window_;
};

}  // namespace tunewell::shell
