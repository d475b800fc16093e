// SPDX-License-Identifier: GPL-3.0-or-later
// The largest resident size of a real tunewell-cli running its list step
// against the demo site's largest pages (the site runs in this process on
// 127.0.0.1 and is the child's http_proxy): one entry of 20 million ","
// separators, one of 15 million ", ", 20 following pages of 30 MiB each
// (GetPage=20), and a 60 MiB page of bare repeated entries. Goal: under
// 512 MB each. One run each; the goal is read, not asserted. The window's
// list step on the same pages is measured by window_gui_bench.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "child_process.h"
#include "demo_site/demo_site.h"
#include "hosts/site_hosts.h"
#include "large_pages.h"

namespace {

namespace stdfs = std::filesystem;

// The last status line tunewell-cli wrote ("[...]" on standard error).
std::string LastStatus(const std::string& err) {
    const auto start = err.rfind("\n[");
    if (start == std::string::npos) return err.rfind('[', 0) == 0 ? err.substr(0, err.find('\n')) : std::string();
    return err.substr(start + 1, err.find('\n', start + 1) - start - 1);
}

void BM_CliListPeakMemory(benchmark::State& state) {
    const tunewell::bench::LargePage& shape = tunewell::bench::kLargePages[state.range(0)];
    tunewell::demo::DemoSite site;
    if (site.Start(0) <= 0) {
        state.SkipWithError("the demo site could not listen");
        return;
    }
    const stdfs::path folder = stdfs::temp_directory_path() / ("tw-page-memory-bench-" + std::to_string(::getpid()));
    stdfs::create_directories(folder / "songs");
    // A copy of its own, so that the Config.ini beside it is the bench's.
    stdfs::copy_file(TUNEWELL_CLI, folder / "tunewell-cli", stdfs::copy_options::overwrite_existing);
    std::ofstream(folder / "Config.ini", std::ios::binary)
        << "[Config]\r\nSavePath=" << (folder / "songs").string() << "\r\nGetPage=" << shape.getPage << "\r\n";
    const std::string address = std::string("http://") + tunewell::hosts::kMusicHost + shape.path;
    tunewell::bench::ChildRun run;
    for (auto _ : state) {
        run = tunewell::bench::RunChild({(folder / "tunewell-cli").string(), "list", address},
                                        tunewell::bench::ProxyEnvironment(site.ProxyUrl()), folder.string());
    }
    site.Stop();
    stdfs::remove_all(folder);
    if (run.exitStatus < 0) state.SkipWithError("tunewell-cli did not run to its end");
    state.counters["max_rss_MB"] = run.maxRssMB;
    state.counters["rows"] = tunewell::bench::LineCount(run.out);
    state.counters["get_page"] = shape.getPage;
    state.SetLabel(std::string(shape.path) + " | " + LastStatus(run.err));
}

}  // namespace

BENCHMARK(BM_CliListPeakMemory)->DenseRange(0, tunewell::bench::kLargePageCount - 1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
