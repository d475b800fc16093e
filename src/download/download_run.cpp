// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/download_run.h"

#include <filesystem>
#include <utility>

#include "base/text.h"
#include "download/cut_to_width.h"
#include "download/failure_text.h"
#include "download/file_host.h"
#include "download/play_entries.h"
#include "download/retry_wait.h"
#include "platform/file_info.h"
#include "platform/file_io.h"
#include "platform/process_list.h"
#include "platform/utf8_path.h"
#include "transfer/partial_files.h"
#include "web/get_body.h"
#include "hosts/site_hosts.h"
#include "text/text_utils.h"

namespace tunewell::download {
namespace {

bool SavePathExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(platform::Utf8Path(path), error);
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(platform::Utf8Path(path), error);
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
    if (!services_.isWritableFolder) services_.isWritableFolder = &platform::IsWritableFolder;
}

void DownloadRun::cmdDown_Click() {
    Ticked ticked;
    if (!CheckPreconditions(ticked)) return;
    if (state_ == State::Idle) {
        Run(ticked);
    } else {
        Pause();
    }
}

bool DownloadRun::CheckPreconditions(Ticked& ticked) {
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
    const std::string folder = controls_.SavePathText();
    if (!SavePathExists(folder)) {
        ui_.message.Show("保存地址路径不存在,请重新选择");
        return false;
    }
    // Every song would fail on a folder that takes no files (a file named
    // as the folder fails song by song instead, each with its reason).
    if (state_ == State::Idle && IsFolder(folder) && !services_.isWritableFolder(folder)) {
        ui_.message.Show("保存文件夹不可写，请重新选择");
        return false;
    }
    ui_.status.SetText("正在准备下载......");
    transfer::RemoveStalePartials(folder);
    if (ui_.songs.RowCount() == 0) {
        ui_.message.Show("请点击获取歌曲列表！");
        return false;
    }
    for (int row = 1; row <= ui_.songs.RowCount(); ++row) {
        if (!ui_.songs.IsChecked(row)) continue;
        ticked.ids.push_back(text::Number{text::Number::Kind::Double, ui_.songs.Tag(row)}.ToText());
        ticked.names.push_back(ui_.songs.Name(row));
    }
    if (ticked.ids.empty()) {
        ui_.message.Show("您还没有选择歌曲！");
        return false;
    }
    return true;
}

void DownloadRun::Run(const Ticked& ticked) {
    state_ = State::Running;
    observer_.RunStarted();
    succeeded_ = failed_ = 0;
    outcome_ = ports::RunOutcome{};

    const std::vector<std::string> saved = SavedFilesOf(ticked);
    std::vector<std::string> asked;
    std::vector<std::size_t> askedRows;
    for (std::size_t row = 0; row < ticked.ids.size(); ++row) {
        if (!saved[row].empty()) continue;
        asked.push_back(ticked.ids[row]);
        askedRows.push_back(row);
    }
    PlayEntries play = FetchPlayEntries(ui_, asked, [this] { return state_ == State::Running; });
    PlayPageFailed(play, ticked, askedRows);
    const std::vector<PlayEntries::Entry> entries = MergeSaved(play, saved, askedRows);
    SaveNames names;
    stopRequested_ = false;
    stopMessage_.clear();
    if (config_.Jobs > 1) {
        RunSideBySide(entries, ticked, names);
    } else {
        for (std::size_t k = 1; k <= entries.size() && !stopRequested_; ++k) {
            DownloadEntry(static_cast<int>(k), entries[k - 1], ticked, names);
        }
    }
    // Nothing started: the status line's advice has given way to the idle
    // text, so the cause is told once the run is over.
    if (!play.failure.empty() && succeeded_ - outcome_.skipped + failed_ == 0) {
        stopMessage_ = kPlayPageFailedText + play.failure;
    }
    EndRun();
    // After the run, when nothing is in flight any more and the window is
    // idle again.
    if (!stopMessage_.empty()) {
        outcome_.told = true;
        ui_.message.Show(std::exchange(stopMessage_, std::string()));
    }
    observer_.RunOver(outcome_);
}

void DownloadRun::PlayPageFailed(const PlayEntries& play, const Ticked& ticked,
                                 const std::vector<std::size_t>& askedRows) {
    if (play.failure.empty()) return;
    for (std::size_t asked = play.answeredRows; asked < askedRows.size(); ++asked) {
        const std::size_t row = askedRows[asked];
        ui_.songs.MarkFailed(text::ToNumber(ticked.ids[row]).value, play.failure);
        CountFailure(ticked.names[row], play.failure);
    }
}

void DownloadRun::CountFailure(const std::string& name, const std::string& reason) {
    constexpr std::size_t kFirstFailures = 3;
    ++outcome_.failed;
    if (outcome_.firstFailures.size() < kFirstFailures) outcome_.firstFailures.push_back(name + "：" + reason);
}

std::optional<DownloadRun::PreparedSong> DownloadRun::PrepareEntry(int k, const PlayEntries::Entry& entry,
                                                                  const Ticked& ticked, SaveNames& names) {
    ui_.events.ProcessPending();
    const std::optional<PlayEntry> parsed = ParsePlayEntry(entry.text);
    // An entry without an address, or one the ticked rows do not account
    // for, has no song of its own to save or row to remove.
    const std::size_t index = entry.row;
    if (!parsed || index >= ticked.ids.size()) return std::nullopt;

    const std::string fileName = names.NameFor(*parsed, ticked.names[index], k, config_.AddID == 1);
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
        return std::nullopt;
    }
    return PreparedSong{k,
                        fileName,
                        source,
                        text::ToNumber(ticked.ids[index]).value,
                        entry.address,
                        ticked.ids[index],
                        controls_.SavePathText() + platform::PathSeparator() + fileName,
                        NamedAfter(*parsed, ticked.names[index])};
}

