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

#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"

namespace tunewell::testing {
namespace {

namespace stdfs = std::filesystem;

class CliInterruptTest : public DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        Options().slowChunkDelayMs = 500;  // the slow song takes half a minute
        // A program folder of its own, so Config.ini lands here.
        stdfs::copy_file(TUNEWELL_CLI, folder_.File("tunewell-cli"));
        stdfs::create_directories(songs_);
        WriteBytes(folder_.File("Config.ini"), "[Config]\r\nSavePath=" + songs_ + "\r\n");
    }

    // Starts the download of the slow song, waits until its bytes are
    // arriving, sends `signal` and returns the status.
    int DownloadAndSignal(int signal) {
        const auto ids = demo::FeaturedSongIds();
        const auto row = std::find(ids.begin(), ids.end(), demo::kSongSlow) - ids.begin() + 1;
        std::vector<std::string> args = {folder_.File("tunewell-cli"), "download", MusicUrl("/album/232523"),
                                         std::to_string(row)};
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
        while (::read(pipeFds[0], buffer, sizeof buffer) > 0) {
        }
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

    TempFolder folder_;
    std::string songs_ = folder_.File("songs");
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
