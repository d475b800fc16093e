#include "cli/console_controls.h"

namespace tunewell::cli {

void ConsoleControls::RunEnded() { EndLine(); }

void ConsoleControls::SongProgress(long long bytes, long long total, int speedKb) {
    // One line per percent (or per 256 KiB without a length) is plenty.
    const long long step = total > 0 ? bytes * 100 / total : bytes >> 18;
    if (lineOpen_ && step == lastStep_) return;
    lastStep_ = step;
    if (total > 0) {
        std::fprintf(out_, "\r%3lld%% %lld/%lld bytes %d KB/s   ", bytes * 100 / total, bytes, total, speedKb);
    } else {
        std::fprintf(out_, "\r%lld bytes %d KB/s   ", bytes, speedKb);
    }
    std::fflush(out_);
    lineOpen_ = true;
}

void ConsoleControls::SongEnded(int position, const std::string& fileName, SongOutcome outcome) {
    const char* said = outcome == SongOutcome::Saved       ? "下载完毕"
                       : outcome == SongOutcome::HandedOff ? "已交给aria2"
                                                           : "下载失败";
    std::fprintf(out_, "%s%d. %s: %s\n", lineOpen_ ? "\r" : "", position, fileName.c_str(), said);
    lineOpen_ = false;
}

void ConsoleControls::EndLine() {
    if (lineOpen_) std::fputc('\n', out_);
    lineOpen_ = false;
}

}  // namespace tunewell::cli
