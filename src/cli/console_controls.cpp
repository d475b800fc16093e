#include "cli/console_controls.h"

#include "cli/printable_text.h"

namespace tunewell::cli {

void ConsoleControls::RunEnded() { EndLine(); }

void ConsoleControls::SongProgress(long long bytes, long long total, int reportedSpeedKb) {
    // A song's first report is measured against the previous song's last
    // one: its speed means nothing (it can even be negative).
    const int speedKb = speedKnown_ && reportedSpeedKb > 0 ? reportedSpeedKb : 0;
    speedKnown_ = true;
    if (!liveProgress_) return;
    // One line per percent (or per 256 KiB without a length) is plenty.
    const long long step = total > 0 ? bytes * 100 / total : bytes >> 18;
    if (lineOpen_ && step == lastStep_) return;
    lastStep_ = step;
    if (total > 0) {
        std::fprintf(out_, "\r已下载%3lld%% %lld/%lld字节 %dKB/S   ", bytes * 100 / total, bytes, total, speedKb);
    } else {
        std::fprintf(out_, "\r已下载%lld字节 %dKB/S   ", bytes, speedKb);
    }
    std::fflush(out_);
    lineOpen_ = true;
}

void ConsoleControls::CombinedProgress(int percent, int speedKb) {
    if (!liveProgress_ || (lineOpen_ && percent == lastStep_)) return;
    lastStep_ = percent;
    std::fprintf(out_, "\r全部已下载%3d%% %dKB/S   ", percent, speedKb > 0 ? speedKb : 0);
    std::fflush(out_);
    lineOpen_ = true;
}

void ConsoleControls::SongFailed(int, const std::string&, const std::string& reason) { reason_ = reason; }

void ConsoleControls::SongEnded(int position, const std::string& fileName, SongOutcome outcome) {
    std::string said = outcome == SongOutcome::Saved       ? "下载完毕"
                       : outcome == SongOutcome::HandedOff ? "已交给aria2"
                                                           : "下载失败";
    if (outcome == SongOutcome::Failed && !reason_.empty()) said += " (" + reason_ + ")";
    reason_.clear();
    speedKnown_ = false;
    std::fprintf(out_, "%s%d. %s: %s\n", lineOpen_ ? "\r" : "", position, PrintableText(fileName).c_str(),
                 said.c_str());
    lineOpen_ = false;
}

void ConsoleControls::EndLine() {
    if (lineOpen_) std::fputc('\n', out_);
    lineOpen_ = false;
}

}  // namespace tunewell::cli
