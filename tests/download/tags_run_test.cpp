// SPDX-License-Identifier: GPL-3.0-or-later
// Runs against the demo site with WriteTags: a saved MP3 carries the title
// and performer it was named after; other songs keep the server's bytes.
#include <gtest/gtest.h>

#include <id3v2tag.h>
#include <mpegfile.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "demo_site/demo_catalogue.h"
#include "download/failure_text.h"
#include "platform/utf8_path.h"
#include "support/download_run_fixture.h"

namespace tunewell::testing {
namespace {

namespace stdfs = std::filesystem;

constexpr const char* kTaggedName = "有标签的歌 - 新歌手.mp3";
constexpr const char* kPlainName = "山间小路 - 林小溪.mp3";
constexpr const char* kFlacName = "问号地址.flac";

class TagsRunTest : public DownloadRunTest {
protected:
    std::pair<std::string, std::string> TitleAndPerformer(const std::string& name) {
        TagLib::MPEG::File file(platform::Utf8Path(temp_.File(name)).c_str());
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
        if (tag == nullptr) return {};
        return {tag->title().to8Bit(true), tag->artist().to8Bit(true)};
    }
    void EmptyFolder() {
        for (const auto& entry : stdfs::directory_iterator(temp_.path())) stdfs::remove_all(entry.path());
    }
};

// One at a time and side by side: the real MP3 is tagged, the generated
// song (no MP3 inside) is saved as sent with a note, the FLAC left alone.
TEST_F(TagsRunTest, SavedMp3sCarryTheirNamesAndOtherSongsStayAsSent) {
    config_.WriteTags = 1;
    for (const int jobs : {1, 2}) {
        SCOPED_TRACE(jobs);
        config_.Jobs = static_cast<std::int16_t>(jobs);
        controls_.events.clear();
        AddRows({demo::kSongTagged, demo::kSongPlain, demo::kSongQueryFlac});
        run_.cmdDown_Click();
        EXPECT_EQ(run_.Succeeded(), 3);
        EXPECT_EQ(FileNames(), (std::set<std::string>{kTaggedName, kPlainName, kFlacName}));
        EXPECT_EQ(TitleAndPerformer(kTaggedName), std::make_pair(std::string("有标签的歌"), std::string("新歌手")));
        EXPECT_NE(Read(kTaggedName), demo::AudioContent(demo::kSongTagged));
        EXPECT_EQ(Read(kPlainName), demo::AudioContent(demo::kSongPlain));
        EXPECT_EQ(Read(kFlacName), demo::AudioContent(demo::kSongQueryFlac));
        std::vector<std::string> notes;
        std::copy_if(controls_.events.begin(), controls_.events.end(), std::back_inserter(notes),
                     [](const std::string& event) { return event.starts_with("note"); });
        EXPECT_EQ(notes, std::vector<std::string>{std::string("note 2 ") + download::kNotMp3TagsText});
        EmptyFolder();
    }
}

}  // namespace
}  // namespace tunewell::testing
