// The window layer under load: the song list model with 10,000 and 100,000
// rows (fill, tick all, invert, remove 100 ids by tag; each should grow
// linearly), and a 1 GiB transfer through the window's own transfer object
// with the events processed in every progress report, against the curl
// tool into a file in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "demo_site/demo_site.h"
#include "transfer/file_download.h"
#include "widgets/progress_bar_widget.h"
#include "shell/song_list_model.h"
#include "shell/song_list_view.h"
#include "demo_site/site_names.h"

namespace {

using Clock = std::chrono::steady_clock;
using tunewell::shell::SongListModel;

// A model shown in a view, as in the window, filled with `rows` songs.
struct ShownList {
    explicit ShownList(int rows) {
        view.setModel(&model);
        view.resize(360, 240);
        view.show();
        Fill(rows);
    }
    void Fill(int rows) {
        model.Prepare();
        for (int i = 1; i <= rows; ++i) {
            model.AddRow(i, 100000 + i, std::to_string(100000 + i), "歌曲 song " + std::to_string(i));
        }
        model.Flush();
        QCoreApplication::processEvents();
    }
    SongListModel model;
    tunewell::shell::SongListView view;
};

void BM_FillList(benchmark::State& state) {
    ShownList list(0);
    for (auto _ : state) list.Fill(static_cast<int>(state.range(0)));
}

void BM_TickAll(benchmark::State& state) {
    ShownList list(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        list.model.CheckAll();
        QCoreApplication::processEvents();
    }
}

void BM_Invert(benchmark::State& state) {
    ShownList list(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        list.model.InvertChecks();
        QCoreApplication::processEvents();
    }
}

void BM_Remove100Ids(benchmark::State& state) {
    ShownList list(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        list.Fill(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        for (int i = 1; i <= 100; ++i) list.model.RemoveByTag(100000 + i * 37);
        QCoreApplication::processEvents();
    }
}

// 1 GiB from the demo site's stream: the window's transfer (bar updated and
// events processed in every report) against `curl -o FILE`, one after the
// other, as a ratio of throughputs.
void BM_WindowTransferVsCurl(benchmark::State& state) {
    tunewell::demo::DemoSite site;
    site.Start(0);
    const std::string address = tunewell::demo::MusicAddress("/audio/big?size=1073741824");
    const auto folder = std::filesystem::temp_directory_path() / "tw-window-bench";
    std::filesystem::create_directories(folder);
    const std::string target = (folder / "song.mp3").string();
    tunewell::widgets::ProgressBar bar;
    bar.resize(360, 17);
    bar.show();
    tunewell::transfer::CFileDownload download;
    download.SetEventPump([] { QCoreApplication::processEvents(); });
    long long longestGapMs = 0;
    long long gapsOver50Ms = 0;
    auto lastPump = Clock::now();
    download.OnProgress = [&](std::int64_t bytes, std::int64_t total, std::int32_t, std::int32_t,
                              const std::string&) {
        if (total > 0) bar.SetValue(static_cast<int>(bytes * 100 / total));
        const auto now = Clock::now();
        const long long gap = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastPump).count();
        longestGapMs = std::max(longestGapMs, gap);
        gapsOver50Ms += gap > 50 ? 1 : 0;
        lastPump = now;
    };
    setenv("http_proxy", site.ProxyUrl().c_str(), 1);
    const std::string curl = "curl -s -o " + (folder / "curl.bin").string() + " -x " + site.ProxyUrl() +
                             " '" + address + "'";
    double ratio = 0;
    for (auto _ : state) {
        const auto curlStart = Clock::now();
        if (std::system(curl.c_str()) != 0) state.SkipWithError("curl failed");
        const double curlSeconds = std::chrono::duration<double>(Clock::now() - curlStart).count();
        lastPump = Clock::now();
        const auto ownStart = Clock::now();
        if (!download.StartDownloading(address, target)) state.SkipWithError("transfer failed");
        const double ownSeconds = std::chrono::duration<double>(Clock::now() - ownStart).count();
        ratio = curlSeconds / ownSeconds;
        std::filesystem::remove(target);
        std::filesystem::remove(folder / "curl.bin");
    }
    state.counters["ratio_to_curl"] = ratio;
    state.counters["longest_pump_gap_ms"] = static_cast<double>(longestGapMs);
    state.counters["pump_gaps_over_50ms"] = static_cast<double>(gapsOver50Ms);
    unsetenv("http_proxy");
    site.Stop();
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_FillList)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickAll)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Invert)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Remove100Ids)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowTransferVsCurl)->Iterations(2)->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
