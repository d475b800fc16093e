// SPDX-License-Identifier: GPL-3.0-or-later
// The speed limit against its target: 2 MiB at 200 KiB/s should take about
// 10.2 s, through the window's single transfer and through two songs side
// by side sharing the limit (1 MiB each). Reports the rate reached and its
// ratio to the limit (1.0 is exact; above it the limit leaks).
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "loopback_server.h"
#include "transfer/file_download.h"
#include "transfer/transfer_batch.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t kLimit = 200 * 1024;
constexpr std::size_t kSongBytes = std::size_t{2} << 20;

class BodyServer {
public:
    BodyServer() : body_(kSongBytes, 'x') {
        server_.Http().Get("/body", [this](const httplib::Request& req, httplib::Response& res) {
            const std::size_t size = std::stoull(req.get_param_value("size"));
            res.set_content(body_.data(), size, "audio/mpeg");
        });
        server_.Start();
    }
    std::string Url(std::size_t size, int song) const {
        return server_.Url("/body?size=" + std::to_string(size) + "&song=" + std::to_string(song));
    }

private:
    std::string body_;
    tunewell::bench::LoopbackServer server_;
};

std::string TempFile(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + name;
}

void Report(benchmark::State& state, const char* label, double bytes, double seconds) {
    const double rate = bytes / seconds;
    state.counters["KiBps"] = rate / 1024;
    state.counters["ratio_to_limit"] = rate / static_cast<double>(kLimit);
    std::fprintf(stderr, "%s: %.0f KiB in %.2f s, %.1f KiB/s (limit %lld KiB/s, ratio %.3f)\n", label, bytes / 1024,
                 seconds, rate / 1024, static_cast<long long>(kLimit / 1024), rate / static_cast<double>(kLimit));
}

void BM_OneSong(benchmark::State& state) {
    BodyServer server;
    const std::string target = TempFile("tw-rate-bench.mp3");
    for (auto _ : state) {
        tunewell::transfer::CFileDownload download;
        download.SetRateLimit(kLimit);
        const auto start = Clock::now();
        const bool ok = download.StartDownloading(server.Url(kSongBytes, 1), target);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::remove(target.c_str());
        if (!ok) {
            state.SkipWithError("the transfer failed");
            break;
        }
        state.SetIterationTime(seconds);
        Report(state, "one song", static_cast<double>(kSongBytes), seconds);
    }
}

void BM_TwoSongsSideBySide(benchmark::State& state) {
    BodyServer server;
    const std::string first = TempFile("tw-rate-bench-1.mp3"), second = TempFile("tw-rate-bench-2.mp3");
    for (auto _ : state) {
        tunewell::transfer::TransferBatch batch;
        batch.SetRateLimit(kLimit);
        const auto start = Clock::now();
        bool ok = batch.Start(1, server.Url(kSongBytes / 2, 1), first) &&
                  batch.Start(2, server.Url(kSongBytes / 2, 2), second);
        while (ok && batch.Running() > 0) {
            for (const auto& ended : batch.Round()) ok = ok && ended.saved;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::remove(first.c_str());
        std::remove(second.c_str());
        if (!ok) {
            state.SkipWithError("a transfer failed");
            break;
        }
        state.SetIterationTime(seconds);
        Report(state, "two songs side by side", static_cast<double>(kSongBytes), seconds);
    }
}

}  // namespace

BENCHMARK(BM_OneSong)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoSongsSideBySide)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
