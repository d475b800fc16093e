// SPDX-License-Identifier: GPL-3.0-or-later
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
// and messages go to the error stream (standard output carries the rows),
// messages as their bare text (no window caption), status texts in
// brackets. Quiet: messages only. Once an interrupt has come no status
// text is shown any more (the run only winds down).
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

    void SetQuiet(bool quiet) { quiet_ = quiet; }
    int MessageCount() const { return messages_; }
    const std::string& LastMessage() const { return lastMessage_; }
    // Whether the status line has shown `text` since it was set here.
    void WatchFor(std::string text) {
        watched_ = std::move(text);
        watchedSeen_ = false;
    }
    bool WatchedTextSeen() const { return watchedSeen_; }

private:
    std::FILE* out_;
    bool quiet_ = false;
    std::string text_;
    int messages_ = 0;
    std::string lastMessage_;
    std::string watched_;
    bool watchedSeen_ = false;
    std::function<void()> stop_;
    bool stopping_ = false;
};

}  // namespace tunewell::cli
