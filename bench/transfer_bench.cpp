// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of CFileDownload against the curl tool: a 1 GiB body streamed
// by a local server over loopback, fetched in the same run by `curl` and by
// StartDownloading (with a progress handler and an event-processing step
// that do real work), once discarding the data and once into a file.
//
// In the discarding case both write into /dev/null (StartDownloading
// writes a device directly). Memory: the peak resident size of this
// process before and after the 1 GiB transfers must stay flat.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "loopback_server.h"
#include "net/wait_pump.h"
#include "transfer/file_download.h"

extern char** environ;

namespace {

using tunewell::transfer::CFileDownload;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kBodySize = std::size_t{1} << 30;
constexpr std::size_t kPiece = std::size_t{1} << 20;

class BodyServer {
public:
    BodyServer() : pattern_(2 * kPiece) {
        for (std::size_t i = 0; i < pattern_.size(); ++i)
            pattern_[i] = static_cast<char>(i * 131 + (i >> 9));
        server_.Http().Get("/body", [this](const httplib::Request& req, httplib::Response& res) {
            const std::size_t size =
                req.has_param("size") ? std::stoull(req.get_param_value("size")) : kBodySize;
            res.set_content_provider(
                size, "application/octet-stream",
                [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                    const std::size_t n = std::min(length, kPiece);
                    return sink.write(pattern_.data() + offset % kPiece, n);
                });
        });
        server_.Start();
    }
    std::string Url(std::size_t size = kBodySize) const { return server_.Url("/body?size=" + std::to_string(size)); }

private:
    std::vector<char> pattern_;
    tunewell::bench::LoopbackServer server_;
};

BodyServer& Server() {
    static BodyServer server;
    return server;
}

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double RunCurl(const std::string& url, const std::string& target) {
    const char* argv[] = {"curl", "-s",           "-f",        "--noproxy", "*",
                          "-o",   target.c_str(), url.c_str(), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// What a window does per report: a percentage and a caption for its bar,
// then a little event processing.
struct BusyOwner {
    std::uint64_t reports = 0, pumps = 0, work = 0;
    std::string caption;

    // The pump is the process's: it goes with the owner.
    ~BusyOwner() { tunewell::net::SetWaitPump(nullptr); }

    void Attach(CFileDownload& download) {
        download.OnProgress = [this](std::int64_t p, std::int64_t m, std::int32_t speed,
                                     std::int32_t, const std::string&) {
            ++reports;
            if (p != 0 && m != 0)
                caption =
                    "已下载" + std::to_string(p * 100 / m) + "% " + std::to_string(speed) + "KB/S";
        };
        tunewell::net::SetWaitPump([this](tunewell::net::WaitKind) {
            ++pumps;
            std::uint64_t x = pumps;
            for (int i = 0; i < 2000; ++i) x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            work += x;
        });
    }
};

double RunTransfer(CFileDownload& download, const std::string& url, const std::string& target) {
    const auto start = Clock::now();
    const bool ok = download.StartDownloading(url, target);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return ok ? seconds : -1;
}

// Each iteration fetches the body once with curl and once with
// StartDownloading, back to back, so both see the same machine load.
void Compare(benchmark::State& state, const char* label, const std::string& curlTarget,
             const std::string& ourTarget) {
    const std::string url = Server().Url();
    CFileDownload download;
    BusyOwner owner;
    owner.Attach(download);
    // Warm up with 64 MiB, then take the memory baseline.
    download.StartDownloading(Server().Url(64 << 20), ourTarget);
    if (ourTarget != "/dev/null") std::remove(ourTarget.c_str());
    const double rssBefore = PeakRssMiB();

    double curlTotal = 0, ourTotal = 0, curlBest = 1e9, ourBest = 1e9;
    bool curlFirst = true;
    for (auto _ : state) {
        double curlSeconds = 0, ourSeconds = 0;
        // Alternate the order so neither side always inherits the other's
        // page-cache and writeback state.
        for (int side = 0; side < 2; ++side) {
            sync();
            if ((side == 0) == curlFirst) {
                curlSeconds = RunCurl(url, curlTarget);
                if (curlTarget != "/dev/null") std::remove(curlTarget.c_str());
            } else {
                ourSeconds = RunTransfer(download, url, ourTarget);
                if (ourTarget != "/dev/null") std::remove(ourTarget.c_str());
            }
        }
        curlFirst = !curlFirst;
        if (curlSeconds <= 0 || ourSeconds <= 0) {
            state.SkipWithError("a transfer failed");
            break;
        }
        state.SetIterationTime(ourSeconds);
        curlTotal += curlSeconds;
        ourTotal += ourSeconds;
        curlBest = std::min(curlBest, curlSeconds);
        ourBest = std::min(ourBest, ourSeconds);
    }
    if (ourTotal <= 0) return;
    const double mib =
        static_cast<double>(kBodySize) * static_cast<double>(state.iterations()) / (1 << 20);
    state.counters["ours_MiBps"] = mib / ourTotal;
    state.counters["curl_MiBps"] = mib / curlTotal;
    state.counters["ratio"] = curlTotal / ourTotal;
    state.counters["ratio_best"] = curlBest / ourBest;  // less sensitive to a busy machine
    state.counters["rss_before_MiB"] = rssBefore;
    state.counters["rss_after_MiB"] = PeakRssMiB();
    state.counters["reports"] =
        static_cast<double>(owner.reports) / static_cast<double>(state.iterations());
    std::fprintf(stderr,
                 "%s: ours %.0f MiB/s, curl %.0f MiB/s, ratio %.3f (best runs %.3f), "
                 "peak RSS %.1f -> %.1f MiB\n",
                 label, mib / ourTotal, mib / curlTotal, curlTotal / ourTotal, curlBest / ourBest,
                 rssBefore, PeakRssMiB());
}

std::string TempFolder() {
    const char* dir = std::getenv("TMPDIR");
    return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

void BM_Discard(benchmark::State& state) {
    Compare(state, "discard", "/dev/null", "/dev/null");
}

void BM_IntoFile(benchmark::State& state) {
    Compare(state, "into a file", TempFolder() + "/tw-transfer-bench-curl.bin",
            TempFolder() + "/tw-transfer-bench.bin");
}

}  // namespace

BENCHMARK(BM_Discard)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IntoFile)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
