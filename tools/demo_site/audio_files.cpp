// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/demo_catalogue.h"
#include "demo_site/routes.h"
#include "demo_site/site_names.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace tunewell::demo {
namespace {

// The stream number of the cdn address of kSongHostDotOnly.
constexpr long long kHostDotOnlyStream = 9;

bool IsFeaturedSong(int songId) {
    const std::vector<int> featured = FeaturedSongIds();
    return std::find(featured.begin(), featured.end(), songId) != featured.end();
}

// A song with its entity tag; a ranged request for the rest of it gets a
// 206 with that rest only (what resuming a download relies on).
void SendSong(DemoState& state, const HttpRequest& request, HttpResponse& response, int songId,
              bool declareLength, bool slow) {
    response.SetHeader("Content-Type", "audio/mpeg");
    const auto& options = state.Options();
    const std::uint64_t size =
        options.generatedSongBytes > 0 && !IsFeaturedSong(songId) ? options.generatedSongBytes : AudioSize(songId);
    const std::size_t chunk = slow ? static_cast<std::size_t>(options.slowChunkBytes) : 64 * 1024;
    const int delayMs = slow ? options.slowChunkDelayMs : 0;
    if (!declareLength) {
        StreamGenerated(state, response, static_cast<std::uint64_t>(songId), size, false, chunk, delayMs);
        return;
    }
    const std::string etag = "\"song-" + std::to_string(songId) + "-" + std::to_string(size) + "\"";
    response.SetHeader("ETag", etag);
    response.SetHeader("Accept-Ranges", "bytes");
    const long long first = RangeStart(request, etag, size);
    if (first < 0) {
        StreamGenerated(state, response, static_cast<std::uint64_t>(songId), size, true, chunk, delayMs);
        return;
    }
    const auto from = static_cast<std::uint64_t>(first);
    response.status = 206;
    response.SetHeader("Content-Range", "bytes " + std::to_string(from) + "-" + std::to_string(size - 1) + "/" +
                                            std::to_string(size));
    response.streamLength = static_cast<std::int64_t>(size - from);
    DemoState* site = &state;
    response.stream = [site, songId, from, size, chunk, delayMs](BodySink& sink) {
        for (std::uint64_t offset = from; offset < size;) {
            const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, size - offset));
            if (!sink.Write(GeneratedBytes(static_cast<std::uint64_t>(songId), offset, take))) return false;
            offset += take;
            if (delayMs > 0 && offset < size && !site->SleepUnlessStopping(std::chrono::milliseconds(delayMs)))
                return false;
        }
        return true;
    };
}

void SendMissing(HttpResponse& response) {
    SendGbkPage(response, "<HTML><BODY><H1>404 文件不存在</H1></BODY></HTML>\r\n", 404);
}

// "/audio/[chunked/|slow/|missing/]<id>.<ext>"
bool AudioPath(DemoState& state, const HttpRequest& request, const std::string& path, HttpResponse& response) {
    std::string rest = path.substr(7);
    std::string mode;
    const auto slash = rest.find('/');
    if (slash != std::string::npos) {
        mode = rest.substr(0, slash);
        rest = rest.substr(slash + 1);
    }
    const auto dot = rest.find('.');
    const long long id = ParseDigits(rest.substr(0, dot));
    if (id <= 0 || id > 2147483647 || dot == std::string::npos) return false;
    if (mode == "missing" || id == kSongMissing) {
        SendMissing(response);
    } else if (mode.empty() || mode == "chunked" || mode == "slow") {
        SendSong(state, request, response, static_cast<int>(id), mode != "chunked", mode == "slow");
    } else {
        return false;
    }
    return true;
}

}  // namespace

long long RangeStart(const HttpRequest& request, const std::string& etag, std::uint64_t size) {
    const std::string range = request.Header("Range");
    if (range.rfind("bytes=", 0) != 0 || range.empty() || range.back() != '-') return -1;
    const std::string ifRange = request.Header("If-Range");
    if (!ifRange.empty() && ifRange != etag) return -1;
    const long long first = ParseDigits(range.substr(6, range.size() - 7));
    return first >= 0 && static_cast<std::uint64_t>(first) < size ? first : -1;
}

bool HandleAudio(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    const std::string& path = request.path;
    if (request.host == MusicHostName("cdn.")) {
        if (path != "/stream") return false;
        const long long stream = ParseDigits(request.QueryValue("id"));
        if (stream <= 0 || stream > 2147483647) return false;
        SendSong(state, request, response, stream == kHostDotOnlyStream ? kSongHostDotOnly : static_cast<int>(stream), true,
                 false);
        return true;
    }
    if (path == "/audio/big") {
        // A file of any size for throughput measurements, generated while
        // it is sent (stream 0).
        const long long size = ParseDigits(request.QueryValue("size"));
        if (size < 0) return false;
        response.SetHeader("Content-Type", "application/octet-stream");
        StreamGenerated(state, response, 0, static_cast<std::uint64_t>(size), request.QueryValue("chunked") != "1",
                        256 * 1024);
        return true;
    }
    if (path.rfind("/audio/", 0) == 0) return AudioPath(state, request, path, response);
    return false;
}

}  // namespace tunewell::demo
