// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/run_view.h"

#include <QString>

#include "transfer/progress_text.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/skin_button.h"

namespace tunewell::shell {

void RunView::RunStarted() {
    cmdDown_.SetTag(QStringLiteral("1"));
    cmdDown_.SetCaption(QStringLiteral("暂停下载"));
}

void RunView::RunPaused() { ShowIdleButton(); }

void RunView::RunEnded() {
    PB_.SetText(QStringLiteral("下载进度0%"));
    PB_.SetValue(0);
    ShowIdleButton();
}

void RunView::SongProgress(long long bytes, long long total, int) {
    if (bytes == 0 || total == 0) return;
    const long long percent = transfer::ProgressPercent(bytes, total);
    PB_.SetValue(transfer::BarValue(percent));
    PB_.SetText(QString::fromStdString(transfer::ProgressText(percent) + " "));
}

void RunView::SongEnded(int, const std::string&, SongOutcome outcome) {
    if (outcome == SongOutcome::Saved) PB_.SetText(QStringLiteral("下载完毕"));
    if (outcome == SongOutcome::Failed) PB_.SetText(QStringLiteral("下载失败"));
}

void RunView::ShowIdleButton() {
    cmdDown_.SetTag(QStringLiteral("0"));
    cmdDown_.SetCaption(QStringLiteral("开始下载"));
}

}  // namespace tunewell::shell
