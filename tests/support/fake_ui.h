#pragma once
#include <functional>
#include <string>
#include <vector>

#include "ports/memory_song_list.h"
#include "ports/ui_ports.h"

namespace tunewell::testing {

// Recording stand-ins for the window-facing ports.
class RecordingStatus : public ports::StatusLine {
public:
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::string Text() const override { return texts.empty() ? std::string() : texts.back(); }
    void SetColour(std::uint32_t rgb) override { colours.push_back(rgb); }
    std::vector<std::string> texts;
    std::vector<std::uint32_t> colours;
};

class RecordingMessages : public ports::MessageBox {
public:
    void Show(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// Counts pumps and runs an optional action inside one (a click arriving
// while work is under way).
class ScriptedPump : public ports::EventPump {
public:
    void ProcessPending() override {
        ++count;
        if (onPump) onPump(count);
    }
    int count = 0;
    std::function<void(int)> onPump;
};

class RecordingWindows : public ports::WindowSwitcher {
public:
    void ShowSettingsHideMain() override { ++settingsShown; }
    int settingsShown = 0;
};

// All fakes together, with a UiPorts view over them.
struct FakeUi {
    RecordingStatus status;
    RecordingMessages messages;
    ports::MemorySongList songs;
    ScriptedPump pump;
    RecordingWindows windows;
    ports::UiPorts ports{status, messages, songs, pump, windows};
};

}  // namespace tunewell::testing
