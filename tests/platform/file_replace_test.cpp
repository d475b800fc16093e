// SPDX-License-Identifier: GPL-3.0-or-later
// The permission bits of replacement temporaries while they are written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/file_replace.h"
#include "support/temp_folder.h"

namespace tunewell::platform {
namespace {

using testing::ModeOf;
using testing::TempFolder;

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(previous_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t previous_;
};

// A temporary asked to be private is so from its creation, before any byte
// of the secret reaches it, whatever the umask (one that takes the owner's
// bits away included); one not asked keeps the user's usual mode.
TEST(ReplaceTemp, ModeIsSetBeforeTheFirstByteWhateverTheUmask) {
    TempFolder folder;
    const std::string target = folder.File("Config.ini");
    for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{0277}}) {
        const ScopedUmask umask(mask);
        ReplaceTemp temp(target, ".Config.ini.", "", 0600);
        ASSERT_TRUE(temp.IsOpen()) << std::oct << mask;
        EXPECT_EQ(ModeOf(temp.Path()), 0600u) << std::oct << mask;
        ASSERT_TRUE(temp.WriteAll("[Config]\r\nLoginPass=secret\r\n"));
        EXPECT_EQ(ModeOf(temp.Path()), 0600u) << std::oct << mask;
        ASSERT_TRUE(temp.Commit(target, {.fixedMode = 0600}));
        EXPECT_EQ(ModeOf(target), 0600u) << std::oct << mask;
    }
    for (const mode_t mask : {mode_t{0}, mode_t{022}}) {
        const ScopedUmask umask(mask);
        ReplaceTemp temp(folder.File("song.mp3"), ".tw-", ".part");
        ASSERT_TRUE(temp.IsOpen());
        EXPECT_EQ(ModeOf(temp.Path()), 0666u & ~mask) << std::oct << mask;
    }
}

}  // namespace
}  // namespace tunewell::platform
