// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>

#include "base/text.h"
#include "demo_site/demo_catalogue.h"
#include "demo_site/program_signing.h"
#include "demo_site/gif_image.h"
#include "demo_site/routes.h"
#include "demo_site/site_names.h"
#include "trust/sha256_stream.h"
#include "trust/update_signature.h"

namespace tunewell::demo {
namespace {

void VersionReply(DemoState& state, HttpResponse& response) {
    const auto& options = state.Options();
    std::string reply = options.versionReply;
    if (reply.empty()) {
        const bool served = state.ProgramServed() && !options.servedVersion.empty();
        const std::string& version = served ? options.servedVersion : options.latestVersion;
        if (options.sendVersion) reply += "{TunewellVerSion}" + version + "{/TunewellVerSion}\r\n";
        if (options.sendAd) {
            const std::string ad =
                options.adText.empty() ? VersionAddress("/ad.gif") + "||http://example-ad-link" : options.adText;
            reply += "{TunewellAD}" + ad + "{/TunewellAD}\r\n";
        }
    }
    SendGbkPage(response, reply, options.versionStatus);
}

std::optional<std::string> ProgramBytes(const DemoOptions& options, int edition) {
    if (!options.programFile.empty()) {
        std::ifstream in(options.programFile, std::ios::binary);
        if (!in) return std::nullopt;
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    const std::string& configured = edition == 2 ? options.program2Bytes : options.programBytes;
    return configured.empty() ? DefaultProgramBytes(edition) : configured;
}

// The program download as the options shape it: the program's bytes, cut
// or followed by generated filler to `size` when a huge program is asked
// for. Pieces are made on demand, so a huge program is never held whole.
struct ProgramBody {
    std::string bytes;
    std::uint64_t size = 0;

    std::string Piece(std::uint64_t offset, std::size_t length) const {
        length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size - std::min(offset, size)));
        std::string piece = offset < bytes.size() ? bytes.substr(static_cast<std::size_t>(offset), length) : "";
        if (piece.size() < length) {
            const std::uint64_t fillerAt = offset + piece.size() - bytes.size();
            piece += GeneratedBytes(kFillerSeed, fillerAt, length - piece.size());
        }
        return piece;
    }

    static constexpr std::uint64_t kFillerSeed = 4242;
};

constexpr std::size_t kPieceBytes = 64 * 1024;

ProgramBody BodyOf(const DemoOptions& options, std::string bytes) {
    const std::uint64_t size = options.programSize > 0 ? options.programSize : bytes.size();
    return {std::move(bytes), size};
}

std::string Sha256Of(const ProgramBody& body) {
    if (body.size == body.bytes.size()) return trust::Sha256Hex(body.bytes);
    constexpr std::size_t kHashPiece = 1024 * 1024;
    trust::Sha256Stream digest;
    for (std::uint64_t offset = 0; offset < body.size; offset += kHashPiece) digest.Add(body.Piece(offset, kHashPiece));
    return digest.FinishHex();
}

// The signature file of the program, as the options say; empty without a key.
std::string SignatureFileFor(const DemoOptions& options, const ProgramBody& body) {
    if (options.signingKeyPem.empty()) return {};
    const std::string& version = options.signedVersion.empty() ? options.latestVersion : options.signedVersion;
    const std::string signature = SignEd25519(options.signingKeyPem, trust::SignedMessage(version, Sha256Of(body)));
    return signature.empty() ? std::string() : trust::FormatSignatureFile({version, signature});
}

// Streams `size` bytes made by `piece` in 64 KiB pieces, `paceMs` apart
// when above 0, counting what goes out; chunked when `chunked`.
void StreamCounted(DemoState& state, HttpResponse& response, std::uint64_t size, bool chunked, int paceMs,
                   std::function<std::string(std::uint64_t offset, std::size_t length)> piece) {
    response.streamLength = chunked ? -1 : static_cast<std::int64_t>(size);
    DemoState* site = &state;
    response.stream = [site, size, paceMs, piece = std::move(piece)](BodySink& sink) {
        for (std::uint64_t offset = 0; offset < size; offset += kPieceBytes) {
            const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(kPieceBytes, size - offset));
            if (!sink.Write(piece(offset, take))) return false;
            site->NoteProgramBytesSent(take);
            if (paceMs > 0 && offset + kPieceBytes < size &&
                !site->SleepUnlessStopping(std::chrono::milliseconds(paceMs)))
                return false;
        }
        return true;
    };
}

