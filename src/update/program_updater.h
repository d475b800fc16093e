// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>

#include "transfer/file_fetch.h"
#include "ports/event_pump.h"
#include "ports/progress_bar.h"
#include "trust/self_update.h"
#include "trust/update_key.h"
#include "update/version_check.h"

namespace tunewell::update {

// The in-program updater: downloads the new main program into a private
// folder of this user under the temporary folder, makes sure it is a
// complete program this platform can start, signed by the update key as
// the version the server announced (UpdateGlobals::OfferedVersion), writes
// the companion script that swaps it in and starts it detached, then asks
// the window to end the program. The download is capped while it arrives
// (trust::kMaxProgramBytes, its signature file likewise). When any of that
// fails (the download, the check, writing or starting the script) the old
// program stays in place, nothing stays in the temporary folder, the
// program keeps running and the window offers the manual download address
// (FailureCause() says why). A build without self-update
// (trust::kSelfUpdate false) offers that address at once and downloads
// nothing.
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

    ProgramUpdater(Window window, transfer::FileFetch& transfer, UpdateGlobals& globals,
                   std::string programFolder, std::string exeName)
        : window_(std::move(window)), transfer_(transfer), globals_(globals),
          programFolder_(std::move(programFolder)), exeName_(std::move(exeName)) {}

    static std::string DownloadAddress();

    // The key downloads must be signed with; the build's key unless a test
    // sets its own.
    void SetUpdateKey(std::string key) { updateKey_ = std::move(key); }
    // Whether this program replaces itself; trust::kSelfUpdate unless a
    // test decides.
    void SetSelfUpdate(bool allowed) { selfUpdate_ = allowed; }

    void StartUpdate();
    // Writes UpDate.sh for the downloaded `saveName` and starts it; false
    // when the script could not be written or started.
    bool RunUpdate(const std::string& saveName);
    // Why the last update failed, in words for the user (the transfer's
    // cause, or what the check of the download found); empty after a
    // success or before any update.
    const std::string& FailureCause() const { return failureCause_; }
    // "已下载45% 120KB/S" when both counts are known. (The length the
    // downloaded file must have is the one the transfer says its server
    // announced.)
    void ShowProgress(long long bytes, long long total, int speed);

    // The download's file name inside the private folder.
    static constexpr const char* kDownloadName = "Tunewell.exe";
    // Prefix of the private folder's name.
    static constexpr const char* kFolderPrefix = "tunewell-update-";
    // What the label says in a build without self-update.
    static constexpr const char* kManualOnlyText = "发现新的版本,请点击这里手动下载升级！";

private:
    Window window_;
    transfer::FileFetch& transfer_;
    UpdateGlobals& globals_;
    std::string programFolder_;
    std::string exeName_;
    std::string failureCause_;
    std::string updateKey_ = trust::kUpdatePublicKey;
    bool selfUpdate_ = trust::kSelfUpdate;

    bool DownloadAndHandOver(const std::string& address);
    void ShowFailure(const std::string& address);
};

}  // namespace tunewell::update
