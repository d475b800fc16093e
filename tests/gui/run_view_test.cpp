// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's view of a download run: the button's Tag and Caption
// and the progress bar's captions, event by event.
#include <gtest/gtest.h>

#include "shell/run_view.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/skin_button.h"

namespace tunewell::shell {
namespace {

using Outcome = ports::RunObserver::SongOutcome;

TEST(RunView, EventsBecomeTheWindowsCaptionsAndTags) {
    widgets::SkinButton cmdDown(QStringLiteral("开始下载"));
    widgets::ProgressBar PB;
    RunView view(cmdDown, PB);
    const auto state = [&] {
        return (cmdDown.Tag() + "|" + cmdDown.Caption() + "|" + PB.Text() + "|" + QString::number(PB.Value()))
            .toStdString();
    };

    view.RunStarted();
    EXPECT_EQ(state(), "1|暂停下载||0");
    view.SongProgress(57, 100, 120);
    EXPECT_EQ(state(), "1|暂停下载|已下载57% |57");
    view.SongProgress(0, 100, 0);  // nothing known yet: nothing changes
    view.SongProgress(10, 0, 0);
    EXPECT_EQ(state(), "1|暂停下载|已下载57% |57");
    view.SongProgress(150, 100, 0);  // more than announced: the bar stops at its end
    EXPECT_EQ(state(), "1|暂停下载|已下载150% |100");
    view.SongEnded(1, "a.mp3", Outcome::Saved);
    EXPECT_EQ(PB.Text(), QStringLiteral("下载完毕"));
    view.SongEnded(2, "b.mp3", Outcome::Failed);
    EXPECT_EQ(PB.Text(), QStringLiteral("下载失败"));
    view.SongEnded(3, "c.mp3", Outcome::HandedOff);  // the bar is not touched
    EXPECT_EQ(PB.Text(), QStringLiteral("下载失败"));
    view.RunPaused();
    EXPECT_EQ(state(), "0|开始下载|下载失败|100");
    view.RunEnded();
    EXPECT_EQ(state(), "0|开始下载|下载进度0%|0");
}

}  // namespace
}  // namespace tunewell::shell
