// SPDX-License-Identifier: GPL-3.0-or-later
// tunewell-cli ends cleanly when asked to: a signal during a transfer
// aborts it, leaves no file under its final name and no temporary behind,
// and the exit status tells which signal ended it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_folder_test.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"

namespace tunewell::testing {
namespace {

namespace stdfs = std::filesystem;

class CliInterruptTest : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        Options().slowChunkDelayMs = 500;  // the slow song takes half a minute
        WriteConfigLines("SavePath=" + songs_ + "\r\n");
    }

    // Starts the download of the slow song (and of the song after it with
    // `andNext`), waits until its bytes are arriving, sends `signal` and
    // returns the status; standard error lands in err_.
    int DownloadAndSignal(int signal, bool andNext = false) {
        const auto ids = demo::FeaturedSongIds();
        const auto row = std::find(ids.begin(), ids.end(), demo::kSongSlow) - ids.begin() + 1;
        std::vector<std::string> args = {folder_.File("tunewell-cli"), "download", MusicUrl("/album/232523"),
                                         std::to_string(row) + (andNext ? "," + std::to_string(row + 1) : "")};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return -1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        const std::size_t before = SlowSongRequests();
        pid_t pid = -1;
        const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (spawned != 0) return -1;
        // Standard error is a pipe, so no progress is written: the transfer
        // is under way once the site has the request for the song's file
        // (the reply then trickles for half a minute).
        for (int wait = 0; wait < 600 && SlowSongRequests() <= before; ++wait) ::usleep(50000);
        ::usleep(200000);
        char buffer[512];
        ::kill(pid, signal);
        err_.clear();
        for (ssize_t got = 0; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) err_.append(buffer, got);
        ::close(pipeFds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // How often the site was asked for the slow song's file.
    std::size_t SlowSongRequests() {
        std::size_t count = 0;
        for (const auto& request : Site().Requests()) count += request.target.find("/audio/slow/") != std::string::npos;
        return count;
    }

    std::string err_;
};

// Only the song's hidden partial (kept for resuming) may stay behind;
// nothing appears under a final name.
TEST_F(CliInterruptTest, SignalAbortsTheTransferAndLeavesNoFile) {
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        EXPECT_EQ(DownloadAndSignal(signal), status) << signal;
        for (const auto& entry : stdfs::directory_iterator(songs_)) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.front(), '.') << signal << " left " << name;
        }
    }
}

}  // namespace
}  // namespace tunewell::testing

namespace tunewell::testing {
namespace {

// After Ctrl-C the run only winds down: the song after the aborted one is
// not announced as starting.
TEST_F(CliInterruptTest, NothingStartsAfterTheInterrupt) {
    ASSERT_EQ(DownloadAndSignal(SIGINT, true), 130);
    EXPECT_NE(err_.find("慢慢地走"), std::string::npos) << err_;
    EXPECT_EQ(err_.find("流动的声音"), std::string::npos) << err_;
    EXPECT_NE(err_.find("已中断：已下载0首，共2首"), std::string::npos) << err_;
}

}  // namespace
}  // namespace tunewell::testing
