// SPDX-License-Identifier: GPL-3.0-or-later
// Tags written into MP3 files, read back through TagLib.
#include <gtest/gtest.h>

#include <attachedpictureframe.h>
#include <id3v1tag.h>
#include <id3v2header.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <textidentificationframe.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "demo_site/demo_catalogue.h"
#include "platform/utf8_path.h"
#include "tags/song_tags.h"

namespace tunewell::testing {
namespace {

namespace stdfs = std::filesystem;
using tags::TagOutcome;

std::string Utf8(const TagLib::String& text) { return text.to8Bit(true); }

// Bytes of no format, as a site's generated songs are.
std::string OtherBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

// A folder with a Chinese name, so that a path the system would read in its
// own code page is caught on Windows.
class SongTagsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = stdfs::temp_directory_path() /
                  platform::Utf8Path("标签测试-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                     "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        stdfs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code error;
        stdfs::remove_all(folder_, error);
    }
    std::string Put(const std::string& bytes) {
        const stdfs::path file = folder_ / platform::Utf8Path("歌曲.mp3");
        std::ofstream(file, std::ios::binary) << bytes;
        return platform::Utf8String(file);
    }
    std::string Bytes(const std::string& path) const {
        std::ifstream in(platform::Utf8Path(path), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    stdfs::path folder_;
};

// The text frames `id` of a tag, each with its encoding.
struct TextFrame {
    std::string text;
    TagLib::String::Type encoding;
};
std::vector<TextFrame> TextFrames(TagLib::ID3v2::Tag& tag, const char* id) {
    std::vector<TextFrame> frames;
    for (TagLib::ID3v2::Frame* frame : tag.frameList(id)) {
        auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame);
        if (text != nullptr) frames.push_back({Utf8(text->toString()), text->textEncoding()});
    }
    return frames;
}

TEST_F(SongTagsTest, TitleAndPerformerReplaceTheOldOnesAndEverythingElseStays) {
    const std::string original = demo::TaggedMp3Bytes();
    const std::string path = Put(original);
    ASSERT_EQ(tags::WriteMp3Tags(path, {"春夏秋冬: A/B", "周晓明"}), TagOutcome::kWritten);

    {
        TagLib::MPEG::File file(platform::Utf8Path(path).c_str());
        ASSERT_TRUE(file.isValid());
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
        ASSERT_NE(tag, nullptr);
        EXPECT_EQ(tag->header()->majorVersion(), 3u);
        const auto titles = TextFrames(*tag, "TIT2");
        ASSERT_EQ(titles.size(), 1u);
        EXPECT_EQ(titles[0].text, "春夏秋冬: A/B");
        EXPECT_EQ(titles[0].encoding, TagLib::String::UTF16);
        const auto performers = TextFrames(*tag, "TPE1");
        ASSERT_EQ(performers.size(), 1u);
        EXPECT_EQ(performers[0].text, "周晓明");
        EXPECT_EQ(performers[0].encoding, TagLib::String::UTF16);
        EXPECT_EQ(Utf8(tag->album()), demo::kTaggedAlbum);
        const auto pictures = tag->frameList("APIC");
        ASSERT_EQ(pictures.size(), 1u);
        auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(std::string(picture->picture().data(), picture->picture().size()), demo::kTaggedPicture);
        // The ID3v1 tag (Latin-1 only) is left as it was.
        ASSERT_TRUE(file.hasID3v1Tag());
        EXPECT_EQ(Utf8(file.ID3v1Tag()->title()), demo::kTaggedOldTitle);
    }
    // The audio itself is untouched: every frame and the ID3v1 tag after it.
    const std::string after = Bytes(path);
    const std::size_t audio = original.find("\xFF\xFB\x90\x64");
    ASSERT_NE(audio, std::string::npos);
    const std::string tail = original.substr(audio);
    ASSERT_GE(after.size(), tail.size());
    EXPECT_EQ(after.substr(after.size() - tail.size()), tail);

    // A second writing replaces again; no performer leaves none.
    ASSERT_EQ(tags::WriteMp3Tags(path, {"雨", ""}), TagOutcome::kWritten);
    TagLib::MPEG::File again(platform::Utf8Path(path).c_str());
    const auto titles = TextFrames(*again.ID3v2Tag(), "TIT2");
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].text, "雨");
    EXPECT_TRUE(again.ID3v2Tag()->frameList("TPE1").isEmpty());
    EXPECT_EQ(Utf8(again.ID3v2Tag()->album()), demo::kTaggedAlbum);
}

// Files that are no MP3 are left byte for byte as they were: other bytes,
// a tag that claims more than the file holds, a tag without audio.
TEST_F(SongTagsTest, FilesWithoutMpegAudioAreLeftAlone) {
    const std::string tagged = demo::TaggedMp3Bytes();
    const std::string cases[] = {
        OtherBytes(50 * 1024),
        std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10) + tagged.substr(10, 400),
        tagged.substr(0, tagged.find("\xFF\xFB\x90\x64")),
        std::string(),
    };
    for (const std::string& bytes : cases) {
        const std::string path = Put(bytes);
        EXPECT_EQ(tags::WriteMp3Tags(path, {"标题", "歌手"}), TagOutcome::kNotMp3) << bytes.size();
        EXPECT_EQ(Bytes(path), bytes) << bytes.size();
    }
    EXPECT_EQ(tags::WriteMp3Tags(platform::Utf8String(folder_ / "missing.mp3"), {"标题", "歌手"}),
              TagOutcome::kFailed);
}

}  // namespace
}  // namespace tunewell::testing
