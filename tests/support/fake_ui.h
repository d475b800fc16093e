// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>
#include <vector>

#include <algorithm>

#include "ports/download_controls.h"
#include "ports/memory_song_list.h"
#include "ports/run_observer.h"
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

// The download run's inputs, and a record of its events written the way
// tests read them ("started", "saved 3", "failed 2", "handed 1", ...).
class RecordingRun : public ports::DownloadControls, public ports::RunObserver {
public:
    bool UseDownloadManager() const override { return manager; }
    std::string SavePathText() const override { return folder; }
    void RunStarted() override { events.push_back("started"); }
    void RunPaused() override { events.push_back("paused"); }
    void RunEnded() override { events.push_back("ended"); }
    void SongProgress(long long bytes, long long total, int) override {
        if (total > 0) percent = static_cast<int>(bytes * 100 / total);
    }
    void SongFailed(int position, const std::string&, const std::string& reason) override {
        reasons.push_back(std::to_string(position) + " " + reason);
    }
    void SongNote(int position, const std::string&, const std::string& note) override {
        events.push_back("note " + std::to_string(position) + " " + note);
    }
    void SongEnded(int position, const std::string&, SongOutcome outcome) override {
        const char* word = outcome == SongOutcome::Saved     ? "saved "
                           : outcome == SongOutcome::Failed  ? "failed "
                           : outcome == SongOutcome::Skipped ? "skipped "
                                                             : "handed ";
        events.push_back(word + std::to_string(position));
    }
    void RunOver(const ports::RunOutcome& outcome) override { outcomes.push_back(outcome); }
    long Count(const std::string& prefix) const {
        return std::count_if(events.begin(), events.end(),
                             [&](const std::string& event) { return event.starts_with(prefix); });
    }

    std::string folder;
    bool manager = false;
    int percent = 0;
    std::vector<std::string> events;
    std::vector<std::string> reasons;  // "2 服务器返回HTTP 404", ...
    std::vector<ports::RunOutcome> outcomes;  // one per run, as it ended
};

}  // namespace tunewell::testing
