// SPDX-License-Identifier: GPL-3.0-or-later
// tunewell-cli --tags: a saved MP3 in a Chinese-named folder reads back as
// the run named it, a song that is no MP3 is saved as sent with a note,
// and WriteTags=1 does the same as the option.
#include <gtest/gtest.h>

#include <id3v2tag.h>
#include <mpegfile.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_folder_test.h"
#include "demo_site/demo_catalogue.h"
#include "platform/utf8_path.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"

namespace tunewell::testing {
namespace {

namespace stdfs = std::filesystem;

class CliTags : public CliFolderTest {
protected:
    void SetUp() override {
        songs_ = folder_.File("我的 歌曲");
        CliFolderTest::SetUp();
        WriteConfig("");
    }
    void WriteConfig(const std::string& more) { WriteConfigLines("Jobs=1\r\n" + more); }
    CliOutcome Download(std::vector<std::string> more) {
        std::vector<std::string> args = {"download", MusicUrl("/play.php?song_id=1065,1001", "www."), "-o", songs_};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(std::move(args));
    }
    std::string TitleOf(const std::string& name) {
        TagLib::MPEG::File file(platform::Utf8Path(songs_ + "/" + name).c_str());
        return file.ID3v2Tag() != nullptr ? file.ID3v2Tag()->title().to8Bit(true) : std::string();
    }
    std::string ArtistOf(const std::string& name) {
        TagLib::MPEG::File file(platform::Utf8Path(songs_ + "/" + name).c_str());
        return file.ID3v2Tag() != nullptr ? file.ID3v2Tag()->artist().to8Bit(true) : std::string();
    }
};

TEST_F(CliTags, SavedMp3sReadBackAsTheRunNamedThem) {
    const CliOutcome plain = Download({});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(ReadBytes(songs_ + "/有标签的歌 - 新歌手.mp3"), demo::AudioContent(demo::kSongTagged));

    const CliOutcome tagged = Download({"--tags"});
    ASSERT_EQ(tagged.status, 0) << tagged.err;
    EXPECT_EQ(TitleOf("有标签的歌 - 新歌手.mp3"), "有标签的歌");
    EXPECT_EQ(ArtistOf("有标签的歌 - 新歌手.mp3"), "新歌手");
    // The generated song holds no MP3: saved as sent, and said so.
    EXPECT_EQ(ReadBytes(songs_ + "/山间小路 - 林小溪.mp3"), demo::AudioContent(demo::kSongPlain));
    EXPECT_NE(tagged.err.find("山间小路 - 林小溪.mp3: 下载完毕 (未写入标签：不是有效的MP3文件)"), std::string::npos)
        << tagged.err;

    // A script reads the same from --json: the untagged song carries the note.
    const CliOutcome json = Download({"--tags", "--json", "-q"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"result\":\"saved\",\"cause\":null,\"note\":null}"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"note\":\"未写入标签：不是有效的MP3文件\"}"), std::string::npos) << json.out;

    stdfs::remove(platform::Utf8Path(songs_ + "/有标签的歌 - 新歌手.mp3"));
    WriteConfig("WriteTags=1\r\n");
    ASSERT_EQ(Download({}).status, 0);
    EXPECT_EQ(TitleOf("有标签的歌 - 新歌手.mp3"), "有标签的歌");
}

}  // namespace
}  // namespace tunewell::testing
