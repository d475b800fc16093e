// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include "ports/run_observer.h"

namespace tunewell::widgets {
class ProgressBar;
class SkinButton;
}  // namespace tunewell::widgets

namespace tunewell::shell {

// Shows a download run on the main window: the download button's Tag ("0"
// idle, "1" running) and Caption ("开始下载" / "暂停下载"), and the progress
// bar's value and caption. The widgets are borrowed from the window, which
// outlives the view.
class RunView : public ports::RunObserver {
public:
    RunView(widgets::SkinButton& cmdDown, widgets::ProgressBar& PB) : cmdDown_(cmdDown), PB_(PB) {}

    // Called with the outcome once a run is over (the window sums it up).
    std::function<void(const ports::RunOutcome&)> onRunOver;

    void RunStarted() override;
    void RunPaused() override;
    void RunEnded() override;
    // Percentage and "已下载N% " when both counts are known; else nothing.
    void SongProgress(long long bytes, long long total, int speedKb) override;
    // The reason goes on the song's row (the list marks it); the bar says
    // "下载失败" as always.
    void SongFailed(int, const std::string&, const std::string&) override {}
    // "下载完毕" or "下载失败" on the bar; a hand-off leaves the bar alone.
    void SongEnded(int position, const std::string& fileName, SongOutcome outcome) override;
    void RunOver(const ports::RunOutcome& outcome) override {
        if (onRunOver) onRunOver(outcome);
    }

private:
    void ShowIdleButton();

    widgets::SkinButton& cmdDown_;
    widgets::ProgressBar& PB_;
};

}  // namespace tunewell::shell
