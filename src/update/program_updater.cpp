// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/program_updater.h"

#include <filesystem>

#include "base/text.h"
#include "fs/cls_fso.h"
#include "hosts/site_hosts.h"
#include "platform/detached_start.h"
#include "platform/temp_folder.h"
#include "platform/utf8_path.h"
#include "transfer/failure_text.h"
#include "transfer/progress_text.h"
#include "trust/program_vetting.h"
#include "update/update_script.h"
#include "text/charset.h"

namespace tunewell::update {

std::string ProgramUpdater::DownloadAddress() {
    return std::string(hosts::kVersionServer) + "/upload/tunewell.exe";
}

void ProgramUpdater::StartUpdate() {
    const std::string address = DownloadAddress();
    window_.events.ProcessPending();
    if (!selfUpdate_) {
        // The system's package manager owns the program file: tell of the
        // new version and leave the download to the user.
        window_.bar.SetText("请手动下载升级");
        if (window_.showFailure) window_.showFailure(kManualOnlyText);
        globals_.UpdateLink = address;
        window_.events.ProcessPending();
        return;
    }
    if (DownloadAndHandOver(address)) {
        window_.bar.SetText("升级完毕");
        if (window_.endProgram) window_.endProgram();
        return;
    }
    ShowFailure(address);
}

bool ProgramUpdater::DownloadAndHandOver(const std::string& address) {
    failureCause_.clear();
    const std::string folder = platform::MakePrivateFolder(kFolderPrefix);
    if (folder.empty()) {
        failureCause_ = "无法创建临时文件夹";
        return false;
    }
    const trust::DownloadStep download = [this](const std::string& source, const std::string& target,
                                               std::int64_t maxBytes, std::int64_t& announced) {
        transfer_.SetSizeCap(maxBytes);
        const bool ok = transfer_.StartDownloading(source, target);
        transfer_.SetSizeCap(0);
        announced = transfer_.AnnouncedLength();
        return ok;
    };
    const std::string target = folder + "/" + kDownloadName;
    const trust::VersionRule announced = trust::VersionRule::Exactly(globals_.OfferedVersion);
    const trust::Verdict verdict = trust::FetchProgram(download, address, target, announced, updateKey_);
    if (verdict == trust::Verdict::kAccepted && RunUpdate(target)) {
        return true;  // the companion script removes the folder once it has copied the file
    }
    if (verdict == trust::Verdict::kAccepted) {
        failureCause_ = "无法启动升级脚本";
    } else if (verdict == trust::Verdict::kDownloadFailed) {
        failureCause_ = transfer::ProgramFailureText(transfer_.LastFailure(), trust::kMaxProgramBytes);
    }
    if (failureCause_.empty()) failureCause_ = trust::VerdictText(verdict);
    platform::RemovePrivateFolder(folder);
    return false;
}

void ProgramUpdater::ShowFailure(const std::string& address) {
    window_.bar.SetText("升级失败");
    if (window_.showFailure) window_.showFailure("升级失败,请点击这里手动下载升级！");
    globals_.UpdateLink = address;
    window_.events.ProcessPending();
}

bool ProgramUpdater::RunUpdate(const std::string& saveName) {
    // The running program's file as the system reports it (links resolved),
    // so the script recognises the old process by its executable.
    std::error_code error;
    std::string folder = platform::Utf8String(
        std::filesystem::weakly_canonical(platform::Utf8Path(programFolder_), error));
    if (error || folder.empty()) folder = programFolder_;
#ifdef _WIN32
    // The script host reads a script in the ANSI code page (GBK), and the
    // script names the program without its extension.
    const std::string script = folder + "\\UpDate.vbs";
    std::string exe = exeName_;
    if (exe.size() > 4 && base::LowerAscii(exe.substr(exe.size() - 4)) == ".exe") exe.resize(exe.size() - 4);
    const std::string text = text::ToGbk(BuildUpdateVbs(exe, saveName, folder));
#else
    const std::string script = folder + "/UpDate.sh";
    const std::string text = BuildUpdateSh(exeName_, saveName, folder);
#endif
    fs::ClsFso fso;
    if (!fso.CreateFile(script, text, true)) return false;
    return platform::StartDetachedScript(script);
}

void ProgramUpdater::ShowProgress(long long bytes, long long total, int speed) {
    if (bytes == 0 || total == 0) return;
    const long long percent = transfer::ProgressPercent(bytes, total);
    window_.bar.SetValue(transfer::BarValue(percent));
    window_.bar.SetText(transfer::ProgressText(percent) + " " + std::to_string(speed) + "KB/S");
}

}  // namespace tunewell::update
