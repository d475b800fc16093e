#include "cli/cli_app.h"

#include "platform/utf8_path.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>

#include "base/program_version.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/list_command.h"
#include "catalogue/song_catalogue.h"
#include "download/download_run.h"
#include "download/file_download_transfer.h"
#include "transfer/file_download.h"
#include "settings/config.h"
#include "cli/command_line.h"
#include "cli/console_controls.h"
#include "cli/console_ui.h"
#include "cli/interrupt.h"
#include "cli/printable_text.h"
#include "net/wait_pump.h"
#include "platform/folder_facts.h"
#include "ports/memory_song_list.h"
#include "web/text_utils.h"

namespace tunewell::cli {
namespace {

// The folder of -o: absolute (it may be stored with --save, and the
// window has another working folder), and made when missing, as wget and
// aria2 do. A folder that cannot be made is reported by the run.
std::string OutputFolder(const std::string& given) {
    std::error_code error;
    std::string folder = platform::Utf8String(std::filesystem::absolute(platform::Utf8Path(given), error).lexically_normal());
    if (error) folder = given;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    platform::MakeFolders(folder, 0755);
    return folder;
}

// One list step, shared by both commands: Config.ini, the console ports and
// the in-memory rows.
struct Session {
    Session(const std::string& folder, const CommandLine& line) : programFolder(folder), save(line.save) {
        settings::LoadConfig(config, programFolder);
        if (!line.output.empty()) config.SavePath = OutputFolder(line.output);
        if (line.jobs != 0) config.Jobs = settings::JobsWithinLimits(line.jobs);
    }
    // True when a list was shown (the rows may still be none). Config.ini
    // changes only with --save.
    bool FetchList(const std::string& address) {
        catalogue::SongCatalogue songCatalogue(ui, config, state);
        const std::optional<std::string> configPath =
            save ? std::optional<std::string>(settings::ConfigPath(programFolder)) : std::nullopt;
        if (!catalogue::RunListCommand(ui, songCatalogue, address, config.SavePath, configPath)) {
            std::fprintf(stderr, "无法把列表地址和保存文件夹存入 %s\n", PrintableText(configPath.value_or("")).c_str());
        }
        return songs.PrepareCount() > 0;
    }

    std::string programFolder;
    bool save;
    settings::Config config;
    // Page waits notice an interrupt too.
    struct PumpInstaller {
        explicit PumpInstaller(ConsoleUi& console) {
            net::SetWaitPump([&console](net::WaitKind) { console.ProcessPending(); });
        }
        ~PumpInstaller() { net::SetWaitPump(nullptr); }
    };
    ConsoleUi console;
    PumpInstaller pump{console};
    ports::MemorySongList songs;
    ports::UiPorts ui{console, console, songs, console, console};
    catalogue::CatalogueState state;
};

void PrintRows(const ports::MemorySongList& songs) {
    for (const ports::MemorySongList::Row& row : songs.Rows()) {
        std::printf("%s\t%s\n", PrintableText(row.idText).c_str(), PrintableText(row.name).c_str());
    }
    std::fflush(stdout);
}

int RunList(const CommandLine& line, const std::string& programFolder) {
    Session session(programFolder, line);
    const std::string address = line.address.empty() ? session.config.ListUrl : line.address;
    if (!session.FetchList(address)) return 1;
    if (InterruptSignal() != 0) return InterruptExitStatus();
    PrintRows(session.songs);
    std::fprintf(stderr, "共%d首歌曲\n", session.songs.RowCount());
    return 0;
}

// Ticks "all" or the 1-based positions listed; false for a malformed list.
bool TickRows(ports::MemorySongList& songs, const std::string& rows) {
    if (rows == "all") {
        for (int row = 1; row <= songs.RowCount(); ++row) songs.SetChecked(row, true);
        return true;
    }
    std::set<int> positions;
    std::size_t at = 0;
    while (at <= rows.size()) {
        const auto comma = rows.find(',', at);
        const std::string piece = rows.substr(at, comma == std::string::npos ? comma : comma - at);
        at = comma == std::string::npos ? rows.size() + 1 : comma + 1;
        const web::Number number = web::ToNumber(piece);
        if (number.kind == web::Number::Kind::Double || number.value < 1 ||
            number.value > songs.RowCount()) {
            return false;
        }
        positions.insert(static_cast<int>(number.value));
    }
    for (int position : positions) songs.SetChecked(position, true);
    return !positions.empty();
}

int RunDownload(const CommandLine& line, const std::string& programFolder) {
    Session session(programFolder, line);
    if (!session.FetchList(line.address)) return 1;
    if (!TickRows(session.songs, line.rows)) {
        std::fprintf(stderr, "歌曲序号应为 all，或 1 到 %d 之间以逗号分隔的数字\n", session.songs.RowCount());
        return 2;
    }
    const bool thunder = line.thunder;
    int ticked = 0;
    for (int row = 1; row <= session.songs.RowCount(); ++row) ticked += session.songs.IsChecked(row);

    ConsoleControls controls(session.config.SavePath, thunder);
    transfer::CFileDownload fileDownload;
    download::FileDownloadTransfer transfer(fileDownload);
    download::DownloadRun run(session.ui, controls, controls, session.config,
                              download::DownloadRun::Services{transfer});
    fileDownload.OnProgress = [&](std::int64_t bytes, std::int64_t total, std::int32_t speed,
                                  std::int32_t, const std::string&) {
        run.ShowProgress(bytes, total, speed);
    };
    fileDownload.SetEventPump([&] { session.console.ProcessPending(); });
    session.console.SetStopAction([&] { run.Stop(); });
    run.cmdDown_Click();
    session.console.SetStopAction(nullptr);
    fileDownload.SetEventPump(nullptr);
    const char* done = thunder ? "已交给aria2" : "已下载";
    if (InterruptSignal() != 0) {
        std::fprintf(stderr, "已中断：%s%d首，共%d首\n", done, run.Succeeded(), ticked);
        return InterruptExitStatus();
    }
    std::fprintf(stderr, "%s%d首，共%d首\n", done, run.Succeeded(), ticked);
    return run.Succeeded() == ticked ? 0 : 1;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const std::string& programFolder) {
    const CommandLine line = ParseCommandLine(args);
    switch (line.action) {
        case CommandLine::Action::kHelp:
            std::fputs(HelpText().c_str(), stdout);
            return 0;
        case CommandLine::Action::kVersion:
            // The licence under the version, as GNU programs print it.
            std::printf("tunewell-cli %s\n"
                        "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
                        "This is free software: you are free to change and redistribute it.\n"
                        "There is NO WARRANTY, to the extent permitted by law.\n",
                        base::kProgramVersion);
            return 0;
        case CommandLine::Action::kWrong:
            std::fprintf(stderr, "tunewell-cli：%s\n用 tunewell-cli --help 查看用法。\n",
                         PrintableText(line.problem).c_str());
            return 2;
        case CommandLine::Action::kList:
        case CommandLine::Action::kDownload:
            break;
    }
    InstallInterruptHandlers();
    return line.action == CommandLine::Action::kList ? RunList(line, programFolder)
                                                     : RunDownload(line, programFolder);
}

}  // namespace tunewell::cli
