#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

#include "base/text.h"
#include "demo_site/demo_catalogue.h"
#include "demo_site/program_signing.h"
#include "demo_site/gif_image.h"
#include "demo_site/routes.h"
#include "demo_site/site_names.h"
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

// The signature file of `bytes`, as the options say; empty without a key.
std::string SignatureFileFor(const DemoOptions& options, const std::string& bytes) {
    if (options.signingKeyPem.empty()) return {};
    const std::string& version = options.signedVersion.empty() ? options.latestVersion : options.signedVersion;
    const std::string signature =
        SignEd25519(options.signingKeyPem, trust::SignedMessage(version, trust::Sha256Hex(bytes)));
    return signature.empty() ? std::string() : trust::FormatSignatureFile({version, signature});
}

void ProgramFile(DemoState& state, HttpResponse& response, int edition, bool signature) {
    const auto& options = state.Options();
    const std::optional<std::string> bytes = ProgramBytes(options, edition);
    if (options.programStatus != 200 || !bytes) {
        const int status = options.programStatus != 200 ? options.programStatus : 404;
        SendGbkPage(response, "<HTML><BODY>文件暂时无法下载</BODY></HTML>\r\n", status);
        return;
    }
    if (signature) {
        const std::string file = SignatureFileFor(options, *bytes);
        if (file.empty()) {
            SendGbkPage(response, "<HTML><BODY>404</BODY></HTML>\r\n", 404);
            return;
        }
        response.SetHeader("Content-Type", "text/plain");
        response.body = file;
        return;
    }
    response.SetHeader("Content-Type", "application/octet-stream");
    state.NoteProgramServed();
    if (options.programPaceMs <= 0) {
        response.body = *bytes;
        return;
    }
    response.streamLength = static_cast<std::int64_t>(bytes->size());
    const int paceMs = options.programPaceMs;
    DemoState* site = &state;
    response.stream = [site, paceMs, whole = *bytes](BodySink& sink) {
        constexpr std::size_t kPiece = 64 * 1024;
        for (std::size_t offset = 0; offset < whole.size(); offset += kPiece) {
            if (!sink.Write(std::string_view(whole).substr(offset, kPiece))) return false;
            if (offset + kPiece < whole.size() && !site->SleepUnlessStopping(std::chrono::milliseconds(paceMs)))
                return false;
        }
        return true;
    };
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
