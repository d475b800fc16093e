// SPDX-License-Identifier: GPL-3.0-or-later
// Song addresses that answer with no song, or with a song that lies about
// its length: what a site under maintenance, a broken mirror or a hostile
// server sends a downloader.
#include <string>

#include "demo_site/demo_catalogue.h"
#include "demo_site/demo_state.h"
#include "demo_site/routes.h"
#include "demo_site/site_names.h"

namespace tunewell::demo {
namespace {

std::string EtagOf(int songId) { return "\"hostile-" + std::to_string(songId) + "\""; }

// How a 206 lies: its Content-Range is right, but its body runs
// kRangeExcessBytes past the end, announced (a Content-Length) or only
// sent (chunked), or it ends that many bytes early (chunked).
enum class RangeLie { kNone, kAnnouncedLonger, kRunsLonger, kEndsEarly };

// The whole song with its entity tag; a range of it gets a lying 206.
void SendLyingRange(const HttpRequest& request, HttpResponse& response, int songId, RangeLie lie) {
    const std::uint64_t size = AudioSize(songId);
    const std::string etag = EtagOf(songId);
    response.SetHeader("Content-Type", "audio/mpeg");
    response.SetHeader("ETag", etag);
    response.SetHeader("Accept-Ranges", "bytes");
    const long long first = RangeStart(request, etag, size);
    if (first < 0) {
        response.body = AudioContent(songId);
        return;
    }
    const auto from = static_cast<std::uint64_t>(first);
    response.status = 206;
    response.SetHeader("Content-Range", "bytes " + std::to_string(from) + "-" + std::to_string(size - 1) + "/" +
                                            std::to_string(size));
    std::string body = GeneratedBytes(static_cast<std::uint64_t>(songId), from, size - from);
    if (lie == RangeLie::kEndsEarly) {
        body.resize(body.size() > kRangeExcessBytes ? body.size() - kRangeExcessBytes : 0);
    } else if (lie != RangeLie::kNone) {
        body += GeneratedBytes(7, 0, kRangeExcessBytes);
    }
    response.streamLength =
        lie == RangeLie::kAnnouncedLonger || lie == RangeLie::kNone ? static_cast<std::int64_t>(body.size()) : -1;
    response.stream = [body](BodySink& sink) { return sink.Write(body); };
}

// A server too busy for the first kBusyRequests requests, then the song.
void SendBusyFirst(DemoState& state, const HttpRequest& request, HttpResponse& response, int songId,
                   bool hint) {
    if (state.CountRequest(request.path) > kBusyRequests) {
        SendLyingRange(request, response, songId, RangeLie::kNone);
        return;
    }
    SendGbkPage(response, "<HTML><BODY><H1>服务器忙</H1></BODY></HTML>\r\n", 503);
    if (hint) response.SetHeader("Retry-After", "1");
}

// The first request announces the whole song and breaks off after
// kCutOnceBytes; the later ones get the song, or its rest, whole.
void SendCutOnce(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    if (state.CountRequest(request.path) > 1) {
        SendLyingRange(request, response, kSongCutOnce, RangeLie::kNone);
        return;
    }
    const std::uint64_t size = AudioSize(kSongCutOnce);
    response.SetHeader("Content-Type", "audio/mpeg");
    response.SetHeader("ETag", EtagOf(kSongCutOnce));
    response.SetHeader("Accept-Ranges", "bytes");
    response.streamLength = static_cast<std::int64_t>(size);
    const std::string head = AudioContent(kSongCutOnce).substr(0, kCutOnceBytes);
    response.stream = [head](BodySink& sink) {
        sink.Write(head);
        return false;
    };
}

}  // namespace

bool HandleHostileSong(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    const std::string& path = request.path;  // "/hostile/song/<id>.mp3"
    const std::string file = path.substr(path.rfind('/') + 1);
    const auto dot = file.find('.');
    if (dot == std::string::npos) return false;
    const long long id = ParseDigits(file.substr(0, dot));
    switch (id) {
        case kSongMaintenancePage:
            SendGbkPage(response, "\r\n\r\n  <HTML><HEAD><TITLE>维护中</TITLE></HEAD><BODY><H1>网站维护中，请稍后再来。"
                                  "</H1></BODY></HTML>\r\n");
            break;
        case kSongNotFoundPage:
            SendGbkPage(response, "<HTML><BODY><H1>文件不存在</H1></BODY></HTML>\r\n");
            response.SetHeader("ETag", EtagOf(kSongNotFoundPage));
            break;
        case kSongNoContent: response.status = 204; break;
        case kSongMovedNowhere:
            SendGbkPage(response, "<HTML><BODY><H1>文件已移走</H1></BODY></HTML>\r\n", 302);
            break;
        case kSongChoices:
            SendGbkPage(response, "<HTML><BODY><A href=\"/audio/1001.mp3\">MP3</A> <A href=\"/audio/1001.wma\">WMA</A>"
                                  "</BODY></HTML>\r\n", 300);
            break;
        case kSongRedirectLoop: SendRedirect(response, MusicAddress(path)); break;
        case kSongNotModified:
            response.status = 304;
            response.SetHeader("ETag", EtagOf(kSongNotModified));
            break;
        case kSongEmpty:
            response.SetHeader("Content-Type", "audio/mpeg");
            response.SetHeader("ETag", EtagOf(kSongEmpty));
            break;
        case kSongTypedAsPage:
            response.SetHeader("Content-Type", "text/html");
            response.body = AudioContent(kSongTypedAsPage);
            break;
        case kSongLongRange: SendLyingRange(request, response, kSongLongRange, RangeLie::kAnnouncedLonger); break;
        case kSongOverrunRange: SendLyingRange(request, response, kSongOverrunRange, RangeLie::kRunsLonger); break;
        case kSongShortRange: SendLyingRange(request, response, kSongShortRange, RangeLie::kEndsEarly); break;
        case kSongBusyTwice: SendBusyFirst(state, request, response, kSongBusyTwice, true); break;
        case kSongBusyNoHint: SendBusyFirst(state, request, response, kSongBusyNoHint, false); break;
        case kSongCutOnce: SendCutOnce(state, request, response); break;
        case kSongTagged:
            response.SetHeader("Content-Type", "audio/mpeg");
            response.body = AudioContent(kSongTagged);
            break;
        default: return false;
    }
    return true;
}

}  // namespace tunewell::demo
