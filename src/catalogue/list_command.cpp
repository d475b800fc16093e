#include "catalogue/list_command.h"

#include "settings/config.h"
#include "settings/ini_file.h"
#include "hosts/site_hosts.h"

namespace tunewell::catalogue {

void RunListCommand(ports::UiPorts& ui, SongCatalogue& catalogue, const std::string& listUrl,
                    const std::string& savePath, const std::string& configPath) {
    ui.events.ProcessPending();
    if (listUrl.empty()) {
        ui.message.Show("请输入音乐列表地址！");
        return;
    }
    if (savePath.empty()) {
        ui.message.Show("请输入音乐保保存地址！");
        return;
    }
    settings::WriteIni(settings::kConfigSection, "ListUrl", listUrl, configPath);
    settings::WriteIni(settings::kConfigSection, "SavePath", savePath, configPath);
    if (listUrl.find(hosts::kMusicHost) == std::string::npos) {
        ui.message.Show(std::string("本软件不支持") + hosts::kMusicHost + "网站外的歌曲！");
        return;
    }
    catalogue.FetchSongList(listUrl);
}

}  // namespace tunewell::catalogue
