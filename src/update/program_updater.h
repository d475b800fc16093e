#pragma once
#include <functional>
#include <string>

#include "download/song_transfer.h"
#include "ports/event_pump.h"
#include "ports/progress_bar.h"
#include "update/version_check.h"

namespace tunewell::update {

// The in-program updater: downloads the new main program into a private
// folder of this user under the temporary folder, makes sure it is a
// complete program this platform can start (and signed, when the build
// carries an update key), writes the companion script that swaps it in and
// starts it detached, then asks the window to end the program. When any of
// that fails (the download, the check, writing or starting the script) the
// old program stays in place, the program keeps running and the window
// offers the manual download address.
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
    // "已下载45% 120KB/S" when both counts are known. Also notes the length
    // the server announced, which the downloaded file must have.
    void ShowProgress(long long bytes, long long total, int speed);

    // The download's file name inside the private folder.
    static constexpr const char* kDownloadName = "Tunewell.exe";
    // Prefix of the private folder's name.
    static constexpr const char* kFolderPrefix = "tunewell-update-";

private:
    Window window_;
    download::SongTransfer& transfer_;
    UpdateGlobals& globals_;
    std::string programFolder_;
    std::string exeName_;
    long long announced_ = 0;

    bool DownloadAndHandOver(const std::string& address);
    void ShowFailure(const std::string& address);
};

}  // namespace tunewell::update