void SignatureReply(DemoState& state, HttpResponse& response, const ProgramBody& body) {
    const auto& options = state.Options();
    response.SetHeader("Content-Type", "text/plain");
    if (options.signatureSize > 0) {
        StreamCounted(state, response, options.signatureSize, options.programChunked, 0,
                      [](std::uint64_t offset, std::size_t length) { return GeneratedBytes(77, offset, length); });
        return;
    }
    const std::string file = SignatureFileFor(options, body);
    if (file.empty()) {
        SendGbkPage(response, "<HTML><BODY>404</BODY></HTML>\r\n", 404);
        return;
    }
    state.NoteProgramBytesSent(file.size());
    response.body = file;
}

void ProgramFile(DemoState& state, HttpResponse& response, int edition, bool signature) {
    const auto& options = state.Options();
    std::optional<std::string> bytes = ProgramBytes(options, edition);
    if (options.programStatus != 200 || !bytes) {
        const int status = options.programStatus != 200 ? options.programStatus : 404;
        SendGbkPage(response, "<HTML><BODY>文件暂时无法下载</BODY></HTML>\r\n", status);
        return;
    }
    auto body = std::make_shared<const ProgramBody>(BodyOf(options, std::move(*bytes)));
    if (signature) {
        SignatureReply(state, response, *body);
        return;
    }
    response.SetHeader("Content-Type", "application/octet-stream");
    state.NoteProgramServed();
    if (options.programSize == 0 && !options.programChunked && options.programPaceMs <= 0) {
        state.NoteProgramBytesSent(body->bytes.size());
        response.body = body->bytes;
        return;
    }
    StreamCounted(state, response, body->size, options.programChunked, options.programPaceMs,
                  [body](std::uint64_t offset, std::size_t length) { return body->Piece(offset, length); });
}

void HelpPage(HttpResponse& response) {
    SendGbkPage(response, Crlf({"<HTML>", "<HEAD><META http-equiv=Content-Type content=\"text/html; charset=gb2312\">",
                                "<TITLE>Tunewell音乐下载助手 使用帮助</TITLE></HEAD>", "<BODY>",
                                "<H1>Tunewell音乐下载助手</H1>",
                                "<P>输入音乐列表地址，点击“获取歌曲列表”，勾选歌曲后点击“开始下载”。</P>",
                                "<H2>更新记录</H2><UL><LI>2.6 支持文件分享站点的歌曲</LI>"
                                "<LI>2.5 增加迅雷下载</LI></UL>",
                                "</BODY>", "</HTML>"}));
}

}  // namespace

bool HandleVersionServer(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    // The server's file system does not care about letter case.
    const std::string path = base::LowerAscii(request.path);
    if (path == "/tunewell.asp") {
        if (request.HasQuery("ReUrl")) {
            const std::string link = PercentDecode(request.QueryValue("ReUrl"), false);
            SendGbkPage(response, "<HTML><BODY>正在转向 <A href=\"" + link + "\">" + link + "</A></BODY></HTML>\r\n");
        } else {
            VersionReply(state, response);
        }
    } else if (path == "/ad.gif") {
        response.SetHeader("Content-Type", "image/gif");
        response.body = AnimatedGif();
    } else if (path == "/upload/tunewell.exe" || path == "/upload/tunewell.exe.sig") {
        ProgramFile(state, response, 1, path.ends_with(".sig"));
    } else if (path == "/upload/tunewell2.exe" || path == "/upload/tunewell2.exe.sig") {
        ProgramFile(state, response, 2, path.ends_with(".sig"));
    } else if (path == "/log/tunewell/" || path == "/log/tunewell") {
        HelpPage(response);
    } else {
        return false;
    }
    return true;
}

}  // namespace tunewell::demo
