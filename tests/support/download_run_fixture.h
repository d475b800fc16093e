// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "download/download_run.h"
#include "net/cookie_store.h"
#include "session/session.h"
#include "settings/config.h"
#include "support/demo_site_fixture.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"
#include "text/number.h"

namespace tunewell::testing {

// The fake window as a session's front end.
inline session::Session::FrontEnd FrontEndOf(FakeUi& ui) {
    return {ui.status, ui.messages, ui.songs, ui.pump, ui.windows};
}

// Session options with `folder` as the program folder.
inline session::Session::Options InFolder(const std::string& folder) {
    session::Session::Options options;
    options.programFolder = folder;
    return options;
}

// The program's session against the demo site, with a fake window around
// it: the real download run saving into a temporary folder through the
// session's transfer object (or, with Jobs above 1, a batch of its own).
// A test adds ticked rows, clicks run_.cmdDown_Click() and looks at the
// folder.
class DownloadRunTest : public DemoSiteTest {
protected:
    void SetUp() override {
        DemoSiteTest::SetUp();
        controls_.folder = temp_.path();
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
    TempFolder program_;  // Config.ini and the saved-songs record, apart from the songs
    FakeUi ui_;
    RecordingRun controls_;
    session::Session session_{FrontEndOf(ui_), InFolder(program_.path())};
    settings::Config& config_ = session_.Settings();
    transfer::CFileDownload& fileDownload_ = session_.FileDownload();  // unused with Jobs above 1
    transfer::FileFetch& transfer_ = session_.Transfer();
    download::DownloadRun& run_ = session_.OpenRun(controls_, controls_);
};

}  // namespace tunewell::testing
