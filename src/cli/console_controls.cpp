#include "cli/console_controls.h"

namespace tunewell::cli {

void ConsoleControls::SetText(const std::string& text) {
    // Only the outcome of a song ends the progress line; the idle caption
    // the run writes at its end says nothing new.
    if (text != "下载完毕" && text != "下载失败") return;
    std::fprintf(out_, "%s%s\n", lineOpen_ ? "\r" : "", text.c_str());
    lineOpen_ = false;
}

void ConsoleControls::ShowTransfer(long long bytes, long long total, int speedKb) {
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

}  // namespace tunewell::cli
