// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/demo_catalogue.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <sstream>

#include "demo_site/site_names.h"

namespace tunewell::demo {
namespace {

constexpr std::array<const char*, 16> kTitles = {
    "晚风轻拂", "江南雨巷", "青石板路", "星河漫步", "远方的信", "夏夜蝉鸣", "老街灯火", "海边的风",
    "故乡的云朵", "月光小夜曲", "Morning Light", "城市之光", "雪落无声", "追梦的人", "花开时节", "Rainy Day"};
constexpr std::array<const char*, 8> kPerformers = {"林小溪", "周晓明", "陈雨桐", "王一帆",
                                                   "Blue Lake乐队", "李思远", "赵清风", "孙小雅"};

struct FeaturedSong {
    int id;
    const char* title;
    const char* performer;
    const char* host;  // prefix of the music host, or "file:" + prefix of the file host
    const char* path;
    std::uint64_t size;
};

constexpr std::uint64_t KiB = 1024;

const std::array<FeaturedSong, 16>& HostileReplySongs() {
    static const std::array<FeaturedSong, 16> songs = {{
        {kSongMaintenancePage, "维护中的歌", "佚名", "", "/hostile/song/1050.mp3", 0},
        {kSongNotFoundPage, "不存在的歌", "佚名", "", "/hostile/song/1051.mp3", 0},
        {kSongNoContent, "没有内容", "佚名", "", "/hostile/song/1052.mp3", 0},
        {kSongMovedNowhere, "无处可去", "佚名", "", "/hostile/song/1053.mp3", 0},
        {kSongChoices, "多种选择", "佚名", "", "/hostile/song/1054.mp3", 0},
        {kSongRedirectLoop, "绕圈子", "佚名", "", "/hostile/song/1055.mp3", 0},
        {kSongNotModified, "未修改", "佚名", "", "/hostile/song/1056.mp3", 0},
        {kSongEmpty, "空空如也", "佚名", "", "/hostile/song/1057.mp3", 0},
        {kSongTypedAsPage, "网页类型的歌", "佚名", "", "/hostile/song/1058.mp3", 50 * KiB},
        {kSongLongRange, "多报的一段", "佚名", "", "/hostile/song/1059.mp3", 60000},
        {kSongOverrunRange, "跑过头的一段", "佚名", "", "/hostile/song/1060.mp3", 60000},
        {kSongShortRange, "缺了尾巴", "佚名", "", "/hostile/song/1061.mp3", 60000},
        {kSongBusyTwice, "忙过两次", "佚名", "", "/hostile/song/1062.mp3", 60000},
        {kSongBusyNoHint, "不说等多久", "佚名", "", "/hostile/song/1063.mp3", 60000},
        {kSongCutOnce, "断过一次", "佚名", "", "/hostile/song/1064.mp3", 300000},
        {kSongTagged, "有标签的歌", "新歌手", "", "/hostile/song/1065.mp3", 0},  // TaggedMp3Bytes
    }};
    return songs;
}

const std::array<FeaturedSong, 11>& FeaturedSongs() {
    static const std::array<FeaturedSong, 11> songs = {{
        {kSongPlain, "山间小路", "林小溪", "", "/audio/1001.mp3", 200 * KiB},
        {kSongIllegalName, "春夏秋冬: A/B*C?<D>|E\\F", "周晓明", "", "/audio/1002.mp3", 100 * KiB},
        {kSongShortTitle, "雨", "陈雨桐", "", "/audio/1003.mp3", 50 * KiB},
        {kSongFileHost, "蓝色天空", "王一帆", "file:s1.", "/zh-cn/download/880011/lan-se-tian-kong.mp3",
         150 * KiB},
        {kSongChunked, "Vol.2 Live", "Blue Lake乐队", "", "/audio/chunked/1005.mp3", 300 * KiB},
        {kSongLarge, "长长的路", "李思远", "", "/audio/1006.mp3", kLargeSongBytes},
        {kSongSlow, "慢慢地走", "赵清风", "", "/audio/slow/1007.mp3", 256 * KiB},
        {kSongHostDotOnly, "流动的声音", "孙小雅", "cdn.", "/stream?id=9", 60 * KiB},
        {kSongMissing, "找不到的歌", "佚名", "", "/audio/missing/1009.mp3", 0},
        {kSongUpperExtension, "大写扩展名", "吴天", "", "/audio/1010.MP3?x=1", 70 * KiB},
        {kSongCanon, "卡农 (D大调)", "帕赫贝尔", "", "/audio/71799.mp3", 120 * KiB},
    }};
    return songs;
}

const std::array<FeaturedSong, 12>& NameTrapSongs() {
    static const std::array<FeaturedSong, 12> songs = {{
        {kSongDotTitle, "...", "", "", "/audio/1016.bashrc", 10 * KiB},
        {kSongSettingsName, "Config", "", "", "/audio/1017.ini", 10 * KiB},
        {kSongInstallScript, "cmake_install", "", "", "/audio/1030.cmake", 10 * KiB},
        {kSongQtConf, "qt", "", "", "/audio/1031.conf", 10 * KiB},
        {kSongQtLibrary, "Qt6Core", "", "", "/audio/1032.dll", 10 * KiB},
        {kSongCliProgram, "tunewell-cli", "", "", "/audio/1033.exe", 10 * KiB},
        {kSongCMakeCache, "CMakeCache", "", "", "/audio/1034.txt", 10 * KiB},
        {kSongDeviceCon, "CON", "", "", "/audio/1035.mp3", 10 * KiB},
        {kSongDeviceLpt, "Lpt1", "", "", "/audio/1036.FLAC", 10 * KiB},
        {kSongDeviceNul, "nul", "", "", "/audio/1037.Ogg", 10 * KiB},
        {kSongTrailingDots, "再见. . . ", "", "", "/audio/1038.mp3", 10 * KiB},
        {kSongQueryFlac, "问号地址", "", "", "/audio/1039.flac?x=1#y", 10 * KiB},
    }};
    return songs;
}

std::string FeaturedAddress(const FeaturedSong& song) {
    const std::string host = song.host;
    if (host.rfind("file:", 0) == 0) return FileHostAddress(song.path, host.substr(5));
    return MusicAddress(song.path, host);
}

const FeaturedSong* FindFeatured(int id) {
    for (const auto& song : FeaturedSongs()) {
        if (song.id == id) return &song;
    }
    for (const auto& song : NameTrapSongs()) {
        if (song.id == id) return &song;
    }
    for (const auto& song : HostileReplySongs()) {
        if (song.id == id) return &song;
    }
    return nullptr;
}

std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::uint64_t Positive(int id) { return id < 0 ? static_cast<std::uint64_t>(-static_cast<long long>(id)) : id; }

}  // namespace

DemoSong FindSong(int id) {
    if (const FeaturedSong* featured = FindFeatured(id)) {
        return {id, featured->title, featured->performer, FeaturedAddress(*featured)};
    }
    const std::uint64_t n = Positive(id);
    return {id, std::string(kTitles[n % kTitles.size()]) + std::to_string(id),
            kPerformers[(n * 3 + n / kTitles.size()) % kPerformers.size()],
            MusicAddress("/audio/" + std::to_string(id) + ".mp3")};
}

std::vector<int> FeaturedSongIds() {
    std::vector<int> ids;
    for (const auto& song : FeaturedSongs()) {
        if (song.id != kSongCanon) ids.push_back(song.id);
    }
    return ids;
}

std::uint64_t AudioSize(int songId) {
    if (songId == kSongTagged) return TaggedMp3Bytes().size();
    if (const FeaturedSong* featured = FindFeatured(songId)) return featured->size;
    return 40 * KiB + (Positive(songId) % 13) * KiB;
}

std::string AudioContent(int songId) {
    if (songId == kSongTagged) return TaggedMp3Bytes();
    return GeneratedBytes(static_cast<std::uint64_t>(songId), 0, static_cast<std::size_t>(AudioSize(songId)));
}

std::string GeneratedBytes(std::uint64_t seed, std::uint64_t offset, std::size_t length) {
    // Every 8-byte block of the stream is one SplitMix value of (seed, block).
    std::string out(length, '\0');
    const std::uint64_t key = SplitMix(seed * 0x632BE59BD9B4E019ull + 1);
    std::size_t written = 0;
    std::uint64_t block = offset / 8;
    std::size_t skip = static_cast<std::size_t>(offset % 8);
    while (written < length) {
        const std::uint64_t value = SplitMix(key ^ (block * 0xD1B54A32D192ED03ull));
        unsigned char bytes[8];
        for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
        const std::size_t take = std::min<std::size_t>(8 - skip, length - written);
        std::memcpy(out.data() + written, bytes + skip, take);
        written += take;
        skip = 0;
        ++block;
    }
    return out;
}

std::string FileHostKey(const std::string& fileId) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const char c : fileId) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    static const char kHex[] = "0123456789abcdef";
    std::string key = "K";
    for (int i = 0; i < 12; ++i) key += kHex[(hash >> (4 * i)) & 0xF];
    return key;
}

std::string DefaultProgramBytes(int edition) {
    // The stand-in program, then bytes it never reads: they mark the
    // edition and give the download a size worth a progress bar.
    std::ifstream in(StandInProgramPath(), std::ios::binary);
    std::ostringstream program;
    program << in.rdbuf();
    if (!in || program.str().empty()) return {};
    std::string bytes = program.str();
    bytes += edition == 2 ? "\nTunewell traditional edition 2.6\n" : "\nTunewell 2.6\n";
    bytes += GeneratedBytes(static_cast<std::uint64_t>(900 + edition), 0, 256 * 1024);
    return bytes;
}

std::string StandInProgramPath() {
#ifdef TUNEWELL_STANDIN_PROGRAM
    return TUNEWELL_STANDIN_PROGRAM;
#else
    return {};
#endif
}

}  // namespace tunewell::demo
