#include "download/download_run.h"

#include <filesystem>

#include "download/file_host.h"
#include "download/file_naming.h"
#include "download/play_entries.h"
#include "platform/process_list.h"
#include "transfer/partial_files.h"
#include "web/get_body.h"
#include "hosts/site_hosts.h"
#include "web/text_utils.h"

namespace tunewell::download {
namespace {

constexpr const char* kIdleCaption = "开始下载";
constexpr const char* kRunningCaption = "暂停下载";

bool SavePathExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

}  // namespace

DownloadRun::DownloadRun(ports::UiPorts& ui, ports::ProgressBar& progress,
                         ports::DownloadControls& controls, const settings::Config& config,
                         Services services)
    : ui_(ui), progress_(progress), controls_(controls), config_(config), services_(std::move(services)) {
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
    if (web::ToNumber(controls_.ButtonTag()).value == 0) {
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
    controls_.SetButtonTag("1");
    controls_.SetButtonCaption(kRunningCaption);
    succeeded_ = failed_ = 0;
    const std::string ids = idList.substr(0, idList.size() - 1);
    const std::string names = nameList.substr(0, nameList.size() - 1);

    const PlayEntries play = FetchPlayEntries(ui_, ids);
    const std::vector<std::string> idParts = web::SplitAll(ids, ",");
    const std::vector<std::string> nameParts = web::SplitAll(names, "@");
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
    if (web::ToNumber(controls_.ButtonTag()).value == 0) {
        stopRequested_ = true;  // paused while this song was being prepared
        return;
    }

    const std::string folder = controls_.SavePathText();
    bool done = false;
    if (controls_.UseDownloadManager()) {
        done = AddThunderTask(services_.agents, source, fileName, folder, "", playAddress, 1, 0, -1);
        if (!done) progress_.SetText("下载失败");
    } else {
        done = services_.transfer.StartDownloading(source, folder + "/" + fileName);
        progress_.SetText(done ? "下载完毕" : "下载失败");
        if (done) ui_.songs.RemoveByTag(web::ToNumber(ids[static_cast<std::size_t>(k - 1)]).value);
        ui_.events.ProcessPending();
    }
    ++(done ? succeeded_ : failed_);
}

void DownloadRun::Pause() {
    controls_.SetButtonTag("0");
    controls_.SetButtonCaption(kIdleCaption);
    services_.transfer.AbortDownloading();
}

void DownloadRun::EndRun() {
    ui_.status.SetText("下载空闲中......");
    progress_.SetText("下载进度0%");
    progress_.SetValue(0);
    controls_.SetButtonTag("0");
    controls_.SetButtonCaption(kIdleCaption);
}

void DownloadRun::ShowProgress(long long bytes, long long total) {
    if (bytes == 0 || total == 0) return;
    const long long percent = bytes * 100 / total;
    // A server that sends more than it announced must not push the bar
    // past its end; the caption still tells the truth.
    progress_.SetValue(static_cast<int>(percent > 100 ? 100 : percent));
    progress_.SetText("已下载" + std::to_string(percent) + "% ");
}

}  // namespace tunewell::download
