// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_app.h"

#include "platform/utf8_path.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>

#include "base/program_version.h"
#include "settings/config.h"
#include "settings/program_places.h"
#include "cli/command_line.h"
#include "cli/console_controls.h"
#include "cli/console_ui.h"
#include "cli/interrupt.h"
#include "cli/json_lines.h"
#include "cli/printable_text.h"
#include "cli/row_selection.h"
#include "net/wait_pump.h"
#include "platform/file_io.h"
#include "platform/folder_facts.h"
#include "ports/memory_song_list.h"
#include "session/session.h"
#include "text/text_utils.h"

namespace tunewell::cli {
namespace {

// The folder of -o: absolute (it may be stored with --save, and the
// window has another working folder), and made when missing, as wget and
// aria2 do. A folder that cannot be made is reported by the run.
std::string OutputFolder(const std::string& typed) {
    const std::string given = settings::SaveFolderOf(typed);  // "--output=~/x" reaches us unexpanded
    std::error_code error;
    std::string folder = platform::Utf8String(std::filesystem::absolute(platform::Utf8Path(given), error).lexically_normal());
    if (error) folder = given;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    platform::MakeFolders(folder, 0755);
    return folder;
}

// The program's session over the console ports and the in-memory rows,
// shared by both commands: Config.ini with the command line's changes.
struct Session {
    Session(const std::string& folder, const CommandLine& line)
        : core({console, console, songs, console, console}, Options(folder)), save(line.save) {
        core.LoadSettings();
        config.SavePath = settings::SaveFolderOf(config.SavePath);
        if (!line.output.empty()) config.SavePath = OutputFolder(line.output);
        if (line.pages != 0) config.GetPage = static_cast<std::int16_t>(line.pages);
        if (line.jobs != 0) config.Jobs = settings::JobsWithinLimits(line.jobs);
        if (line.skipSaved) config.SkipSaved = 1;
        if (line.tags) config.WriteTags = 1;
        if (line.retries >= 0) config.Retries = static_cast<std::int16_t>(line.retries);
        if (line.limitRate >= 0) config.SpeedLimit = settings::SpeedLimitWithinLimits(static_cast<double>(line.limitRate));
        console.SetQuiet(line.quiet);
    }
    static tunewell::session::Session::Options Options(const std::string& folder) {
        tunewell::session::Session::Options options;
        options.programFolder = folder;
        return options;
    }
    // True when a list was shown (the rows may still be none). Config.ini
    // changes only with --save.
    bool FetchList(const std::string& address) {
        const std::optional<std::string> configPath =
            save ? std::optional<std::string>(core.ConfigPath()) : std::nullopt;
        if (!core.FetchList(address, config.SavePath, configPath)) {
            std::fprintf(stderr, "无法把列表地址和保存文件夹存入 %s\n", PrintableText(configPath.value_or("")).c_str());
        }
        return songs.PrepareCount() > 0;
    }

    // Page waits and transfers notice an interrupt.
    ConsoleUi console;
    ports::MemorySongList songs;
    tunewell::session::Session core;
    settings::Config& config = core.Settings();
    bool save;
};

void PrintRows(const ports::MemorySongList& songs, bool json) {
    int position = 0;
    for (const ports::MemorySongList::Row& row : songs.Rows()) {
        ++position;
        if (json) {
            std::fputs(ListJsonLine(position, row.id, row.idText, row.name).c_str(), stdout);
        } else {
            std::printf("%s\t%s\n", PrintableText(row.idText).c_str(), PrintableText(row.name).c_str());
        }
    }
    std::fflush(stdout);
}

int RunList(const CommandLine& line, const std::string& programFolder) {
    Session session(programFolder, line);
    const std::string address = line.address.empty() ? session.config.ListUrl : line.address;
    if (!session.FetchList(address)) return kExitSiteFailed;
    if (InterruptSignal() != 0) return InterruptExitStatus();
    PrintRows(session.songs, line.json);
    if (!line.quiet) std::fprintf(stderr, "共%d首歌曲\n", session.songs.RowCount());
    return kExitOk;
}

long long FileBytes(const std::string& path) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(platform::Utf8Path(path), error);
    return error ? 0 : static_cast<long long>(bytes);
}

// The --json lines of a download: one per song as it ends, and at the end
// one for each song the run never reached.
class JsonReport {
public:
    JsonReport(const ports::MemorySongList& songs, const std::vector<int>& rows, std::string folder)
        : folder_(std::move(folder)) {
        for (int row : rows) {
            const ports::MemorySongList::Row& song = songs.Rows()[static_cast<std::size_t>(row - 1)];
            SongReport report;
            report.row = row;
            report.id = song.id;
            report.idText = song.idText;
            songs_.push_back(std::move(report));
        }
    }

