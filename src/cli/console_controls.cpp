// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console_controls.h"

#include "cli/printable_text.h"
#include "cli/progress_text.h"

namespace tunewell::cli {

int ConsoleControls::RowOf(int position) const {
    return position >= 1 && position <= static_cast<int>(rows_.size()) ? rows_[position - 1] : position;
}

void ConsoleControls::RunEnded() { EndLine(); }

void ConsoleControls::SongProgress(long long bytes, long long total, int reportedSpeedKb) {
    // A song's first report is measured against the previous song's last
    // one: its speed means nothing (it can even be negative). Later reports
    // each measure a short interval, so the time left follows their
    // running average rather than the last one.
    const long long speedKb = speedKnown_ && reportedSpeedKb > 0 ? reportedSpeedKb : 0;
    speedKb_ = speedKb_ == 0 ? speedKb : (3 * speedKb_ + speedKb) / 4;
    speedKnown_ = true;
    if (!liveProgress_ || quiet_) return;
    // One line per percent (or per 256 KiB without a length) is plenty.
    const long long step = total > 0 ? bytes * 100 / total : bytes >> 18;
    if (lineOpen_ && step == lastStep_) return;
    lastStep_ = step;
    Rewrite(SongProgressText(bytes, total, speedKb_));
}

void ConsoleControls::CombinedProgress(int percent, int speedKb) {
    if (!liveProgress_ || quiet_ || (lineOpen_ && percent == lastStep_)) return;
    lastStep_ = percent;
    char text[32];
    std::snprintf(text, sizeof text, "全部已下载%3d%% ", percent);
    Rewrite(text + HumanSpeed(speedKb));
}

void ConsoleControls::Rewrite(const std::string& text) {
    std::fprintf(out_, "\r%s   ", text.c_str());
    std::fflush(out_);
    lineOpen_ = true;
}

void ConsoleControls::SongFailed(int, const std::string&, const std::string& reason) { reason_ = reason; }

void ConsoleControls::SongNote(int, const std::string&, const std::string& note) { note_ = note; }

void ConsoleControls::SongEnded(int position, const std::string& fileName, SongOutcome outcome) {
    std::string said = outcome == SongOutcome::Saved       ? "下载完毕"
                       : outcome == SongOutcome::HandedOff ? "已交给aria2"
                       : outcome == SongOutcome::Skipped   ? "已下载过，跳过"
                                                           : "下载失败";
    if (outcome == SongOutcome::Failed && !reason_.empty()) said += " (" + reason_ + ")";
    if (outcome == SongOutcome::Saved && !note_.empty()) said += " (" + note_ + ")";
    const SongResult result{position, RowOf(position), fileName, outcome,
                            outcome == SongOutcome::Failed ? reason_ : std::string(),
                            outcome == SongOutcome::Saved ? note_ : std::string()};
    note_.clear();
    reason_.clear();
    speedKnown_ = false;
    speedKb_ = 0;
    if (!quiet_ || outcome == SongOutcome::Failed) {
        std::fprintf(out_, "%s%d. %s: %s\n", lineOpen_ ? "\r" : "", result.row, PrintableText(fileName).c_str(),
                     PrintableText(said).c_str());
        lineOpen_ = false;
    }
    if (onResult_) onResult_(result);
}

void ConsoleControls::EndLine() {
    if (lineOpen_) std::fputc('\n', out_);
    lineOpen_ = false;
}

}  // namespace tunewell::cli
