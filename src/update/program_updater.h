#pragma once
#include <functional>
#include <string>

#include "download/song_transfer.h"
#include "ports/event_pump.h"
#include "ports/progress_bar.h"
#include "update/version_check.h"

namespace tunewell::update {

// The in-program updater: downloads the new main program into the
// temporary folder, writes the companion script that swaps it in and starts
// it detached, then asks the window to end the program. A failed download
// leaves the old program in place and offers the manual download address.
class ProgramUpdater {
public:
    struct Window {
        ports::ProgressBar& bar;
        ports::EventPump& events;
        // Shows the failure on the label (red, cross-hair pointer, text).
        std::function<void(const std::string& text)> showFailure;
        // Ends the program at once (after a successful hand-over).
        std::function<void()> endProgram;
    };

    ProgramUpdater(Window window, download::SongTransfer& transfer, UpdateGlobals& globals,
                   std::string programFolder, std::string exeName)
        : window_(std::move(window)), transfer_(transfer), globals_(globals),
          programFolder_(std::move(programFolder)), exeName_(std::move(exeName)) {}

    static std::string DownloadAddress();

    void StartUpdate();
    // Writes UpDate.sh for the downloaded `saveName` and starts it; false
    // when the script could not be written or started.
    bool RunUpdate(const std::string& saveName);
    // "已下载45% 120KB/S" when both counts are known.
    void ShowProgress(long long bytes, long long total, int speed);

private:
    Window window_;
    download::SongTransfer& transfer_;
    UpdateGlobals& globals_;
    std::string programFolder_;
    std::string exeName_;
};

}  // namespace tunewell::update
