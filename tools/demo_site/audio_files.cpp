#include "demo_site/demo_catalogue.h"
#include "demo_site/routes.h"
#include "demo_site/site_names.h"

namespace tunewell::demo {
namespace {

// The stream number of the cdn address of kSongHostDotOnly.
constexpr long long kHostDotOnlyStream = 9;

void SendSong(DemoState& state, HttpResponse& response, int songId, bool declareLength, bool slow) {
    response.SetHeader("Content-Type", "audio/mpeg");
    const auto& options = state.Options();
    if (slow) {
        StreamGenerated(state, response, static_cast<std::uint64_t>(songId), AudioSize(songId), true,
                        static_cast<std::size_t>(options.slowChunkBytes), options.slowChunkDelayMs);
    } else {
        StreamGenerated(state, response, static_cast<std::uint64_t>(songId), AudioSize(songId), declareLength);
    }
}

void SendMissing(HttpResponse& response) {
    SendGbkPage(response, "<HTML><BODY><H1>404 文件不存在</H1></BODY></HTML>\r\n", 404);
}

// "/audio/[chunked/|slow/|missing/]<id>.<ext>"
bool AudioPath(DemoState& state, const std::string& path, HttpResponse& response) {
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
        SendSong(state, response, static_cast<int>(id), mode != "chunked", mode == "slow");
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool HandleAudio(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    const std::string& path = request.path;
    if (request.host == MusicHostName("cdn.")) {
        if (path != "/stream") return false;
        const long long stream = ParseDigits(request.QueryValue("id"));
        if (stream <= 0 || stream > 2147483647) return false;
        SendSong(state, response, stream == kHostDotOnlyStream ? kSongHostDotOnly : static_cast<int>(stream), true,
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
    if (path.rfind("/audio/", 0) == 0) return AudioPath(state, path, response);
    return false;
}

}  // namespace tunewell::demo
