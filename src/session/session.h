// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue_state.h"
#include "catalogue/song_catalogue.h"
#include "download/download_run.h"
#include "net/wait_pump.h"
#include "ports/download_controls.h"
#include "ports/run_observer.h"
#include "ports/ui_ports.h"
#include "settings/config.h"
#include "transfer/file_download.h"
#include "transfer/file_download_fetch.h"

namespace tunewell::session {

// Everything one front end (the main window or the command line) works
// with, built in one place: the settings of the program folder, the list
// step's state and catalogue, the song transfer and the download run. The
// front end hands in its ports; they, and every reference in Options, must
// outlive the session.
//
// The process's network wait pump (every wait step of a page request or a
// transfer runs it) is that of the last session built that still lives:
// a later session's pump replaces it, and when that session goes the pump
// of the one before it comes back; with no session left, waits process
// nothing.
inline constexpr const char* kSavedSongsFileName = "SavedSongs.log";

class Session {
public:
    struct Options {
        // Where Config.ini lives; empty: the executable's folder.
        std::string programFolder;
        // The song transfer of the run; null: the session's CFileDownload.
        transfer::FileFetch* transfer = nullptr;
        // What a network wait runs; empty: the front end's pending-events
        // step for every kind of wait.
        net::WaitPump waitPump;
        // Seams of the run (see download::DownloadRun::Services).
        download::AgentFactory agents;
        std::function<bool(const std::string&)> isRunning;
        std::string managerEndpoint;
        std::function<bool(const std::string&)> isWritableFolder;
        transfer::FreeSpaceProbe freeSpace;
    };
    // The ports of the list step and the run.
    struct FrontEnd {
        ports::StatusLine& status;
        ports::MessageBox& message;
        ports::SongList& songs;
        ports::EventPump& events;
        ports::WindowSwitcher& windows;
    };

    Session(FrontEnd frontEnd, Options options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Reads Config.ini of the program folder into Settings().
    void LoadSettings();
    settings::Config& Settings() { return config_; }
    const std::string& ProgramFolder() const { return programFolder_; }
    std::string ConfigPath() const;

    ports::UiPorts& Ports() { return ui_; }

    // The list button: fetches the list at `address` into the song list and
    // stores address and folder in `configPath` when given. False when they
    // could not be stored (the list is fetched all the same). With SkipSaved
    // the rows of songs saved earlier (still there) are marked so.
    bool FetchList(const std::string& address, const std::string& saveFolder,
                   const std::optional<std::string>& configPath);
    // The list's fetching (to abandon a fetch that does not answer).
    catalogue::SongCatalogue& Catalogue() { return catalogue_; }

    // Builds the download run over the session's transfer, reading its
    // choices from `controls` and reporting to `observer`; the transfer's
    // progress goes to the run. The run lives as long as the session; a
    // second call returns it as built.
    download::DownloadRun& OpenRun(ports::DownloadControls& controls, ports::RunObserver& observer);
    // The run OpenRun built (not before).
    download::DownloadRun& Run() { return *run_; }
    const download::DownloadRun& Run() const { return *run_; }

    // The saved-songs record beside Config.ini (kSavedSongsFileName); no
    // record when there is no settings folder.
    download::SavedSongs& SavedRecord();

    // The session's own transfer object (also when Options gave another).
    transfer::CFileDownload& FileDownload() { return *fileDownload_; }
    // The transfer the run fetches songs with.
    transfer::FileFetch& Transfer() { return options_.transfer != nullptr ? *options_.transfer : fetch_; }

private:
    static std::vector<Session*>& Living();
    static void InstallLatestPump();

    FrontEnd frontEnd_;
    Options options_;
    std::string programFolder_;
    settings::Config config_;
    catalogue::CatalogueState catalogueState_;
    ports::UiPorts ui_;
    catalogue::SongCatalogue catalogue_;
    std::unique_ptr<transfer::CFileDownload> fileDownload_;
    transfer::FileDownloadFetch fetch_;
    std::unique_ptr<download::SavedSongs> savedSongs_;  // made on first use
    std::unique_ptr<download::DownloadRun> run_;
};

}  // namespace tunewell::session
