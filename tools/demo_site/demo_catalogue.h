// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tunewell::demo {

// Songs with a particular behaviour, listed on the album page /album/232523
// and answered by the play page like any other id.
inline constexpr int kSongPlain = 1001;           // ordinary file with Content-Length
inline constexpr int kSongIllegalName = 1002;     // title full of characters file names refuse
inline constexpr int kSongShortTitle = 1003;      // one-character title
inline constexpr int kSongFileHost = 1004;        // stored on the file host, needs ROXCDNKEY
inline constexpr int kSongChunked = 1005;         // no Content-Length (chunked), dotted title
inline constexpr int kSongLarge = 1006;           // 32 MiB
inline constexpr int kSongSlow = 1007;            // trickles in small chunks
inline constexpr int kSongHostDotOnly = 1008;     // address whose only dots are in its host
inline constexpr int kSongMissing = 1009;         // answers 404
inline constexpr int kSongUpperExtension = 1010;  // address ending in .MP3?x=1
// Songs whose title and address would name a hidden file or the program's
// settings file; answered by the play page, listed on no page.
inline constexpr int kSongDotTitle = 1016;      // title "...", address ending in .bashrc
inline constexpr int kSongSettingsName = 1017;  // title "Config", address ending in .ini
// Songs whose title and address would name a file the program loads or
// runs, or a Windows device; answered by the play page, listed on no page.
inline constexpr int kSongInstallScript = 1030;  // title "cmake_install", address ending in .cmake
inline constexpr int kSongQtConf = 1031;         // title "qt" (too short: the row's name), .conf
inline constexpr int kSongQtLibrary = 1032;      // title "Qt6Core", .dll
inline constexpr int kSongCliProgram = 1033;     // title "tunewell-cli", .exe
inline constexpr int kSongCMakeCache = 1034;     // title "CMakeCache", .txt
inline constexpr int kSongDeviceCon = 1035;      // title "CON", .mp3
inline constexpr int kSongDeviceLpt = 1036;      // title "Lpt1", .FLAC
inline constexpr int kSongDeviceNul = 1037;      // title "nul", .Ogg
inline constexpr int kSongTrailingDots = 1038;   // title "再见. . . " (ends in dots and blanks)
inline constexpr int kSongQueryFlac = 1039;      // address ending in .flac?x=1#y
// The single-song quick link /song/71799/.
inline constexpr int kSongCanon = 71799;

inline constexpr const char* kFileHostFileId = "880011";
inline constexpr std::uint64_t kLargeSongBytes = 32ull * 1024 * 1024;

// Songs whose address answers with no song, or with one that lies about
// its length (/hostile/song/<id>.mp3); answered by the play page, listed
// on no page.
inline constexpr int kSongMaintenancePage = 1050;  // 200, GBK page "维护中" after blank lines
inline constexpr int kSongNotFoundPage = 1051;     // 200, GBK page "文件不存在", with an ETag
inline constexpr int kSongNoContent = 1052;        // 204
inline constexpr int kSongMovedNowhere = 1053;     // 302 without Location, with a page
inline constexpr int kSongChoices = 1054;          // 300 without Location, with a page
inline constexpr int kSongRedirectLoop = 1055;     // 302 to itself
inline constexpr int kSongNotModified = 1056;      // 304
inline constexpr int kSongEmpty = 1057;            // 200 with Content-Length 0 and an ETag
inline constexpr int kSongTypedAsPage = 1058;      // a real song sent as text/html
inline constexpr int kSongLongRange = 1059;        // a range gets a 206 announcing 1,000 bytes too many
inline constexpr int kSongOverrunRange = 1060;     // a range gets a chunked 206 running 1,000 bytes on
inline constexpr int kSongShortRange = 1061;       // a range gets a chunked 206 ending 1,000 bytes early
inline constexpr std::uint64_t kRangeExcessBytes = 1000;
// Songs that fail their first requests for a passing cause, then answer
// (counted per site since it started; ranges are answered with a 206).
inline constexpr int kSongBusyTwice = 1062;   // the first two requests get 503 with "Retry-After: 1"
inline constexpr int kSongBusyNoHint = 1063;  // the first two requests get 503 without Retry-After
inline constexpr int kSongCutOnce = 1064;     // the first request breaks off after kCutOnceBytes
inline constexpr int kBusyRequests = 2;
inline constexpr std::uint64_t kCutOnceBytes = 100000;
// A real MP3 (TaggedMp3Bytes) that already carries tags of its own.
inline constexpr int kSongTagged = 1065;

struct DemoSong {
    int id = 0;
    std::string title;      // UTF-8
    std::string performer;  // UTF-8
    std::string address;    // the audio file's address on the play page
};

// The catalogue entry of a known id; any other id gets a generated song
// (title and performer from fixed pools, audio at /audio/<id>.mp3).
DemoSong FindSong(int id);
// The ids with particular behaviour, in album order.
std::vector<int> FeaturedSongIds();

// Size and bytes of a song's audio file. Content is generated from the id,
// so tests can compare a downloaded file with AudioContent(id).
std::uint64_t AudioSize(int songId);
std::string AudioContent(int songId);
// The deterministic byte stream behind every generated file: `length`
// bytes from `offset` of the stream named by `seed`.
std::string GeneratedBytes(std::uint64_t seed, std::uint64_t offset, std::size_t length);

// A small valid MP3 file, the same on every call: an ID3v2.3 tag (title
// kTaggedOldTitle and performer "Old Singer" in Latin-1, album
// kTaggedAlbum in UTF-16, a front-cover picture kTaggedPicture as PNG),
// kTaggedFrames silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz,
// kTaggedFrameBytes each) and an ID3v1 tag whose title is kTaggedOldTitle.
std::string TaggedMp3Bytes();
inline constexpr const char* kTaggedOldTitle = "Old Title";
inline constexpr const char* kTaggedAlbum = "演示专辑";
inline constexpr const char* kTaggedPicture = "\x89PNG\r\n\x1a\npicture";
inline constexpr int kTaggedFrames = 40;
inline constexpr std::size_t kTaggedFrameBytes = 417;

// The ROXCDNKEY value the file host expects for a file id.
std::string FileHostKey(const std::string& fileId);
// The program file the version server offers when no bytes are configured:
// the stand-in program (tunewell-standin, which ends at once, so an update
// in a test or by hand can start it harmlessly) followed by bytes it never
// reads, about 256 KiB in all; edition 1 is the simplified, 2 the
// traditional Chinese edition. Empty when the stand-in cannot be read.
std::string DefaultProgramBytes(int edition);
// Where the stand-in program was built.
std::string StandInProgramPath();

}  // namespace tunewell::demo
