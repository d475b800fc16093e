// SPDX-License-Identifier: GPL-3.0-or-later
// What the command line prints of a run: nothing a page sent may steer the
// terminal, a failure says why, and the speed is never a made-up number.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/console_controls.h"
#include "cli/console_ui.h"
#include "cli/json_lines.h"
#include "cli/progress_text.h"

namespace tunewell::cli {
namespace {

// A stream in memory; Text() gives what was written so far.
class Captured {
public:
    Captured() : stream_(::open_memstream(&buffer_, &size_)) {}
    ~Captured() {
        std::fclose(stream_);
        std::free(buffer_);
    }
    std::FILE* Stream() { return stream_; }
    std::string Text() {
        std::fflush(stream_);
        return std::string(buffer_, size_);
    }

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
};

TEST(ConsoleOutput, PageTextLosesControlCharacters) {
    Captured out;
    ConsoleUi ui(out.Stream());
    ui.SetText("开始下载\x1B]0;owned\x07歌\x1B[2J...");
    ui.Show("<b>用户名</b>\x1B[H\x9B错误\xC2\x9B");
    ConsoleControls controls("/music", false, out.Stream());
    controls.SongEnded(1, "歌\x1B[31m名.mp3", ports::RunObserver::SongOutcome::Saved);
    const std::string text = out.Text();
    EXPECT_EQ(text.find('\x1B'), std::string::npos) << text;
    EXPECT_EQ(text.find('\x07'), std::string::npos) << text;
    EXPECT_EQ(text.find("\xC2\x9B"), std::string::npos) << text;
    EXPECT_EQ(text.find('\x9B'), std::string::npos) << text;
    EXPECT_NE(text.find("[开始下载]0;owned歌[2J...]"), std::string::npos) << text;
    EXPECT_NE(text.find("1. 歌[31m名.mp3: 下载完毕"), std::string::npos) << text;
}

TEST(ConsoleOutput, FailedSongsSayWhyAndSpeedIsNeverNegative) {
    Captured out;
    ConsoleControls controls("/music", false, out.Stream(), true);
    using Outcome = ports::RunObserver::SongOutcome;
    controls.SongProgress(0, 100, -4000);  // measured against the song before
    controls.SongProgress(50, 100, 12);
    controls.SongFailed(1, "a.mp3", "服务器返回HTTP 404");
    controls.SongEnded(1, "a.mp3", Outcome::Failed);
    controls.SongProgress(0, 100, 900);  // the next song's first report
    controls.SongProgress(10, 100, -3);
    controls.SongEnded(2, "b.mp3", Outcome::Failed);
    const std::string text = out.Text();
    for (std::size_t minus = text.find('-'); minus != std::string::npos; minus = text.find('-', minus + 1)) {
        EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(text[minus + 1]))) << text;  // no negative number
    }
    EXPECT_NE(text.find("\r  0% 0 B/100 B 0 KB/s 剩余 --:--"), std::string::npos) << text;
    EXPECT_NE(text.find("\r 50% 50 B/100 B 12 KB/s 剩余 0:00"), std::string::npos) << text;
    EXPECT_EQ(text.find("900 KB/s"), std::string::npos) << text;
    EXPECT_NE(text.find("1. a.mp3: 下载失败 (服务器返回HTTP 404)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("2. b.mp3: 下载失败\n"), std::string::npos) << text;
}

TEST(ConsoleOutput, ProgressInHumanUnitsWithTimeLeft) {
    EXPECT_EQ(SongProgressText(3355443, 10276045, 941), " 32% 3.2 MB/9.8 MB 941 KB/s 剩余 0:07");
    EXPECT_EQ(SongProgressText(300 * 1024, 0, 2048), "300 KB 2.0 MB/s");  // no length announced
    EXPECT_EQ(SongProgressText(10, 5, 1), "100% 5 B/5 B 1 KB/s 剩余 0:00");  // more than announced
    EXPECT_EQ(HumanSize(1023), "1023 B");
    EXPECT_EQ(HumanSize(1024 * 1024 - 1), "1023 KB");
    EXPECT_EQ(HumanSize(3LL << 30), "3.0 GB");
    EXPECT_EQ(Duration(59), "0:59");
    EXPECT_EQ(Duration(3599), "59:59");
    EXPECT_EQ(Duration(3723), "1:02:03");
    // 1 GiB left at 1 KB/s: hours, not a wrapped number.
    EXPECT_EQ(SongProgressText(0, 1LL << 30, 1), "  0% 0 B/1.0 GB 1 KB/s 剩余 291:16:16");
}

// The speed behind the time left is averaged over the song's reports, so
// one quick or slow interval does not make it jump.
TEST(ConsoleOutput, TimeLeftFollowsTheAverageSpeed) {
    Captured out;
    ConsoleControls controls("/music", false, out.Stream(), true);
    const long long total = 100LL << 20;
    controls.SongProgress(0, total, 0);
    controls.SongProgress(1LL << 20, total, 1000);
    controls.SongProgress(2LL << 20, total, 1000);
    controls.SongProgress(3LL << 20, total, 9000);  // one burst
    const std::string text = out.Text();
    EXPECT_NE(text.find("2.0 MB/100.0 MB 1000 KB/s"), std::string::npos) << text;
    EXPECT_NE(text.find("3.0 MB/100.0 MB 2.9 MB/s"), std::string::npos) << text;
}

// Lines carry the list row a song came from, not its place in the run;
// quiet keeps only the failures; each end is handed on for --json.
TEST(ConsoleOutput, LinesNumberedByRowQuietKeepsFailures) {
    Captured out;
    ConsoleControls controls("/music", false, out.Stream(), true);
    controls.SetRows({2, 5, 7});
    controls.SetQuiet(true);
    std::vector<ConsoleControls::SongResult> results;
    controls.SetResultHandler([&](const ConsoleControls::SongResult& result) { results.push_back(result); });
    using Outcome = ports::RunObserver::SongOutcome;
    controls.SongProgress(10, 100, 5);
    controls.SongProgress(50, 100, 5);
    controls.SongEnded(1, "a.mp3", Outcome::Saved);
    controls.SongFailed(2, "b.mp3", "服务器返回HTTP 404");
    controls.SongEnded(2, "b.mp3", Outcome::Failed);
    controls.SongEnded(3, "c.mp3", Outcome::HandedOff);
    controls.RunEnded();
    EXPECT_EQ(out.Text(), "5. b.mp3: 下载失败 (服务器返回HTTP 404)\n");
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].row, 2);
    EXPECT_EQ(results[1].row, 5);
    EXPECT_EQ(results[1].cause, "服务器返回HTTP 404");
    EXPECT_EQ(results[2].row, 7);
    EXPECT_EQ(results[2].outcome, Outcome::HandedOff);
    EXPECT_EQ(results[2].cause, "");
}

