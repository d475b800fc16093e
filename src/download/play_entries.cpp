// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/play_entries.h"

#include "base/text.h"
#include "download/failure_text.h"
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

std::vector<std::vector<std::string>> PlayPageBatches(const std::vector<std::string>& ids) {
    std::vector<std::vector<std::string>> batches;
    const std::size_t base = PlayPageAddress("").size();
    std::size_t length = 0;
    for (const std::string& id : ids) {
        const std::size_t more = id.size() + (length == 0 ? 0 : 1);
        if (batches.empty() || (length > 0 && base + length + more > kMaxPlayAddressBytes)) {
            batches.emplace_back();
            length = 0;
        }
        length += batches.back().empty() ? id.size() : id.size() + 1;
        batches.back().push_back(id);
    }
    return batches;
}

PlayEntries FetchPlayEntries(ports::UiPorts& ui, const std::vector<std::string>& ids,
                             const std::function<bool()>& keepGoing) {
    PlayEntries result;
    for (const std::vector<std::string>& batch : PlayPageBatches(ids)) {
        if (result.answeredRows > 0 && !keepGoing()) break;
        std::string idList;
        for (const std::string& id : batch) idList += (idList.empty() ? "" : ",") + id;
        const std::string address = PlayPageAddress(idList);
        ui.events.ProcessPending();
        const web::PageResult page = web::FetchHttpPage(address, "gb2312");
        ui.status.SetText("正在分析歌曲地址......");
        ui.events.ProcessPending();
        if (page.failure != web::PageResult::Failure::kNone) {
            ui.status.SetText("分析歌曲地址出错,建议您不要一次获取太多歌曲......");
            result.failure = PageFailureText(page);
            break;
        }
        std::vector<std::string> texts = SplitPlayEntries(page.page);
        for (std::size_t k = 0; k < texts.size(); ++k) {
            const std::size_t row = k < batch.size() ? result.answeredRows + k : PlayEntries::kNoRow;
            result.entries.push_back({std::move(texts[k]), row, address});
        }
        result.answeredRows += batch.size();
    }
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
