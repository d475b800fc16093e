#pragma once
#include <cstdio>
#include <string>

#include "ports/event_pump.h"
#include "ports/message_box.h"
#include "ports/status_line.h"
#include "ports/window_switcher.h"

namespace tunewell::cli {

// The command-line front end's stand-in for the main window: status texts
// and messages go to the error stream (standard output carries the rows),
// and there are no events to process.
class ConsoleUi : public ports::StatusLine, public ports::MessageBox, public ports::EventPump, public ports::WindowSwitcher {
public:
    explicit ConsoleUi(std::FILE* out = stderr) : out_(out) {}

    void SetText(const std::string& text) override;
    std::string Text() const override { return text_; }
    void SetColour(std::uint32_t) override {}
    void Show(const std::string& text) override;
    void ProcessPending() override {}
    void ShowSettingsHideMain() override;

    int MessageCount() const { return messages_; }

private:
    std::FILE* out_;
    std::string text_;
    int messages_ = 0;
};

}  // namespace tunewell::cli
