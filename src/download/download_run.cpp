#include "download/download_run.h"

#include <filesystem>

#include "base/text.h"
#include "download/file_host.h"
#include "download/file_naming.h"
#include "download/play_entries.h"
#include "platform/file_io.h"
#include "platform/process_list.h"
#include "platform/utf8_path.h"
#include "transfer/partial_files.h"
#include "web/get_body.h"
#include "hosts/site_hosts.h"
#include "web/text_utils.h"

namespace tunewell::download {
namespace {

bool SavePathExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(platform::Utf8Path(path), error);
}

}  // namespace

DownloadRun::DownloadRun(ports::UiPorts& ui, ports::DownloadControls& controls,
                         ports::RunObserver& observer, const settings::Config& config,
                         Services services)
    : ui_(ui), controls_(controls), observer_(observer), config_(config), services_(std::move(services)) {
    if (!services_.isRunning) {
        services_.isRunning = [](const std::string& name) {
            std::int32_t id = 0;
            return platform::IsProcessRunning(name, id);
        };
    }
}

void DownloadRun::cmdDown_Click() {
    std::string idList, nameList;
    if (!CheckPreconditions(idList, nameList)) return;
    if (state_ == State::Idle) {
        Run(idList, nameList);
    } else {
        Pause();
    }
}

bool DownloadRun::CheckPreconditions(std::string& idList, std::string& nameList) {
    if (controls_.UseDownloadManager()) {
        bool running = false;
        for (const std::string& name : DownloadManagerProcessNames()) {
            running = services_.isRunning(name) || running;  // every name is asked
        }
        if (!running) {
            ui_.message.Show("迅雷未运行，请确认安装了迅雷并运行！");
            return false;
        }
    }
    if (!SavePathExists(controls_.SavePathText())) {
        ui_.message.Show("保存地址路径不存在,请重新选择");
        return false;
    }
    ui_.status.SetText("正在准备下载......");
    transfer::RemoveStalePartials(controls_.SavePathText());
    if (ui_.songs.RowCount() == 0) {
        ui_.message.Show("请点击获取歌曲列表！");
        return false;
    }
    for (int row = 1; row <= ui_.songs.RowCount(); ++row) {
        if (!ui_.songs.IsChecked(row)) continue;
        idList += web::Number{web::Number::Kind::Double, ui_.songs.Tag(row)}.ToText() + ",";
        nameList += ui_.songs.Name(row) + "@";
    }
    if (idList.empty()) {
        ui_.message.Show("您还没有选择歌曲！");
        return false;
    }
    return true;
}

void DownloadRun::Run(const std::string& idList, const std::string& nameList) {
    state_ = State::Running;
    observer_.RunStarted();
    succeeded_ = failed_ = 0;
    const std::string ids = idList.substr(0, idList.size() - 1);
    const std::string names = nameList.substr(0, nameList.size() - 1);

    const PlayEntries play = FetchPlayEntries(ui_, ids);
    const std::vector<std::string> idParts = base::SplitAll(ids, ",");
    const std::vector<std::string> nameParts = base::SplitAll(names, "@");
    stopRequested_ = false;
    for (std::size_t k = 1; k <= play.entries.size() && !stopRequested_; ++k) {
        DownloadEntry(static_cast<int>(k), play.entries[k - 1], idParts, nameParts, play.address);
    }
    EndRun();
}

void DownloadRun::DownloadEntry(int k, const std::string& entry, const std::vector<std::string>& ids,
                                const std::vector<std::string>& names, const std::string& playAddress) {
    ui_.events.ProcessPending();
    const std::optional<PlayEntry> parsed = ParsePlayEntry(entry);
    // An entry without an address, or one the ticked rows do not account
    // for, has no song of its own to save or row to remove.
    if (!parsed || static_cast<std::size_t>(k) > ids.size()) return;

    std::string name = parsed->title;
    if (web::CharacterCount(parsed->title) < 3) {
        name = names[static_cast<std::size_t>(k - 1)];
    } else if (!parsed->performer.empty()) {
        name += " - " + parsed->performer;
    }
    const std::string fileName = BuildFileName(name, parsed->address, config_.AddID == 1, k);
    const std::string& source = parsed->address;
    if (!source.empty() && source != web::kFalse && source.find("http") != std::string::npos) {
        ui_.status.SetText("准备下载" + CutToWidth(fileName, 40) + "...");
        if (source.find(hosts::kFileHostDomain) != std::string::npos) {
            PrepareFileHostDownload(ui_.events, source);
        }
    }
    ui_.status.SetText("开始下载" + CutToWidth(fileName, 40) + "...");
    if (state_ != State::Running) {
        stopRequested_ = true;  // paused while this song was being prepared
        return;
    }

    const std::string folder = controls_.SavePathText();
    using Outcome = ports::RunObserver::SongOutcome;
    Outcome outcome = Outcome::Failed;
    if (controls_.UseDownloadManager()) {
        if (HandOff(source, fileName, folder, playAddress)) outcome = Outcome::HandedOff;
        observer_.SongEnded(k, fileName, outcome);
    } else {
        const std::string target = folder + platform::PathSeparator() + fileName;
        if (services_.transfer.StartDownloading(source, target)) outcome = Outcome::Saved;
        observer_.SongEnded(k, fileName, outcome);
        if (outcome == Outcome::Saved) {
            ui_.songs.RemoveByTag(web::ToNumber(ids[static_cast<std::size_t>(k - 1)]).value);
        }
        ui_.events.ProcessPending();
    }
    ++(outcome == Outcome::Failed ? failed_ : succeeded_);
}

bool DownloadRun::HandOff(const std::string& source, const std::string& fileName,
                          const std::string& folder, const std::string& playAddress) {
    // The manager could only fail later, out of sight, on an address the
    // program itself would refuse: such a song fails here, as a transfer would.
    if (!IsHandOffAddress(source)) return false;
    const AgentFactory agents =
        services_.agents ? services_.agents : DefaultAgentFactory(config_.Aria2Secret, services_.managerEndpoint);
    return AddThunderTask(agents, source, fileName, folder, "", playAddress, 1, 0, -1);
}

void DownloadRun::Pause() {
    state_ = State::Idle;
    observer_.RunPaused();
    services_.transfer.AbortDownloading();
}

void DownloadRun::Stop() {
    if (state_ == State::Running) {
        Pause();
    } else {
        services_.transfer.AbortDownloading();
    }
}

void DownloadRun::EndRun() {
    state_ = State::Idle;
    ui_.status.SetText("下载空闲中......");
    observer_.RunEnded();
}

void DownloadRun::ShowProgress(long long bytes, long long total, int speedKb) {
    observer_.SongProgress(bytes, total, speedKb);
}

}  // namespace tunewell::download
