#include "shell/cli/cli_app.h"

#include <cstdio>

#include "catalogue/catalogue_state.h"
#include "catalogue/list_command.h"
#include "catalogue/song_catalogue.h"
#include "settings/config.h"
#include "shell/cli/console_ui.h"
#include "shell/ports/memory_song_list.h"

namespace tunewell::shell {
namespace {

constexpr const char* kUsage =
    "usage: tunewell-cli list [ADDRESS]\n"
    "  list      fetch a list page of the music site and print its song rows\n"
    "            (ADDRESS defaults to ListUrl in Config.ini)\n";

void PrintRows(const MemorySongList& songs) {
    for (const MemorySongList::Row& row : songs.Rows()) {
        std::printf("%s\t%s\n", row.idText.c_str(), row.name.c_str());
    }
    std::fflush(stdout);
}

int RunList(const std::vector<std::string>& args, const std::string& programFolder) {
    settings::Config config;
    settings::LoadConfig(config, programFolder);
    const std::string address = args.size() > 1 ? args[1] : config.ListUrl;

    ConsoleUi console;
    MemorySongList songs;
    UiPorts ui{console, console, songs, console, console};
    catalogue::CatalogueState state;
    catalogue::SongCatalogue songCatalogue(ui, config, state);
    catalogue::RunListCommand(ui, songCatalogue, address, config.SavePath,
                              settings::ConfigPath(programFolder));
    if (songs.PrepareCount() == 0) return 1;
    PrintRows(songs);
    std::fprintf(stderr, "%d songs\n", songs.RowCount());
    return 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const std::string& programFolder) {
    if (!args.empty() && args[0] == "list") return RunList(args, programFolder);
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace tunewell::shell