    void SongEnded(const ConsoleControls::SongResult& result) {
        using Outcome = ports::RunObserver::SongOutcome;
        if (result.position < 1 || result.position > static_cast<int>(songs_.size())) return;
        SongReport report = songs_[static_cast<std::size_t>(result.position - 1)];
        report.file = folder_ + platform::PathSeparator() + result.fileName;
        report.result = result.outcome == Outcome::Saved       ? "saved"
                        : result.outcome == Outcome::HandedOff ? "handed_off"
                        : result.outcome == Outcome::Skipped   ? "skipped"
                                                               : "failed";
        // A song saved before may lie in another folder: its name is its path.
        if (result.outcome == Outcome::Skipped) report.file = result.fileName;
        if (result.outcome == Outcome::Saved || result.outcome == Outcome::Skipped) {
            report.bytes = FileBytes(*report.file);
        }
        if (result.outcome == Outcome::Failed) report.cause = result.cause;
        if (!result.note.empty()) report.note = result.note;
        Print(report);
        ended_.insert(result.position);
    }

    // The songs without a line so far, with why none of them started.
    void NotStarted(const std::string& cause) {
        for (std::size_t position = 1; position <= songs_.size(); ++position) {
            if (ended_.count(static_cast<int>(position)) != 0) continue;
            SongReport report = songs_[position - 1];
            report.result = "not_started";
            report.cause = cause;
            Print(report);
        }
    }

private:
    static void Print(const SongReport& report) {
        std::fputs(SongJsonLine(report).c_str(), stdout);
        std::fflush(stdout);  // a script reads each song as it ends
    }

    std::string folder_;
    std::vector<SongReport> songs_;  // in run order
    std::set<int> ended_;
};

// Why the run reached no song at all: the message it showed, or the play
// page's failure.
std::string NoSongCause(const ConsoleUi& console, int messagesBefore) {
    if (InterruptSignal() != 0) return "已中断";
    if (console.MessageCount() > messagesBefore) return console.LastMessage();
    return "播放页没有给出这首歌的地址";
}

int RunDownload(const CommandLine& line, const std::string& programFolder) {
    Session session(programFolder, line);
    if (!session.FetchList(line.address) || session.songs.RowCount() == 0) return kExitSiteFailed;
    const std::optional<std::vector<int>> rows = SelectRows(line.rows, session.songs.RowCount());
    if (!rows || rows->empty()) {
        std::fprintf(stderr, "歌曲序号应为 all，或 1 到 %d 之间以逗号分隔的数字和范围（如 2-4,7）\n",
                     session.songs.RowCount());
        return kExitWrongLine;
    }
    for (int row : *rows) session.songs.SetChecked(row, true);
    const bool thunder = line.thunder;
    const int ticked = static_cast<int>(rows->size());

    ConsoleControls controls(session.config.SavePath, thunder);
    controls.SetRows(*rows);
    controls.SetQuiet(line.quiet);
    std::optional<JsonReport> json;
    if (line.json) {
        json.emplace(session.songs, *rows, session.config.SavePath);
        controls.SetResultHandler([&json](const ConsoleControls::SongResult& result) { json->SongEnded(result); });
    }
    download::DownloadRun& run = session.core.OpenRun(controls, controls);
    session.console.SetStopAction([&] { run.Stop(); });
    // The run says this once the save folder and the download manager are
    // found, before it asks the play page.
    session.console.WatchFor("正在准备下载......");
    const int messagesBefore = session.console.MessageCount();
    run.cmdDown_Click();
    session.console.SetStopAction(nullptr);
    const int reached = run.Succeeded() + run.Failed();
    if (json) json->NotStarted(NoSongCause(session.console, messagesBefore));
    // The count stands apart from a name that ends in a digit.
    const std::string done = thunder ? "已交给aria2 " : "已下载";
    if (InterruptSignal() != 0) {
        if (!line.quiet) std::fprintf(stderr, "已中断：%s%d首，共%d首\n", done.c_str(), run.Succeeded(), ticked);
        return InterruptExitStatus();
    }
    if (!line.quiet) std::fprintf(stderr, "%s%d首，共%d首\n", done.c_str(), run.Succeeded(), ticked);
    if (run.Succeeded() == ticked) return kExitOk;
    if (reached == 0) return session.console.WatchedTextSeen() ? kExitSiteFailed : kExitCannotStart;
    return kExitSongsFailed;
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
            return kExitWrongLine;
        case CommandLine::Action::kList:
        case CommandLine::Action::kDownload:
            break;
    }
    InstallInterruptHandlers();
    return line.action == CommandLine::Action::kList ? RunList(line, programFolder)
                                                     : RunDownload(line, programFolder);
}

}  // namespace tunewell::cli
