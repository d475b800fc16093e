#pragma once
#include <cstdio>
#include <functional>
#include <string>

#include "ports/event_pump.h"
#include "ports/message_box.h"
#include "ports/status_line.h"
#include "ports/window_switcher.h"

namespace tunewell::cli {

// The command-line front end's stand-in for the main window: status texts
// and messages go to the error stream (standard output carries the rows).
// The only event to process is an interrupt (cli/interrupt.h): it runs the
// stop action when one is set (a download run), else ends the program at
// once (nothing is being written then).
class ConsoleUi : public ports::StatusLine, public ports::MessageBox, public ports::EventPump, public ports::WindowSwitcher {
public:
    explicit ConsoleUi(std::FILE* out = stderr) : out_(out) {}

    void SetText(const std::string& text) override;
    std::string Text() const override { return text_; }
    void SetColour(std::uint32_t) override {}
    void Show(const std::string& text) override;
    void ProcessPending() override;
    // What an interrupt does while work runs; empty: exit at once.
    void SetStopAction(std::function<void()> stop) { stop_ = std::move(stop); }
    void ShowSettingsHideMain() override;

    int MessageCount() const { return messages_; }

private:
    std::FILE* out_;
    std::string text_;
    int messages_ = 0;
    std::function<void()> stop_;
    bool stopping_ = false;
};

}  // namespace tunewell::cli
