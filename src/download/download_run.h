#pragma once
#include <functional>
#include <string>
#include <vector>

#include "download/song_transfer.h"
#include "download/thunder_hand_off.h"
#include "settings/config.h"
#include "ports/download_controls.h"
#include "ports/progress_bar.h"
#include "ports/ui_ports.h"

namespace tunewell::download {

// What the download button does. A click while idle checks the
// preconditions and runs through the ticked songs one after another; a
// click that arrives while a run waits in a pending-events step (the button
// Tag is then "1") pauses it by aborting the transfer in progress. The run
// state lives in the button's Tag, so re-entry needs no other guard.
// Every reference is borrowed and must outlive the run.
class DownloadRun {
public:
    struct Services {
        SongTransfer& transfer;
        AgentFactory agents = DefaultAgentFactory();
        // Whether a process of that executable name runs (seam for tests).
        std::function<bool(const std::string&)> isRunning = {};
    };

    DownloadRun(ports::UiPorts& ui, ports::ProgressBar& progress, ports::DownloadControls& controls,
                const settings::Config& config, Services services);

    void cmdDown_Click();

    // The transfer's progress report: percentage and "已下载N% " on the bar
    // when both counts are known.
    void ShowProgress(long long bytes, long long total);

    // Songs transferred or handed off / failed in the last run (front ends).
    int Succeeded() const { return succeeded_; }
    int Failed() const { return failed_; }

private:
    bool CheckPreconditions(std::string& idList, std::string& nameList);
    void Run(const std::string& idList, const std::string& nameList);
    void DownloadEntry(int k, const std::string& entry, const std::vector<std::string>& ids,
                       const std::vector<std::string>& names, const std::string& playAddress);
    void Pause();
    void EndRun();

    ports::UiPorts& ui_;
    ports::ProgressBar& progress_;
    ports::DownloadControls& controls_;
    const settings::Config& config_;
    Services services_;
    bool stopRequested_ = false;
    int succeeded_ = 0;
    int failed_ = 0;
};

}  // namespace tunewell::download
