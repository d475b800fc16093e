// SPDX-License-Identifier: GPL-3.0-or-later
// The size cap of a transfer against the demo site's songs: a file over
// the cap fails while it arrives (or at once when its length is announced)
// and leaves nothing, a resumable partial included; one at the cap arrives.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "demo_site/demo_catalogue.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"

namespace tunewell::transfer {
namespace {

using Cause = TransferFailure::Cause;

class SizeCapTest : public testing::DemoSiteTest {
protected:
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    testing::TempFolder folder_;
    CFileDownload download_;
    const std::int64_t size_ = static_cast<std::int64_t>(demo::AudioSize(demo::kSongPlain));
    const std::string target_ = folder_.File("song.mp3");
};

TEST_F(SizeCapTest, AFileOverTheCapFailsAndLeavesNothingOneAtTheCapArrives) {
    for (const std::string mode : {"", "chunked/"}) {
        const std::string address = testing::MusicUrl("/audio/" + mode + std::to_string(demo::kSongPlain) + ".mp3");
        download_.SetSizeCap(size_ - 1);
        EXPECT_FALSE(download_.StartDownloading(address, target_)) << mode;
        EXPECT_EQ(download_.LastFailure().cause, Cause::kTooLarge) << mode;
        EXPECT_TRUE(Names().empty()) << mode;
        download_.SetSizeCap(size_);
        EXPECT_TRUE(download_.StartDownloading(address, target_)) << mode;
        EXPECT_EQ(testing::ReadBytes(target_), demo::AudioContent(demo::kSongPlain)) << mode;
        std::filesystem::remove(target_);
    }
}

// A partial an aborted transfer left could be resumed, but the rest the
// server offers would take the file past the cap: the partial goes too.
TEST_F(SizeCapTest, AResumablePartialThatWouldPassTheCapIsRemoved) {
    const std::string address = testing::MusicUrl("/audio/slow/" + std::to_string(demo::kSongPlain) + ".mp3");
    download_.OnProgress = [this](std::int64_t progress, std::int64_t, std::int32_t, std::int32_t,
                                  const std::string&) {
        if (progress > 0) download_.AbortDownloading();
    };
    EXPECT_FALSE(download_.StartDownloading(address, target_));
    ASSERT_FALSE(Names().empty());  // the partial and its record
    download_.OnProgress = nullptr;
    download_.SetSizeCap(size_ - 1);
    EXPECT_FALSE(download_.StartDownloading(address, target_));
    EXPECT_EQ(download_.LastFailure().cause, Cause::kTooLarge);
    EXPECT_TRUE(Names().empty());
    const auto resumed = Site().Requests().back();
    EXPECT_FALSE(resumed.Header("Range").empty());  // it was the resuming request that was refused
}

}  // namespace
}  // namespace tunewell::transfer
