// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "transfer/file_fetch.h"
#include "shell/frm_main.h"
#include "support/temp_folder.h"
#include "widgets/message_dialog.h"

namespace tunewell::testing {

// A transfer that succeeds or fails on command. Inside StartDownloading it
// reports half the file to its listener (the window's run) and lets the
// window process events once, running `duringTransfer` there (a click
// arriving mid-song).
class ScriptedTransfer : public transfer::FileFetch {
public:
    bool StartDownloading(const std::string& source, const std::string& destination) override {
        started.push_back({source, destination});
        aborted = false;
        if (window != nullptr) {
            if (progress) progress(50, 100, 0);
            if (duringTransfer) duringTransfer(static_cast<int>(started.size()));
            window->ProcessPending();
        }
        return !aborted && succeed;
    }
    void AbortDownloading() override {
        aborted = true;
        ++abortCalls;
    }
    void SetProgressHandler(ProgressHandler handler) override { progress = std::move(handler); }

    shell::frmMain* window = nullptr;
    ProgressHandler progress;
    std::function<void(int song)> duringTransfer;
    bool succeed = true;
    bool aborted = false;
    int abortCalls = 0;
    std::vector<std::pair<std::string, std::string>> started;
};

// One main window over a fresh program folder, with every outside effect
// recorded instead of performed.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = temp_.path();
        previousHandler_ = widgets::SetMessageHandler(
            [this](QWidget*, const std::string& text) { messages.push_back(text); });
    }

    void TearDown() override {
        window_.reset();
        widgets::SetMessageHandler(std::move(previousHandler_));
    }

    // Builds the window (not yet loaded); `transfer` may stay null.
    shell::frmMain& Window(transfer::FileFetch* transfer = nullptr) {
        shell::MainWindowServices services;
        services.programFolder = Folder();
        services.transfer = transfer;
        services.isRunning = [](const std::string&) { return false; };
        services.browseForFolder = [this](QWidget*, const std::string& title, const std::string& start) {
            dialogTitles.push_back(title);
            dialogStarts.push_back(start);
            return folderChoice;
        };
        services.openUrl = [this](const std::string& url) { openedUrls.push_back(url); };
        services.openFolder = [this](const std::string& path) { openedFolders.push_back(path); };
        services.showSettings = [this](QWidget*) { ++settingsShown; };
        services.trayAvailable = [this] { return trayAvailable; };
        services.endProgram = [this] { ++endCalls; };
        services.diskSerial = [this] {
            ++serialReads;
            return std::string("SERIAL-1");
        };
        if (!realVersionServer) {
            services.fetchVersionReply = [this](const std::string& address) {
                versionRequests.push_back(address);
                if (duringVersionRequest) duringVersionRequest();
                return versionReply;
            };
        }
        services.versionCheck = versionCheck;
        if (!realUpdater) {
            services.openUpdater = [this](shell::frmMain& window) {
                ++updaterOpened;
                window.StayHiddenAfterLoad();
            };
        }
        services.endProgramAtOnce = [this] { ++endAtOnceCalls; };
        if (adjustServices) adjustServices(services);
        window_ = std::make_unique<shell::frmMain>(std::move(services));
        return *window_;
    }

    shell::frmMain& LoadedWindow(transfer::FileFetch* transfer = nullptr) {
        shell::frmMain& window = Window(transfer);
        window.Form_Load();
        EXPECT_TRUE(PumpUntil([&] { return window.StartUpDone(); }));
        Pump();
        return window;
    }

    std::string Folder() const { return folder_.string(); }

    static void Pump() { QCoreApplication::processEvents(); }

    // Processes events until `done` holds or `milliseconds` pass.
    static bool PumpUntil(const std::function<bool()>& done, int milliseconds = 5000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < milliseconds) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return done();
    }

    std::vector<std::string> messages;
    // Whether the window runs its start-up version check, and whether it
    // asks the real version server (through http_proxy) instead of
    // versionReply; serialReads counts the disk identity reads.
    bool versionCheck = true;
    bool realVersionServer = false;
    int serialReads = 0;
    // The version server as the window sees it (unreachable by default).
    std::string versionReply = "$False$";
    std::vector<std::string> versionRequests;
    // Runs inside the version request, as the request's wait would.
    std::function<void()> duringVersionRequest;
    int updaterOpened = 0;
    // The program's own updater window instead of the recorder above; its
    // immediate end is recorded in endAtOnceCalls.
    bool realUpdater = false;
    int endAtOnceCalls = 0;
    std::vector<std::string> openedUrls;
    std::vector<std::string> openedFolders;
    std::vector<std::string> dialogTitles;
    std::string folderChoice;
    std::vector<std::string> dialogStarts;  // where each folder dialog started
    int settingsShown = 0;
    int endCalls = 0;
    bool trayAvailable = false;
    // Changes the recorded services before the window is built (a service
    // set to null is the program's own).
    std::function<void(shell::MainWindowServices&)> adjustServices;

private:
    TempFolder temp_;  // the program folder, removed after the test
    std::filesystem::path folder_;
    std::unique_ptr<shell::frmMain> window_;
    widgets::MessageHandler previousHandler_;
};

}  // namespace tunewell::testing
