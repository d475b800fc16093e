// SPDX-License-Identifier: GPL-3.0-or-later
// Both updaters against a 1 GiB update offered by the demo site: the
// in-program updater (ProgramUpdater over the window's transfer object)
// and UpDate's start button (upMain::cmdStart_Click), for a 1 GiB program
// with and without a Content-Length and for a 1 GiB signature file. Each
// run happens in a child process of its own, so its peak resident size
// (max RSS) is its own, with TMPDIR pointing at an empty folder. Goals:
// max RSS under 100 MB and nothing left in that folder. One run each; the
// goals are read, not asserted. The demo site runs as its own process
// (the tunewell-demo-site built beside this, or $TUNEWELL_DEMO_SITE) and
// serves the Tunewell built beside it, signed with the build's key.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "transfer/file_download_fetch.h"
#include "ports/event_pump.h"
#include "ports/progress_bar.h"
#include "transfer/file_download.h"
#include "update/program_updater.h"

#ifdef TUNEWELL_BENCH_UPDATER
#include <QApplication>

#include "updater/up_main.h"
#endif

namespace {

namespace stdfs = std::filesystem;

// The demo site process, started with `arguments` and ended by its id.
class SiteProcess {
public:
    explicit SiteProcess(const std::vector<std::string>& arguments) {
        const char* configured = std::getenv("TUNEWELL_DEMO_SITE");
        std::vector<std::string> words{configured ? configured : TUNEWELL_DEMO_SITE, "--port", "0"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        std::string line;
        char c = 0;
        while (pid_ > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
        ::close(out[0]);
        if (line.rfind("http_proxy=", 0) == 0) proxy_ = line.substr(11);
    }
    ~SiteProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    SiteProcess(const SiteProcess&) = delete;
    SiteProcess& operator=(const SiteProcess&) = delete;

    const std::string& Proxy() const { return proxy_; }

private:
    pid_t pid_ = -1;
    std::string proxy_;
};

struct ChildOutcome {
    bool ran = false;
    double maxRssMb = 0;
    std::string said;  // what the updater told the user
};

// Runs `body` in a child process with TMPDIR at `tmp` (and Qt's runtime
// folder at `runtime`, so that only the updater's files land in `tmp`); its
// text comes back through a pipe, its max RSS from wait4.
ChildOutcome RunInChild(const std::string& tmp, const std::string& runtime,
                        const std::function<std::string()>& body) {
    ChildOutcome outcome;
    int out[2];
    if (::pipe(out) != 0) return outcome;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        ::setenv("TMPDIR", tmp.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        std::string said;
        try {
            said = body();
        } catch (const std::exception& error) {
            said = std::string("exception: ") + error.what();
        }
        if (::write(out[1], said.data(), said.size()) < 0) ::_exit(2);
        ::_exit(0);
    }
    ::close(out[1]);
    char buffer[4096];
    for (long got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;)
        outcome.said.append(buffer, static_cast<std::size_t>(got));
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    if (child > 0 && ::wait4(child, &status, 0, &usage) == child) {
        outcome.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        outcome.maxRssMb = static_cast<double>(usage.ru_maxrss) * 1024.0 / 1e6;  // ru_maxrss is in KiB
        if (!WIFEXITED(status)) outcome.said += " (ended by signal " + std::to_string(WTERMSIG(status)) + ")";
    }
    return outcome;
}

class QuietBar : public tunewell::ports::ProgressBar {
public:
    void SetValue(int) override {}
    void SetText(const std::string& text) override { last = text; }
    std::string last;
};

class NoEvents : public tunewell::ports::EventPump {
public:
    void ProcessPending() override {}
};

std::string InProgramUpdate(const std::string& programFolder) {
    using namespace tunewell;
    transfer::CFileDownload fileDownload;
    transfer::FileDownloadFetch transfer(fileDownload);
    QuietBar bar;
    NoEvents events;
    update::UpdateGlobals globals;
    globals.OfferedVersion = "9.9";
    update::ProgramUpdater updater({bar, events, nullptr, [] {}}, transfer, globals, programFolder, "Tunewell");
    fileDownload.OnProgress = [&](std::int64_t bytes, std::int64_t total, std::int32_t speed, std::int32_t,
                                  const std::string&) { updater.ShowProgress(bytes, total, speed); };
    updater.SetSelfUpdate(true);
    updater.StartUpdate();
    return bar.last + "：" + updater.FailureCause();
}

#ifdef TUNEWELL_BENCH_UPDATER
class NoProcesses : public tunewell::platform::ProcessTable {
public:
    std::vector<tunewell::platform::ProcessInfo> Snapshot() const override { return {}; }
    bool End(std::int32_t) override { return false; }
};

std::string UpDateStart() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "update_memory_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    tunewell::updater::upMain window;
    NoProcesses none;
    std::string said;
    window.SetProcessTable(none);
    window.SetSelfUpdate(true);
    window.mayReplace = [](const std::string&) { return true; };
    window.showMessage = [&](const QString& text) { said = text.toStdString(); };
    window.startProgram = [](const QString&) {};
    window.endUpdater = [] {};
    window.cmdStart_Click();
    return said;
}
#endif

// The site's arguments for a case: 0 a 1 GiB program with its length, 1
// the same without it, 2 a 1 GiB signature file.
std::vector<std::string> SiteArguments(std::int64_t shape) {
    std::vector<std::string> arguments{"--offer-version", "9.9"};
    if (shape == 0 || shape == 1) arguments.insert(arguments.end(), {"--program-size", "1G"});
    if (shape == 1) arguments.push_back("--program-chunked");
    if (shape == 2) arguments.insert(arguments.end(), {"--signature-size", "1G"});
    return arguments;
}

void RunCase(benchmark::State& state, const std::function<std::string(const std::string& folder)>& path) {
    const SiteProcess site(SiteArguments(state.range(0)));
    if (site.Proxy().empty()) {
        state.SkipWithError("the demo site did not start");
        return;
    }
    // The updaters reach nothing but the demo site: no proxy setting of
    // the machine may send them elsewhere or around it.
    ::setenv("http_proxy", site.Proxy().c_str(), 1);
    for (const char* name : {"HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy",
                             "NO_PROXY"}) {
        ::unsetenv(name);
    }
    const stdfs::path base = stdfs::temp_directory_path() / ("tw-update-bench-" + std::to_string(::getpid()));
    ChildOutcome outcome;
    std::size_t leftovers = 0;
    for (auto _ : state) {
        stdfs::remove_all(base);
        stdfs::create_directories(base / "tmp");
        stdfs::create_directories(base / "program");
        stdfs::create_directories(base / "runtime");
        stdfs::permissions(base / "runtime", stdfs::perms::owner_all);
        const std::string folder = (base / "program").string();
        outcome = RunInChild((base / "tmp").string(), (base / "runtime").string(), [&] { return path(folder); });
        const stdfs::directory_iterator left(base / "tmp");
        leftovers = static_cast<std::size_t>(std::distance(left, stdfs::directory_iterator{}));
    }
    stdfs::remove_all(base);
    if (!outcome.ran) state.SkipWithError(("the updater's process failed: " + outcome.said).c_str());
    state.counters["max_rss_MB"] = outcome.maxRssMb;
    state.counters["left_behind"] = static_cast<double>(leftovers);
    state.SetLabel(outcome.said);
}

void BM_InProgramUpdater(benchmark::State& state) { RunCase(state, InProgramUpdate); }
BENCHMARK(BM_InProgramUpdater)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef TUNEWELL_BENCH_UPDATER
void BM_UpDate(benchmark::State& state) {
    RunCase(state, [](const std::string&) { return UpDateStart(); });
}
BENCHMARK(BM_UpDate)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

}  // namespace

BENCHMARK_MAIN();
