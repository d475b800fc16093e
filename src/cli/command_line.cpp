#include "cli/command_line.h"

#include <algorithm>
#include <charconv>

#include <algorithm>

namespace tunewell::cli {
namespace {

bool IsOneOf(const std::string& word, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&word](const char* name) { return word == name; });
}

CommandLine Only(CommandLine::Action action) {
    CommandLine line;
    line.action = action;
    return line;
}

CommandLine Wrong(std::string problem) {
    CommandLine line;
    line.problem = std::move(problem);
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    // First pass: a request for help or the version ends the reading.
    for (const std::string& word : args) {
        if (word == "--") break;
        if (IsOneOf(word, {"-h", "--help"})) return Only(CommandLine::Action::kHelp);
        if (IsOneOf(word, {"-V", "--version"})) return Only(CommandLine::Action::kVersion);
    }
    CommandLine line;
    std::vector<std::string> words;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (!options || word.empty() || word[0] != '-' || word == "-") {
            words.push_back(word);
        } else if (word == "--") {
            options = false;
        } else if (word == "--save") {
            line.save = true;
        } else if (word == "--thunder") {
            line.thunder = true;
        } else if (IsOneOf(word, {"-j", "--jobs"}) || word.starts_with("--jobs=")) {
            std::string text;
            if (word.starts_with("--jobs=")) {
                text = word.substr(7);
            } else if (i + 1 < args.size()) {
                text = args[++i];
            }
            long long value = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
                return Wrong("选项 --jobs 需要一个整数（1 到 8）");
            }
            line.jobs = static_cast<int>(std::clamp<long long>(value, 1, 8));
        } else if (IsOneOf(word, {"-o", "--output"}) || word.starts_with("--output=") ||
                   word.starts_with("-o")) {
            if (word == "-o" || word == "--output") {
                if (i + 1 >= args.size()) return Wrong("选项 " + word + " 需要一个文件夹");
                line.output = args[++i];
            } else {
                line.output = word.substr(word.starts_with("--") ? 9 : 2);
            }
            if (line.output.empty()) return Wrong("选项 " + word + " 需要一个文件夹");
        } else {
            return Wrong("未知的选项：" + word);
        }
    }
    if (words.empty()) return Wrong("缺少命令：list 或 download");
    const std::string& command = words[0];
    if (command == "list") {
        if (words.size() > 2) return Wrong("list 只接受一个地址");
        if (line.thunder) return Wrong("--thunder 只能用于 download");
        if (line.jobs != 0) return Wrong("--jobs 只能用于 download");
        line.action = CommandLine::Action::kList;
        if (words.size() > 1) line.address = words[1];
        return line;
    }
    if (command == "download") {
        if (words.size() < 2) return Wrong("download 需要一个列表地址");
        if (words.size() > 3) return Wrong("download 只接受一个地址和歌曲序号");
        line.action = CommandLine::Action::kDownload;
        line.address = words[1];
        if (words.size() > 2) line.rows = words[2];
        return line;
    }
    return Wrong("未知的命令：" + command);
}

std::string HelpText() {
    return "用法：tunewell-cli [选项] list [地址]\n"
           "      tunewell-cli [选项] download 地址 [序号]\n"
           "获取音乐网站的歌曲列表，下载其中的歌曲。\n"
           "\n"
           "命令：\n"
           "  list      获取列表页及其后各页（地址默认为 Config.ini 中的 ListUrl），\n"
           "            每首歌曲输出一行：编号<TAB>名称\n"
           "  download  获取列表，勾选序号所指的歌曲（all 为全部，是默认值；\n"
           "            或如 1,3,5）并逐首下载\n"
           "\n"
           "选项：\n"
           "  -o, --output 文件夹  本次保存到该文件夹（默认为 Config.ini 中的 SavePath）\n"
           "      --save           把地址和保存文件夹存入 Config.ini（不加则不改动它）\n"
           "      --thunder        交给正在运行的 aria2c --enable-rpc 下载\n"
           "  -j, --jobs N         同时下载 N 首（1 到 8，默认为 Config.ini 中的 Jobs，否则为 1）\n"
           "  -h, --help           显示本帮助并退出\n"
           "  -V, --version        显示版本并退出\n"
           "\n"
           "状态和进度写到标准错误；进度只在终端上逐行刷新。\n"
           "退出状态：0 全部成功，1 有歌曲或列表失败，2 命令行有误，\n"
           "130 或 143 被 SIGINT 或 SIGTERM 中断。\n";
}

}  // namespace tunewell::cli