void DownloadRun::DownloadEntry(int k, const PlayEntries::Entry& entry, const Ticked& ticked, SaveNames& names) {
    if (SkipIfSaved(k, entry, ticked)) return;
    const std::optional<PreparedSong> song = PrepareEntry(k, entry, ticked, names);
    if (!song) return;
    if (controls_.UseDownloadManager()) {
        HandOffSong(*song);
        return;
    }
    const std::string destination = controls_.SavePathText() + platform::PathSeparator() + song->fileName;
    services_.transfer.SetRateLimit(RateLimit());
    services_.transfer.SetFinishStep(TagStep(*song));
    bool saved = false;
    transfer::TransferFailure failure;
    // A retry continues the partial the failed attempt kept, where the
    // server allows.
    for (int retry = 1;; ++retry) {
        saved = services_.transfer.StartDownloading(song->source, destination);
        failure = saved ? transfer::TransferFailure{} : services_.transfer.LastFailure();
        if (saved || !WaitToRetry(retry, failure)) break;
        ui_.status.SetText("开始下载" + CutToWidth(song->fileName, 40) + "...");
    }
    services_.transfer.SetRateLimit(0);  // the transfer also fetches programs
    services_.transfer.SetFinishStep({});
    TransferEnded(*song, saved, failure);
}

std::int64_t DownloadRun::RateLimit() const { return static_cast<std::int64_t>(config_.SpeedLimit) * 1024; }

bool DownloadRun::MayRetry(int retry, const transfer::TransferFailure& failure) const {
    return retry <= config_.Retries && IsPassingFailure(failure) && state_ == State::Running && !stopRequested_;
}

bool DownloadRun::WaitToRetry(int retry, transfer::TransferFailure& failure) {
    if (!MayRetry(retry, failure)) return false;
    ui_.status.SetText(RetryText(retry));
    if (WaitForRetry(RetryDelay(retry, failure.retryAfter),
                     [this] { return state_ == State::Running && !stopRequested_; }))
        return true;
    failure = {transfer::TransferFailure::Cause::kAborted, 0};  // paused while waiting
    return false;
}

void DownloadRun::HandOffSong(const PreparedSong& song) {
    using Outcome = ports::RunObserver::SongOutcome;
    std::string reason;
    Outcome outcome = Outcome::HandedOff;
    if (!HandOff(song.source, song.fileName, controls_.SavePathText(), song.playAddress, reason)) {
        outcome = Outcome::Failed;
        SongFailed(song.k, song.fileName, song.tag, reason);
    } else {
        ui_.songs.MarkHandedOff(song.tag);
        ++outcome_.handedOff;
    }
    observer_.SongEnded(song.k, song.fileName, outcome);
    ++(outcome == Outcome::Failed ? failed_ : succeeded_);
}

void DownloadRun::TransferEnded(const PreparedSong& song, bool saved, const transfer::TransferFailure& failure) {
    using Outcome = ports::RunObserver::SongOutcome;
    using Cause = transfer::TransferFailure::Cause;
    if (!saved) {
        // A song aborted because the run stopped for lack of space has not
        // failed on its own: it is treated as paused.
        const bool stoppedByRun = failure.cause == Cause::kAborted && !stopMessage_.empty();
        SongFailed(song.k, song.fileName, song.tag, FailureText(failure), !stoppedByRun);
    }
    // Every later song would fail the same way.
    if (!saved && failure.cause == Cause::kDiskFull) StopForLackOfSpace();
    TagsEnded(song, saved);
    observer_.SongEnded(song.k, song.fileName, saved ? Outcome::Saved : Outcome::Failed);
    if (saved) {
        RecordSaved(song);
        ui_.songs.RemoveByTag(song.tag);
        ++outcome_.saved;
    }
    ui_.events.ProcessPending();
    ++(saved ? succeeded_ : failed_);
}

void DownloadRun::SongFailed(int k, const std::string& fileName, double tag, const std::string& reason,
                             bool mark) {
    // A song the user paused has not failed: its row loses an older mark
    // rather than gaining one.
    const bool own = state_ == State::Running && mark;
    ui_.songs.MarkFailed(tag, own ? reason : std::string());
    if (own) CountFailure(fileName, reason);
    observer_.SongFailed(k, fileName, reason);
}

bool DownloadRun::HandOff(const std::string& source, const std::string& fileName,
                          const std::string& folder, const std::string& playAddress, std::string& reason) {
    // The manager could only fail later, out of sight, on an address the
    // program itself would refuse: such a song fails here, as a transfer would.
    if (!IsHandOffAddress(source)) {
        reason = kBadAddressText;
        return false;
    }
    const AgentFactory agents =
        services_.agents ? services_.agents : DefaultAgentFactory(config_.Aria2Secret, services_.managerEndpoint);
    if (AddThunderTask(agents, source, fileName, folder, "", playAddress, 1, 0, -1)) return true;
    reason = kManagerRefusedText;
    return false;
}

void DownloadRun::Pause() {
    state_ = State::Idle;
    observer_.RunPaused();
    services_.transfer.AbortDownloading();
    if (batch_ != nullptr) batch_->AbortAll();  // their partials stay for the next run
}

void DownloadRun::StopForLackOfSpace() {
    stopRequested_ = true;
    if (!stopMessage_.empty()) return;  // another song in flight found it first
    stopMessage_ = kDiskFullStopText;
    if (batch_ != nullptr) batch_->AbortAll();  // their partials stay for the next run
}

void DownloadRun::Stop() {
    if (state_ == State::Running) {
        Pause();
    } else {
        services_.transfer.AbortDownloading();
        if (batch_ != nullptr) batch_->AbortAll();
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
