// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session.h"

#include <gtest/gtest.h>

#include <memory>

#include "net/wait_pump.h"
#include "support/download_run_fixture.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"

namespace tunewell::session {
namespace {

using testing::FrontEndOf;

Session::Options InFolder(const testing::TempFolder& folder) { return testing::InFolder(folder.path()); }

// Every wait runs the pump of the last session built that still lives,
// whichever order the sessions go in; with none left nothing runs.
TEST(SessionTest, WaitsRunThePumpOfTheLatestLivingSession) {
    testing::TempFolder folder;
    testing::FakeUi first;
    testing::FakeUi second;
    auto older = std::make_unique<Session>(FrontEndOf(first), InFolder(folder));
    net::RunWaitPump(net::WaitKind::kPage);
    EXPECT_EQ(first.pump.count, 1);
    {
        Session newer(FrontEndOf(second), InFolder(folder));
        net::RunWaitPump(net::WaitKind::kTransfer);
        EXPECT_EQ(first.pump.count, 1);
        EXPECT_EQ(second.pump.count, 1);
    }
    net::RunWaitPump(net::WaitKind::kPage);
    EXPECT_EQ(first.pump.count, 2);
    older.reset();
    net::RunWaitPump(net::WaitKind::kPage);
    EXPECT_EQ(first.pump.count, 2);
    EXPECT_EQ(second.pump.count, 1);

    auto a = std::make_unique<Session>(FrontEndOf(first), InFolder(folder));
    auto b = std::make_unique<Session>(FrontEndOf(second), InFolder(folder));
    a.reset();  // not the latest: the pump stays b's
    net::RunWaitPump(net::WaitKind::kPage);
    EXPECT_EQ(second.pump.count, 2);
    b.reset();
    net::RunWaitPump(net::WaitKind::kPage);
    EXPECT_EQ(first.pump.count, 2);
    EXPECT_EQ(second.pump.count, 2);
}

TEST(SessionTest, AWindowsOwnPumpTellsPageWaitsFromTransfers) {
    testing::TempFolder folder;
    testing::FakeUi ui;
    int pages = 0;
    int transfers = 0;
    Session::Options options = InFolder(folder);
    options.waitPump = [&](net::WaitKind kind) { ++(kind == net::WaitKind::kPage ? pages : transfers); };
    Session session(FrontEndOf(ui), std::move(options));
    net::RunWaitPump(net::WaitKind::kPage);
    net::RunWaitPump(net::WaitKind::kTransfer);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(transfers, 1);
    EXPECT_EQ(ui.pump.count, 0);
}

}  // namespace
}  // namespace tunewell::session
