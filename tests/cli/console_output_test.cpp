// What the command line prints of a run: nothing a page sent may steer the
// terminal, a failure says why, and the speed is never a made-up number.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/console_controls.h"
#include "cli/console_ui.h"

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
    EXPECT_EQ(text.find("-"), std::string::npos) << text;
    EXPECT_NE(text.find("已下载  0% 0/100字节 0KB/S"), std::string::npos) << text;
    EXPECT_NE(text.find("已下载 50% 50/100字节 12KB/S"), std::string::npos) << text;
    EXPECT_EQ(text.find("900KB/S"), std::string::npos) << text;
    EXPECT_NE(text.find("1. a.mp3: 下载失败 (服务器返回HTTP 404)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("2. b.mp3: 下载失败\n"), std::string::npos) << text;
}

// Songs side by side: one line for the whole run, rewritten per percent.
TEST(ConsoleOutput, SongsSideBySideShowTheRunsPercent) {
    Captured out;
    ConsoleControls controls("/music", false, out.Stream(), true);
    controls.CombinedProgress(37, 2048);
    controls.CombinedProgress(37, 10);  // the same percent: nothing new
    controls.CombinedProgress(40, -5);
    controls.SongEnded(3, "c.mp3", ports::RunObserver::SongOutcome::Saved);
    EXPECT_EQ(out.Text(), "\r全部已下载 37% 2048KB/S   \r全部已下载 40% 0KB/S   \r3. c.mp3: 下载完毕\n");
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
