// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/list_command.h"

#include "settings/config.h"
#include "hosts/site_hosts.h"

namespace tunewell::catalogue {

std::string NotOnSiteText() { return std::string("本软件不支持") + hosts::kMusicHost + "网站外的歌曲！"; }

bool RunListCommand(ports::UiPorts& ui, SongCatalogue& catalogue, const std::string& listUrl,
                    const std::string& savePath, const std::optional<std::string>& configPath) {
    ui.events.ProcessPending();
    if (listUrl.empty()) {
        ui.message.Show("请输入音乐列表地址！");
        return true;
    }
    if (savePath.empty()) {
        ui.message.Show("请输入音乐保保存地址！");
        return true;
    }
    const bool saved = !configPath || settings::SaveListFields(*configPath, listUrl, savePath);
    if (listUrl.find(hosts::kMusicHost) == std::string::npos) {
        ui.message.Show(NotOnSiteText());
        return saved;
    }
    catalogue.FetchSongList(listUrl);
    return saved;
}

}  // namespace tunewell::catalogue