// Messages are the bare text (the window's caption means nothing here);
// quiet drops the status texts but keeps the messages.
TEST(ConsoleOutput, MessagesWithoutCaptionQuietDropsStatus) {
    Captured out;
    ConsoleUi ui(out.Stream());
    ui.SetQuiet(true);
    ui.WatchFor("正在准备下载......");
    ui.SetText("正在准备下载......");
    ui.Show("保存地址路径不存在,请重新选择");
    EXPECT_EQ(out.Text(), "保存地址路径不存在,请重新选择\n");
    EXPECT_TRUE(ui.WatchedTextSeen());
    EXPECT_EQ(ui.LastMessage(), "保存地址路径不存在,请重新选择");
}

// A name that is not UTF-8 must not end the program (the JSON writer
// throws on such bytes unless told otherwise); an id that is no whole
// number keeps its text.
TEST(ConsoleOutput, JsonLinesSurviveBadBytes) {
    EXPECT_EQ(ListJsonLine(3, 3001, "3001", "a\xFF\"b\n"), "{\"row\":3,\"id\":3001,\"name\":\"a\xEF\xBF\xBD\\\"b\\n\"}\n");
    SongReport report;
    report.row = 2;
    report.id = 1.5;
    report.idText = "1.5";
    report.result = "not_started";
    report.cause = "\xC3";
    EXPECT_EQ(SongJsonLine(report),
              "{\"row\":2,\"id\":\"1.5\",\"file\":null,\"bytes\":0,\"result\":\"not_started\",\"cause\":\"\xEF\xBF\xBD\",\"note\":null}\n");
}

// Into a file or a pipe: no progress at all, only whole lines per song.
TEST(ConsoleOutput, NoCarriageReturnsOutsideATerminal) {
    Captured out;
    ConsoleControls controls("/music", false, out.Stream());  // a memory stream is no terminal
    using Outcome = ports::RunObserver::SongOutcome;
    for (int bytes = 0; bytes <= 100; bytes += 10) controls.SongProgress(bytes, 100, 50);
    controls.SongEnded(1, "a.mp3", Outcome::Saved);
    controls.SongProgress(5, 0, 50);
    controls.SongEnded(2, "b.mp3", Outcome::HandedOff);
    controls.RunEnded();
    EXPECT_EQ(out.Text(), "1. a.mp3: 下载完毕\n2. b.mp3: 已交给aria2\n");
}

}  // namespace
}  // namespace tunewell::cli
