#include "download/play_entries.h"

#include "base/text.h"
#include "web/get_body.h"
#include "web/http_client.h"
#include "hosts/site_hosts.h"
#include "text/text_utils.h"

namespace tunewell::download {
namespace {

constexpr std::string_view kArgumentSeparator = "\", \"";

}  // namespace

std::string PlayPageAddress(const std::string& idList) {
    return std::string("http://www.") + hosts::kMusicHost + "/play.php?song_id=" + idList;
}

std::vector<std::string> SplitPlayEntries(const std::string& page) {
    const std::string block = web::GetBody(page, "<UL id=songs>", "</UL>", false, false);
    std::vector<std::string> entries = base::SplitAll(block, "WrtSongLine");
    entries.erase(entries.begin());  // the text before the first call
    return entries;
}

PlayEntries FetchPlayEntries(ports::UiPorts& ui, const std::string& idList) {
    PlayEntries result;
    result.address = PlayPageAddress(idList);
    ui.events.ProcessPending();
    const std::string page = web::GetHttpPage(result.address, result.address, "gb2312");
    ui.status.SetText("正在分析歌曲地址......");
    ui.events.ProcessPending();
    if (page == web::kFalse) {
        ui.status.SetText("分析歌曲地址出错,建议您不要一次获取太多歌曲......");
    }
    result.entries = SplitPlayEntries(page);
    return result;
}

std::optional<PlayEntry> ParsePlayEntry(const std::string& entry) {
    const std::string arguments = web::GetBody(entry, "(", ");", false, false);
    if (arguments.find(kArgumentSeparator) == std::string::npos) return std::nullopt;
    const std::vector<std::string> fields = base::SplitAll(arguments, kArgumentSeparator);
    if (fields.size() < 6) return std::nullopt;  // no address argument
    PlayEntry parsed{fields[1], fields[2], text::ReplaceAll(fields[5], "\"", "")};
    if (!parsed.performer.empty() && parsed.performer.back() == ' ') parsed.performer.pop_back();
    return parsed;
}

}  // namespace tunewell::download
