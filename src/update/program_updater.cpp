#include "update/program_updater.h"

#include "transfer/progress_text.h"

#include "fs/cls_fso.h"
#include "update/update_script.h"
#include "hosts/site_hosts.h"

namespace tunewell::update {

std::string ProgramUpdater::DownloadAddress() {
    return std::string(hosts::kVersionServer) + "/upload/tunewell.exe";
}

void ProgramUpdater::StartUpdate() {
    const std::string target = GetTempFolder() + "Tunewell.exe";
    const std::string address = DownloadAddress();
    window_.events.ProcessPending();
    if (transfer_.StartDownloading(address, target)) {
        window_.bar.SetText("升级完毕");
        RunUpdate(target);
        if (window_.endProgram) window_.endProgram();
        return;
    }
    window_.bar.SetText("升级失败");
    if (window_.showFailure) window_.showFailure("升级失败,请点击这里手动下载升级！");
    globals_.UpdateLink = address;
    window_.events.ProcessPending();
}

bool ProgramUpdater::RunUpdate(const std::string& saveName) {
    const std::string script = programFolder_ + "/UpDate.sh";
    fs::ClsFso fso;
    if (!fso.CreateFile(script, BuildUpdateSh(exeName_, saveName, programFolder_), true)) return false;
    return StartDetached(script);
}

void ProgramUpdater::ShowProgress(long long bytes, long long total, int speed) {
    if (bytes == 0 || total == 0) return;
    const long long percent = transfer::ProgressPercent(bytes, total);
    window_.bar.SetValue(transfer::BarValue(percent));
    window_.bar.SetText(transfer::ProgressText(percent) + " " + std::to_string(speed) + "KB/S");
}

}  // namespace tunewell::update
