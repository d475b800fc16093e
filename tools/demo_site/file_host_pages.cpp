// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/demo_catalogue.h"
#include "demo_site/routes.h"
#include "demo_site/site_names.h"

namespace tunewell::demo {
namespace {

// The file host stores one song of the catalogue under kFileHostFileId; any
// other numeric file id is a generated file of its own.
std::string FileName(const std::string& fileId) {
    return fileId == kFileHostFileId ? "lan-se-tian-kong.mp3" : "file" + fileId + ".mp3";
}

std::string PageStart(const std::string& title) {
    return Crlf({"<!DOCTYPE html>", "<html lang=\"zh-CN\">", "<head>", "<meta charset=\"utf-8\">",
                 "<title>" + title + " - FileBox 文件分享</title>"});
}

void FilePage(HttpResponse& response, const std::string& fileId) {
    const std::string name = FileName(fileId);
    const std::string html =
        PageStart(name) +
        Crlf({"<script type=\"text/javascript\">",
              "var file_id = \"" + fileId + "\";",
              "var file_name = \"" + name + "\";",
              "</script>",
              "</head>",
              "<body>",
              "<div class=\"file_info\"><h1>" + name + "</h1><p>上传于 2008-10-01</p></div>",
              "<dl class=\"down_list\">",
              "<dt class=\"btn_22\"><a href=\"" + FileHostAddress("/zh-cn/download/", "www.") + fileId +
                  "/\" title=\"普通下载\">普通下载</a></dt>",
              "<dd>请点击按钮下载文件。</dd>",
              "</dl>",
              "</body>",
              "</html>"});
    SendUtf8Page(response, html);
}

void LinkPage(HttpResponse& response, const std::string& fileId) {
    const std::string html =
        PageStart("下载 " + FileName(fileId)) +
        Crlf({"<script type=\"text/javascript\" src=\"/js/cookie.js\"></script>",
              "<script type=\"text/javascript\">",
              "setCookie('ROXCDNKEY', '" + FileHostKey(fileId) + "', 1);",
              "</script>",
              "</head>",
              "<body>",
              "<p><a href=\"" + FileHostAddress("/zh-cn/download/", "s1.") + fileId + "/" + FileName(fileId) +
                  "\">点击这里下载</a></p>",
              "</body>",
              "</html>"});
    SendUtf8Page(response, html);
}

// The file itself, on a storage host: only with the right ROXCDNKEY cookie.
void StoredFile(DemoState& state, const HttpRequest& request, HttpResponse& response, const std::string& fileId) {
    if (request.CookieValue("ROXCDNKEY") != FileHostKey(fileId)) {
        SendUtf8Page(response, PageStart("403") + "</head><body><h1>403 禁止访问</h1></body></html>\r\n", 403);
        return;
    }
    response.SetHeader("Content-Type", "audio/mpeg");
    if (fileId == kFileHostFileId) {
        StreamGenerated(state, response, kSongFileHost, AudioSize(kSongFileHost), true);
    } else {
        StreamGenerated(state, response, static_cast<std::uint64_t>(ParseDigits(fileId)), 48 * 1024, true);
    }
}

// "/zh-cn/<section>/<file id>/<rest>"; false when the path is not of that form.
bool SplitFilePath(const std::string& path, std::string& section, std::string& fileId, std::string& rest) {
    if (path.rfind("/zh-cn/", 0) != 0) return false;
    const auto sectionEnd = path.find('/', 7);
    if (sectionEnd == std::string::npos) return false;
    section = path.substr(7, sectionEnd - 7);
    const auto idEnd = path.find('/', sectionEnd + 1);
    if (idEnd == std::string::npos) return false;
    fileId = path.substr(sectionEnd + 1, idEnd - sectionEnd - 1);
    rest = path.substr(idEnd + 1);
    return ParseDigits(fileId) >= 0;
}

}  // namespace

bool HandleFileHost(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    std::string section, fileId, rest;
    if (!SplitFilePath(request.path, section, fileId, rest)) return false;
    const bool front = request.host == FileHostName("www.") || request.host == FileHostName();
    if (front && section == "files" && rest.empty()) {
        FilePage(response, fileId);
    } else if (front && section == "download" && rest.empty()) {
        LinkPage(response, fileId);
    } else if (!front && section == "download" && !rest.empty()) {
        StoredFile(state, request, response, fileId);
    } else {
        return false;
    }
    return true;
}

}  // namespace tunewell::demo
