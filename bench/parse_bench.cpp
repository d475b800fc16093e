// The parse stage of the list step on a joined body of many entries: time
// should grow linearly with the entries, and the peak memory the parse adds
// should stay within a few times the body's size.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "catalogue/song_parser.h"
#include "web/charset.h"
#include "web/text_utils.h"

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
        std::string page = tunewell::web::BytesToBstr(bytes, "gb2312");
        tunewell::web::NormalizePage(page);
        benchmark::DoNotOptimize(page.data());
        peakAdded = g_peak.load() - before;
    }
    state.counters["bytes_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["peak_over_bytes"] = static_cast<double>(peakAdded) / static_cast<double>(bytes.size());
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(bytes.size()));
}

}  // namespace

BENCHMARK(BM_DecodePage)->Arg(8)->Arg(60)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseSongs)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
