#include "cli/cli_app.h"

#include <cstdio>
#include <set>

#include "catalogue/catalogue_state.h"
#include "catalogue/list_command.h"
#include "catalogue/song_catalogue.h"
#include "download/download_run.h"
#include "download/file_download_transfer.h"
#include "transfer/file_download.h"
#include "settings/config.h"
#include "cli/console_controls.h"
#include "cli/console_ui.h"
#include "cli/interrupt.h"
#include "cli/printable_text.h"
#include "net/wait_pump.h"
#include "ports/memory_song_list.h"
#include "web/text_utils.h"

namespace tunewell::cli {
namespace {

constexpr const char* kUsage =
    "usage: tunewell-cli list [ADDRESS]\n"
    "       tunewell-cli download ADDRESS [ROWS] [--thunder]\n"
    "  list      fetch a list page of the music site and print its song rows\n"
    "            (ADDRESS defaults to ListUrl in Config.ini)\n"
    "  download  fetch the list, tick ROWS (all, the default, or positions\n"
    "            such as 1,3,5) and download them into SavePath of Config.ini;\n"
    "            --thunder hands them to a running aria2c instead\n";

// One list step, shared by both commands: Config.ini, the console ports and
// the in-memory rows.
struct Session {
    explicit Session(const std::string& folder) : programFolder(folder) {
        settings::LoadConfig(config, programFolder);
    }
    // True when a list was shown (the rows may still be none).
    bool FetchList(const std::string& address) {
        catalogue::SongCatalogue songCatalogue(ui, config, state);
        if (!catalogue::RunListCommand(ui, songCatalogue, address, config.SavePath,
                                       settings::ConfigPath(programFolder))) {
            std::fprintf(stderr, "warning: could not save ListUrl and SavePath to %s\n",
                         settings::ConfigPath(programFolder).c_str());
        }
        return songs.PrepareCount() > 0;
    }

    std::string programFolder;
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

int RunList(const std::vector<std::string>& args, const std::string& programFolder) {
    Session session(programFolder);
    const std::string address = args.size() > 1 ? args[1] : session.config.ListUrl;
    if (!session.FetchList(address)) return 1;
    if (InterruptSignal() != 0) return InterruptExitStatus();
    PrintRows(session.songs);
    std::fprintf(stderr, "%d songs\n", session.songs.RowCount());
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

int RunDownload(const std::vector<std::string>& args, const std::string& programFolder) {
    std::vector<std::string> plain;
    bool thunder = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--thunder") thunder = true; else plain.push_back(args[i]);
    }
    if (plain.empty() || plain.size() > 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    Session session(programFolder);
    if (!session.FetchList(plain[0])) return 1;
    if (!TickRows(session.songs, plain.size() > 1 ? plain[1] : "all")) {
        std::fprintf(stderr, "ROWS must be \"all\" or positions from 1 to %d\n", session.songs.RowCount());
        return 2;
    }
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
    if (InterruptSignal() != 0) {
        std::fprintf(stderr, "interrupted: %d of %d songs %s\n", run.Succeeded(), ticked,
                     thunder ? "handed to aria2" : "downloaded");
        return InterruptExitStatus();
    }
    std::fprintf(stderr, "%d of %d songs %s\n", run.Succeeded(), ticked,
                 thunder ? "handed to aria2" : "downloaded");
    return run.Succeeded() == ticked ? 0 : 1;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const std::string& programFolder) {
    InstallInterruptHandlers();
    if (!args.empty() && args[0] == "list") return RunList(args, programFolder);
    if (!args.empty() && args[0] == "download") return RunDownload(args, programFolder);
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace tunewell::cli
