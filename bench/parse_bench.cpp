// SPDX-License-Identifier: GPL-3.0-or-later
// The parse stage of the list step on a joined body of many entries: time
// should grow linearly with the entries, and the peak memory the parse adds
// should stay within a few times the body's size.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "catalogue/catalogue_state.h"
#include "catalogue/song_catalogue.h"
#include "catalogue/song_parser.h"
#include "demo_site/demo_site.h"
#include "hosts/site_hosts.h"
#include "ports/memory_song_list.h"
#include "ports/ui_ports.h"
#include "settings/config.h"
#include "text/charset.h"
#include "text/text_utils.h"

namespace {

std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};

}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size + sizeof(std::max_align_t));
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const long long live = g_live += static_cast<long long>(size);
    long long peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {}
    return static_cast<char*>(block) + sizeof(std::max_align_t);
}

void operator delete(void* pointer) noexcept {
    if (pointer == nullptr) return;
    void* block = static_cast<char*>(pointer) - sizeof(std::max_align_t);
    g_live -= static_cast<long long>(*static_cast<std::size_t*>(block));
    std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace {

// A joined body as paged chart pages give it: script calls with Chinese
// titles and performers, rule W.
std::string MakeBody(int entries) {
    std::string body = "</colgroup> <script>";
    for (int i = 0; i < entries; ++i) {
        body += "wl(\"7\",\"" + std::to_string(100000 + i) + "\",\"歌曲 song title " +
                std::to_string(i) + "\",\"歌手 singer\");";
    }
    return body + "</script>";
}

void BM_ParseSongs(benchmark::State& state) {
    const std::string body = MakeBody(static_cast<int>(state.range(0)));
    long long peakAdded = 0;
    for (auto _ : state) {
        const long long before = g_live.load();
        g_peak = before;
        auto songs = tunewell::catalogue::ParseSongs(body, "wl(");
        benchmark::DoNotOptimize(songs.data());
        peakAdded = g_peak.load() - before;
    }
    state.counters["entries"] = static_cast<double>(state.range(0));
    state.counters["body_MB"] = static_cast<double>(body.size()) / 1e6;
    state.counters["peak_over_body"] = static_cast<double>(peakAdded) / static_cast<double>(body.size());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The decoding and normalising of a fetched page: its GBK bytes become
// lower-cased text without line breaks. The peak memory added over the
// bytes should stay near the text's own size.
void BM_DecodePage(benchmark::State& state) {
    std::string bytes;
    const std::string line = "<TR><TD>\xB8\xE8\xC7\xFA song \xB8\xE8\xCA\xD6</TD></TR>\r\n";
    while (bytes.size() < static_cast<std::size_t>(state.range(0)) * 1024 * 1024) bytes += line;
    long long peakAdded = 0;
    for (auto _ : state) {
        const long long before = g_live.load();
        g_peak = before;
        std::string page = tunewell::text::BytesToBstr(bytes, "gb2312");
        tunewell::text::NormalizePage(page);
        benchmark::DoNotOptimize(page.data());
        peakAdded = g_peak.load() - before;
    }
    state.counters["bytes_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["peak_over_bytes"] = static_cast<double>(peakAdded) / static_cast<double>(bytes.size());
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(bytes.size()));
}

// The whole list step on the demo site's page of one entry followed by
// "msl(" over and over (60 MB: 15 million bare entries, each repeating the
// song before it): fetch, decode, normalise, cut, parse and fill the list.
// The rows stop at their bound; the heap's peak (and the process's largest
// resident size so far) must stay under 512 MB.
struct QuietUi : tunewell::ports::StatusLine, tunewell::ports::MessageBox, tunewell::ports::EventPump,
                 tunewell::ports::WindowSwitcher {
    void SetText(const std::string& text) override { last = text; }
    std::string Text() const override { return last; }
    void SetColour(std::uint32_t) override {}
    void Show(const std::string& text) override { last = text; }
    void ProcessPending() override {}
    void ShowSettingsHideMain() override {}
    std::string last;
};

void BM_RepeatedEntryPage(benchmark::State& state) {
    tunewell::demo::DemoSite site;
    if (site.Start(0) <= 0) {
        state.SkipWithError("the demo site could not listen");
        return;
    }
    ::setenv("http_proxy", site.ProxyUrl().c_str(), 1);
    ::unsetenv("no_proxy");
    const std::string address = std::string("http://") + tunewell::hosts::kMusicHost +
                                "/hostile/repeated?size=" + std::to_string(state.range(0) * 1024 * 1024);
    long long peakAdded = 0;
    int rows = 0;
    for (auto _ : state) {
        QuietUi ui;
        tunewell::ports::MemorySongList songs;
        tunewell::ports::UiPorts ports{ui, ui, songs, ui, ui};
        tunewell::settings::Config config;
        config.GetPage = 1;
        tunewell::catalogue::CatalogueState catalogueState;
        tunewell::catalogue::SongCatalogue catalogue(ports, config, catalogueState);
        const long long before = g_live.load();
        g_peak = before;
        catalogue.FetchSongList(address);
        peakAdded = g_peak.load() - before;
        rows = songs.RowCount();
    }
    site.Stop();
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["page_MB"] = static_cast<double>(state.range(0));
    state.counters["rows"] = rows;
    state.counters["heap_peak_MB"] = static_cast<double>(peakAdded) / (1024.0 * 1024.0);
    state.counters["max_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

BENCHMARK(BM_RepeatedEntryPage)->Arg(60)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePage)->Arg(8)->Arg(60)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseSongs)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
