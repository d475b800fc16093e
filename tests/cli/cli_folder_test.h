// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_process.h"
#include "platform/utf8_path.h"
#include "support/demo_site_fixture.h"
#include "support/temp_folder.h"

namespace tunewell::testing {

// A demo site, and tunewell-cli copied into a program folder of its own
// (so its Config.ini lands there) with a songs folder inside it. A fixture
// that wants another songs folder, or none (empty), sets songs_ before this
// SetUp runs.
class CliFolderTest : public DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        std::filesystem::copy_file(TUNEWELL_CLI, folder_.File("tunewell-cli"));
        if (!songs_.empty()) std::filesystem::create_directories(platform::Utf8Path(songs_));
    }
    // Config.ini beside the program: a [Config] section of `lines`, each
    // ending in CR LF as the program writes them.
    void WriteConfigLines(const std::string& lines) const {
        WriteBytes(folder_.File("Config.ini"), "[Config]\r\n" + lines);
    }
    CliOutcome RunCli(std::vector<std::string> args) const { return RunCliIn(folder_.path(), std::move(args)); }

    TempFolder folder_;
    std::string songs_ = folder_.File("songs");
};

}  // namespace tunewell::testing
