// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "download/download_run.h"
#include "transfer/file_download_fetch.h"
#include "net/cookie_store.h"
#include "settings/config.h"
#include "support/demo_site_fixture.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"
#include "text/number.h"

namespace tunewell::testing {

// The real download run against the demo site, saving into a temporary
// folder through the window's transfer object (or, with Jobs above 1, a
// batch of its own), with a fake window around it. A test adds ticked
// rows, clicks run_.cmdDown_Click() and looks at the folder.
class DownloadRunTest : public DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        controls_.folder = temp_.path();
        fileDownload_.SetEventPump([this] { ui_.pump.ProcessPending(); });
        net::CookieStore::Instance().Clear();
    }

    // A ticked row for song `id`, shown as `name`.
    void AddRow(int id, const std::string& name) {
        ui_.songs.AddRow(ui_.songs.RowCount() + 1, id, text::Number{text::Number::Kind::Int32, double(id)}.ToText(),
                         name);
        ui_.songs.SetChecked(ui_.songs.RowCount(), true);
    }
    // A ticked row for each id, shown as "行" and the id.
    void AddRows(const std::vector<int>& ids) {
        for (int id : ids) AddRow(id, "行" + std::to_string(id));
    }

    // The names in the save folder, hidden ones (partials) included.
    std::set<std::string> FileNames() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temp_.path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    std::string Read(const std::string& name) const { return ReadBytes(temp_.File(name)); }

    TempFolder temp_;
    FakeUi ui_;
    RecordingRun controls_;
    settings::Config config_;
    transfer::CFileDownload fileDownload_;  // unused with Jobs above 1
    transfer::FileDownloadFetch transfer_{fileDownload_};
    download::DownloadRun run_{ui_.ports, controls_, controls_, config_, download::DownloadRun::Services{transfer_}};
};

}  // namespace tunewell::testing
