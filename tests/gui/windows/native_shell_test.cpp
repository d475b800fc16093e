// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's own parts of the Windows edition, driven as a user would
// under wine: the system's folder dialog behind 浏览 in both windows, and the
// tray icon a minimised main window waits in. Nothing here is injected: the
// windows use their default folder chooser and tray.
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>

#include "chrome/text_box.h"
#include "gui/main_window_fixture.h"
#include "settings/ui/frm_seting.h"
#include "shell/frm_menu.h"
#include "widgets/shell_functions.h"

namespace tunewell::testing {
namespace {

std::wstring Wide(const QString& text) { return QDir::toNativeSeparators(text).toStdWString(); }

// Bytes of `text` in the ANSI code page of a Chinese Windows.
std::string Gbk(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 128);
    return name;
}

bool UnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A visible dialog box of this process (the system's folder dialog), or null.
HWND OwnDialog() {
    struct Search {
        DWORD process;
        HWND found;
    } search{::GetCurrentProcessId(), nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            if (process != s->process || !::IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Answers the next folder dialog from a thread of its own, as the user
// would while the dialog's loop holds the window's thread: types `folder`
// into the name field and presses OK, or presses Cancel when `folder` is
// empty. (Wine's folder dialog shows a title of its own whatever the
// program asks, so the title is not compared.)
class FolderDialogAnswer {
public:
    explicit FolderDialogAnswer(std::wstring folder)
        : thread_([this, folder = std::move(folder)] { Answer(folder); }) {}
    ~FolderDialogAnswer() { Finish(); }

    // Waits for the answer; true when a dialog was found and answered.
    bool Finish() {
        if (thread_.joinable()) thread_.join();
        return answered_;
    }

private:
    void Answer(const std::wstring& folder) {
        HWND dialog = nullptr;
        for (int tries = 0; tries < 300 && dialog == nullptr; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            dialog = OwnDialog();
        }
        if (dialog == nullptr) {
            // Some other dialog holds the window's thread: close it, so that
            // the test fails instead of waiting for a click forever.
            const HWND front = ::GetForegroundWindow();
            DWORD process = 0;
            ::GetWindowThreadProcessId(front, &process);
            if (process == ::GetCurrentProcessId()) ::PostMessageW(front, WM_CLOSE, 0, 0);
            return;
        }
        constexpr int kNameField = 1152;  // the file dialog's name field
        if (!folder.empty()) {
            ::SendMessageW(::GetDlgItem(dialog, kNameField), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(folder.c_str()));
        }
        ::PostMessageW(::GetDlgItem(dialog, folder.empty() ? IDCANCEL : IDOK), BM_CLICK, 0, 0);
        answered_ = true;
    }

    bool answered_ = false;
    std::thread thread_;  // last: starts once the members above exist
};

// The icons wine's tray shows (its own standalone tray window under a bare X
// display, or icons docked into the desktop's tray).
std::set<HWND> TrayIconWindows() {
    std::set<HWND> icons;
    ::EnumChildWindows(
        ::GetDesktopWindow(),
        [](HWND window, LPARAM data) -> BOOL {
            if (ClassOf(window) == L"__winex11_tray_icon" && ::IsWindowVisible(window)) {
                reinterpret_cast<std::set<HWND>*>(data)->insert(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&icons));
    return icons;
}

// A click on a tray icon, with the right button or the left: the press and the
// release, which the tray forwards to the icon's window.
void ClickTrayIcon(HWND icon, bool right) {
    const LPARAM middle = MAKELPARAM(8, 8);
    ::PostMessageW(icon, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, middle);
    ::PostMessageW(icon, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, middle);
}

class NativeShellTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (!UnderWine()) GTEST_SKIP() << "drives wine's own tray and dialog windows";
        chosen_ = QDir(QString::fromStdString(Folder())).filePath(QStringLiteral("下载的歌曲"));
        ASSERT_TRUE(QDir().mkpath(chosen_));
    }

    // The main window with the desktop's folder dialog and tray, as the
    // program builds it.
    shell::frmMain& DesktopWindow() {
        adjustServices = [](shell::MainWindowServices& services) {
            services.browseForFolder = nullptr;
            services.trayAvailable = nullptr;
        };
        return LoadedWindow();
    }

    QString chosen_;  // a folder with a Chinese name in the program folder
};

TEST_F(NativeShellTest, TheSystemFolderDialogChoosesTheSaveFolderOfBothWindows) {
    shell::frmMain& window = DesktopWindow();
    window.show();
    {
        FolderDialogAnswer answer(Wide(chosen_));
        window.cmdDir_Click();
        ASSERT_TRUE(answer.Finish());
    }
    EXPECT_EQ(window.SavePath->Text(), QDir::toNativeSeparators(chosen_));
    {
        FolderDialogAnswer cancel(L"");
        window.cmdDir_Click();
        ASSERT_TRUE(cancel.Finish());
    }
    // Cancelled: the field keeps the folder chosen before.
    EXPECT_EQ(window.SavePath->Text(), QDir::toNativeSeparators(chosen_));

    // The settings window's 浏览, then 保存: Config.ini names the folder in
    // the ANSI code page.
    settings::Config config{"http://list", "C:\\songs", 3, "", "", 0, ""};
    settings::frmSeting settingsWindow(&window, config, Folder());
    settingsWindow.show();
    {
        FolderDialogAnswer answer(Wide(chosen_));
        settingsWindow.findChild<QPushButton*>(QStringLiteral("cmdDir"))->click();
        ASSERT_TRUE(answer.Finish());
    }
    EXPECT_EQ(settingsWindow.findChild<chrome::TextBox*>(QStringLiteral("cPath"))->Text(),
              QDir::toNativeSeparators(chosen_));
    settingsWindow.findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
    std::ifstream file(settings::ConfigPath(Folder()), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_NE(bytes.find("SavePath=" + Gbk(Wide(chosen_))), std::string::npos) << bytes;
}

TEST_F(NativeShellTest, MinimisedTheWindowWaitsInTheTrayAndItsIconBringsItBack) {
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
    shell::frmMain& window = DesktopWindow();
    window.show();
    const std::set<HWND> before = TrayIconWindows();
    window.showMinimized();
    std::set<HWND> added;
    ASSERT_TRUE(PumpUntil([&] {
        added.clear();
        for (HWND icon : TrayIconWindows()) {
            if (before.count(icon) == 0) added.insert(icon);
        }
        return !window.isVisible() && added.size() == 1;
    }));
    const HWND icon = *added.begin();

    // A right click offers the tray menu; a left click shows the window
    // where it was and takes the icon away.
    ClickTrayIcon(icon, true);
    QMenu* menu = window.Menus().m_Main;
    ASSERT_TRUE(PumpUntil([&] { return menu->isVisible(); }));
    menu->hide();
    EXPECT_FALSE(window.isVisible());
    ClickTrayIcon(icon, false);
    ASSERT_TRUE(PumpUntil([&] { return window.isVisible() && !window.isMinimized(); }));
    EXPECT_TRUE(PumpUntil([&] { return TrayIconWindows() == before; }));
}

}  // namespace
}  // namespace tunewell::testing
