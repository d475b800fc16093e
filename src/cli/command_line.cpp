// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "settings/config.h"

namespace tunewell::cli {
namespace {

enum class Option { kOutput, kSave, kThunder, kJobs, kRetries, kLimitRate, kQuiet, kJson, kHelp, kVersion, kSkipSaved, kTags, kPages };

struct OptionName {
    Option option;
    std::string_view longName;
    char shortName;  // '\0': none
    bool takesValue;
};

constexpr OptionName kOptions[] = {
    {Option::kOutput, "output", 'o', true}, {Option::kSave, "save", '\0', false},
    {Option::kThunder, "thunder", '\0', false}, {Option::kJobs, "jobs", 'j', true},
    {Option::kRetries, "retries", '\0', true}, {Option::kLimitRate, "limit-rate", '\0', true},
    {Option::kQuiet, "quiet", 'q', false}, {Option::kJson, "json", '\0', false},
    {Option::kHelp, "help", 'h', false}, {Option::kVersion, "version", 'V', false},
    {Option::kSkipSaved, "skip-saved", '\0', false},
    {Option::kTags, "tags", '\0', false},
    {Option::kPages, "pages", '\0', true},
};

// Reads the options into `line`; the words that are no options go to
// `words`. Only the first problem is kept: a later --help still wins.
class OptionReader {
public:
    OptionReader(CommandLine& line, std::vector<std::string>& words) : line_(line), words_(words) {}

    void Read(const std::vector<std::string>& args) {
        bool options = true;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& word = args[i];
            const std::string* next = i + 1 < args.size() ? &args[i + 1] : nullptr;
            bool tookNext = false;
            if (!options || word.size() < 2 || word[0] != '-') {
                words_.push_back(word);
            } else if (word == "--") {
                options = false;
            } else if (word[1] == '-') {
                tookNext = ReadLong(std::string_view(word).substr(2), next);
            } else {
                tookNext = ReadBundle(std::string_view(word).substr(1), next);
            }
            i += tookNext ? 1 : 0;
        }
    }

    bool help = false;
    bool version = false;
    std::string problem;

private:
    void Fail(std::string text) {
        if (problem.empty()) problem = std::move(text);
    }

    // "--name", "--name=value" or "--name value"; true when the next word was used.
    bool ReadLong(std::string_view text, const std::string* next) {
        const std::size_t equals = text.find('=');
        const std::string_view name = text.substr(0, equals);
        std::vector<const OptionName*> matches;
        for (const OptionName& option : kOptions) {
            if (option.longName == name) {
                matches = {&option};
                break;
            }
            if (option.longName.starts_with(name)) matches.push_back(&option);
        }
        const std::string typed = "--" + std::string(name);
        if (matches.empty()) {
            Fail("未知的选项：" + typed);
            return false;
        }
        if (matches.size() > 1) {
            std::string names;
            for (const OptionName* option : matches) names += (names.empty() ? "" : "、") + ("--" + std::string(option->longName));
            Fail("选项 " + typed + " 有歧义：" + names);
            return false;
        }
        const OptionName& option = *matches.front();
        const std::string spelled = "--" + std::string(option.longName);
        if (!option.takesValue) {
            if (equals != std::string_view::npos) Fail("选项 " + spelled + " 不接受值");
            else Apply(option.option, "", spelled);
            return false;
        }
        if (equals != std::string_view::npos) {
            Apply(option.option, std::string(text.substr(equals + 1)), spelled);
            return false;
        }
        Apply(option.option, next != nullptr ? *next : "", spelled);
        return next != nullptr;
    }

    // "-qj4", "-o dir", "-odir"; true when the next word was used.
    bool ReadBundle(std::string_view letters, const std::string* next) {
        for (std::size_t at = 0; at < letters.size(); ++at) {
            const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                             [&](const OptionName& o) { return o.shortName == letters[at]; });
            const std::string spelled = std::string("-") + letters[at];
            if (option == std::end(kOptions)) {
                Fail("未知的选项：" + spelled);
                return false;
            }
            if (!option->takesValue) {
                Apply(option->option, "", spelled);
                continue;
            }
            if (at + 1 < letters.size()) {
                Apply(option->option, std::string(letters.substr(at + 1)), spelled);
                return false;
            }
            Apply(option->option, next != nullptr ? *next : "", spelled);
            return next != nullptr;
        }
        return false;
    }

    void Apply(Option option, const std::string& value, const std::string& spelled) {
        switch (option) {
            case Option::kOutput:
                if (value.empty()) Fail("选项 " + spelled + " 需要一个文件夹");
                else line_.output = value;
                break;
            case Option::kJobs: ReadJobs(value); break;
            case Option::kRetries: ReadRetries(value); break;
            case Option::kLimitRate: ReadLimitRate(value); break;
            case Option::kPages: ReadPages(value); break;
            case Option::kSave: line_.save = true; break;
            case Option::kThunder: line_.thunder = true; break;
            case Option::kSkipSaved: line_.skipSaved = true; break;
            case Option::kTags: line_.tags = true; break;
            case Option::kQuiet: line_.quiet = true; break;
            case Option::kJson: line_.json = true; break;
            case Option::kHelp: help = true; break;
            case Option::kVersion: version = true; break;
        }
    }

