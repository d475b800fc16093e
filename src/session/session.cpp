// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session.h"

#include <utility>

#include "catalogue/list_command.h"
#include "platform/program_folder.h"
#include "settings/program_places.h"

namespace tunewell::session {

// The sessions that live, oldest first.
std::vector<Session*>& Session::Living() {
    static std::vector<Session*> living;
    return living;
}

Session::Session(FrontEnd frontEnd, Options options)
    : frontEnd_(frontEnd),
      options_(std::move(options)),
      programFolder_(options_.programFolder.empty() ? platform::ProgramFolder() : options_.programFolder),
      ui_{frontEnd_.status, frontEnd_.message, frontEnd_.songs, frontEnd_.events, frontEnd_.windows},
      catalogue_(ui_, config_, catalogueState_),
      fileDownload_(std::make_unique<transfer::CFileDownload>()),
      fetch_(*fileDownload_) {
    if (!options_.waitPump) options_.waitPump = [this](net::WaitKind) { frontEnd_.events.ProcessPending(); };
    Living().push_back(this);
    net::AllowPageWaits();
    InstallLatestPump();
}

Session::~Session() {
    std::erase(Living(), this);
    InstallLatestPump();
    run_.reset();
    // The transfer must not report into a front end that is going.
    fileDownload_->OnProgress = nullptr;
}

void Session::InstallLatestPump() {
    net::SetWaitPump(Living().empty() ? net::WaitPump{} : Living().back()->options_.waitPump);
}

void Session::LoadSettings() { settings::LoadConfig(config_, programFolder_); }

std::string Session::ConfigPath() const { return settings::ConfigPath(programFolder_); }

bool Session::FetchList(const std::string& address, const std::string& saveFolder,
                        const std::optional<std::string>& configPath) {
    const bool stored = catalogue::RunListCommand(ui_, catalogue_, address, saveFolder, configPath);
    if (config_.SkipSaved != 0) {
        SavedRecord().Load();
        download::MarkSavedRows(ui_.songs, SavedRecord());
    }
    return stored;
}

download::SavedSongs& Session::SavedRecord() {
    if (!savedSongs_) {
        const std::string folder = settings::SettingsFolder(programFolder_);
        savedSongs_ = std::make_unique<download::SavedSongs>(folder.empty() ? std::string()
                                                                            : folder + "/" + kSavedSongsFileName);
    }
    return *savedSongs_;
}

download::DownloadRun& Session::OpenRun(ports::DownloadControls& controls, ports::RunObserver& observer) {
    if (run_) return *run_;
    download::DownloadRun::Services services{Transfer(),          options_.agents,
                                             options_.isRunning,  options_.managerEndpoint,
                                             options_.isWritableFolder, options_.freeSpace,
                                             &SavedRecord()};
    run_ = std::make_unique<download::DownloadRun>(ui_, controls, observer, config_, std::move(services));
    // Progress goes one way: from the run's transfer to the run, which
    // tells its observer.
    download::DownloadRun& run = *run_;
    Transfer().SetProgressHandler(
        [&run](std::int64_t bytes, std::int64_t total, std::int32_t speedKb) { run.ShowProgress(bytes, total, speedKb); });
    return run;
}

}  // namespace tunewell::session
