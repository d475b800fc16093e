// SPDX-License-Identifier: GPL-3.0-or-later
// distant_link_server [--port N] [--rtt-ms MS] [--connection-rate B/S]
//                     [--line-rate B/S] [--songs N] [--song-bytes B]
//
// The demo site behind a simulated distant link, for bench/distant_link.sh:
// a round trip before each new connection and before each reply, a rate
// per connection and a line rate shared by all connections, HTTP/1.1
// keep-alive. Serves one chart page of N songs of B bytes each (and the
// play page, like the demo site). Prints, before serving until killed:
//   http_proxy=http://127.0.0.1:PORT
//   list=<the chart page's address>
//   play=<the play page's address for all the songs>
//   song=<address of each song's file>, in list order
// Defaults: 300 ms, 1 MB/s per connection, 4 MB/s line, 20 songs of 300 KB.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <pthread.h>

#include "demo_site/demo_catalogue.h"
#include "demo_site/demo_site.h"
#include "demo_site/site_names.h"

namespace {

// The chart's first song id (the demo site numbers chart songs from here).
constexpr int kFirstChartSong = 3001;

bool NumberArgument(const char* text, double low, double high, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= low && value <= high;
}

}  // namespace

int main(int argc, char** argv) {
    double port = 0, rttMs = 300, connectionRate = 1e6, lineRate = 4e6, songs = 20, songBytes = 300 * 1024;
    for (int i = 1; i + 1 < argc; i += 2) {
        double* target = std::strcmp(argv[i], "--port") == 0              ? &port
                         : std::strcmp(argv[i], "--rtt-ms") == 0          ? &rttMs
                         : std::strcmp(argv[i], "--connection-rate") == 0 ? &connectionRate
                         : std::strcmp(argv[i], "--line-rate") == 0       ? &lineRate
                         : std::strcmp(argv[i], "--songs") == 0           ? &songs
                         : std::strcmp(argv[i], "--song-bytes") == 0      ? &songBytes
                                                                          : nullptr;
        if (target == nullptr || !NumberArgument(argv[i + 1], 0, 1e12, *target)) {
            std::fprintf(stderr, "distant_link_server: bad argument %s\n", argv[i]);
            return 2;
        }
    }
    if (argc % 2 == 0 || songs < 1 || songs > 500 || port > 65535) {
        std::fprintf(stderr, "usage: distant_link_server [--port N] [--rtt-ms MS] [--connection-rate B/S]"
                             " [--line-rate B/S] [--songs N] [--song-bytes B]\n");
        return 2;
    }
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    tunewell::demo::DemoOptions options;
    options.chartPages = 1;
    options.chartPageSongs = static_cast<int>(songs);
    options.generatedSongBytes = static_cast<std::uint64_t>(songBytes);
    tunewell::demo::DemoSite site(options);
    tunewell::demo::LinkShape link;
    link.roundTrip = std::chrono::milliseconds(static_cast<long long>(rttMs));
    link.connectionBytesPerSecond = connectionRate;
    link.lineBytesPerSecond = lineRate;
    site.SetLink(link);
    if (site.Start(static_cast<int>(port)) < 0) {
        std::fprintf(stderr, "distant_link_server: cannot listen\n");
        return 1;
    }
    std::printf("http_proxy=%s\n", site.ProxyUrl().c_str());
    std::printf("list=%s\n", tunewell::demo::MusicAddress("/music/chart/", "www.").c_str());
    std::string ids;
    for (int k = 0; k < static_cast<int>(songs); ++k) ids += (k > 0 ? "," : "") + std::to_string(kFirstChartSong + k);
    std::printf("play=%s\n", tunewell::demo::MusicAddress("/play.php?song_id=" + ids, "www.").c_str());
    for (int k = 0; k < static_cast<int>(songs); ++k) {
        std::printf("song=%s\n", tunewell::demo::FindSong(kFirstChartSong + k).address.c_str());
    }
    std::fflush(stdout);
    int received = 0;
    sigwait(&stopSignals, &received);
    std::fprintf(stderr, "distant_link_server: %ld connections, %zu requests\n", site.ConnectionsAccepted(),
                 site.Requests().size());
    site.Stop();
    return 0;
}