    void ReadJobs(const std::string& text) {
        long long value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
            Fail("选项 --jobs 需要一个整数（1 到 8）");
            return;
        }
        line_.jobs = static_cast<int>(std::clamp<long long>(value, 1, 8));
    }

    void ReadRetries(const std::string& text) {
        if (const std::optional<int> value = WholeWithin(text, 0, settings::kMaxRetries)) {
            line_.retries = *value;
        } else {
            Fail("选项 --retries 需要一个整数（0 到 10）");
        }
    }

    // GetPage of Config.ini is a 16-bit number; 0 and less mean the first
    // page only there, which a count typed for one run has no need to say.
    void ReadPages(const std::string& text) {
        if (const std::optional<int> value = WholeWithin(text, 1, settings::kMaxGetPage)) {
            line_.pages = *value;
        } else {
            Fail("选项 --pages 需要一个整数（1 到 32767）");
        }
    }

    // `text` as a whole number from `low` to `high`, nothing else around it.
    static std::optional<int> WholeWithin(const std::string& text, int low, int high) {
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high)
            return std::nullopt;
        return value;
    }

    void ReadLimitRate(const std::string& text) {
        const std::optional<long long> rate = RateInKb(text);
        if (!rate) {
            Fail("选项 --limit-rate 需要一个速度（字节每秒，可加 K 或 M，如 500K）");
            return;
        }
        line_.limitRate = *rate;
    }

    CommandLine& line_;
    std::vector<std::string>& words_;
};

// The largest rate taken, in KB/s (about 10 GB/s).
constexpr long long kMaxRateKb = 10000000;

}  // namespace

std::optional<long long> RateInKb(const std::string& text) {
    std::string_view digits = text;
    long long unit = 1;
    if (!digits.empty()) {
        const char last = digits.back();
        if (last == 'k' || last == 'K') unit = 1024;
        if (last == 'm' || last == 'M') unit = 1024 * 1024;
        if (unit != 1) digits.remove_suffix(1);
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < 0 ||
        value > kMaxRateKb * 1024 / unit)
        return std::nullopt;
    return (value * unit + 1023) / 1024;
}

namespace {

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
    CommandLine line;
    std::vector<std::string> words;
    OptionReader reader(line, words);
    reader.Read(args);
    if (reader.help) return Only(CommandLine::Action::kHelp);
    if (reader.version) return Only(CommandLine::Action::kVersion);
    if (!reader.problem.empty()) return Wrong(reader.problem);
    if (words.empty()) return Wrong("缺少命令：list 或 download");
    const std::string& command = words[0];
    if (command == "list") {
        if (words.size() > 2) return Wrong("list 只接受一个地址");
        if (line.thunder) return Wrong("--thunder 只能用于 download");
        if (line.jobs != 0) return Wrong("--jobs 只能用于 download");
        if (line.skipSaved) return Wrong("--skip-saved 只能用于 download");
        if (line.tags) return Wrong("--tags 只能用于 download");
        if (line.retries >= 0) return Wrong("--retries 只能用于 download");
        if (line.limitRate >= 0) return Wrong("--limit-rate 只能用于 download");
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
           "            或如 1,3,5 和 2-4,7）并逐首下载\n"
           "\n"
           "选项：\n"
           "  -o, --output 文件夹  本次保存到该文件夹（默认为 Config.ini 中的 SavePath）\n"
           "      --save           把地址和保存文件夹存入 Config.ini（不加则不改动它）\n"
           "      --thunder        交给正在运行的 aria2c --enable-rpc 下载\n"
           "      --pages N        列表最多获取 N 页（1 到 32767，默认为 Config.ini 中的 GetPage）\n"
           "  -j, --jobs N         同时下载 N 首（1 到 8，默认为 Config.ini 中的 Jobs，否则为 1）\n"
           "      --skip-saved     跳过已下载过且文件仍在的歌曲（同 Config.ini 中的 SkipSaved=1）\n"
           "      --tags           保存的 MP3 写入与文件名相同的歌名和歌手（ID3v2 标签；\n"
           "                       同 Config.ini 中的 WriteTags=1）\n"
           "      --retries N      因网络或服务器暂时出错而失败的歌曲再试 N 次（0 到 10，\n"
           "                       默认为 Config.ini 中的 Retries，否则为 0）\n"
           "      --limit-rate 速度 整次下载的速度上限，字节每秒，可加 K 或 M（如 500K；\n"
           "                       0 为不限，默认为 Config.ini 中的 SpeedLimit）\n"
           "  -q, --quiet          只显示错误\n"
           "      --json           在标准输出上每首歌曲输出一行 JSON\n"
           "                       （list：id、name；download：id、file、bytes、result、cause）\n"
           "  -h, --help           显示本帮助并退出\n"
           "  -V, --version        显示版本并退出\n"
           "短选项可以连写（-qj4），长选项可以缩写为不致混淆的前缀（--out），-- 之后不再有选项。\n"
           "\n"
           "状态和进度写到标准错误；进度只在终端上逐行刷新。\n"
           "退出状态：0 全部成功，1 有歌曲下载失败，2 命令行有误，3 列表或播放页获取失败，\n"
           "4 保存文件夹或 aria2 不可用，130 或 143 被 SIGINT 或 SIGTERM 中断。\n";
}

}  // namespace tunewell::cli
