// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QEvent>

#include <cstdint>
#include <string>

class QIcon;
class QWidget;

namespace tunewell::widgets {

// Folder dialog flags: only file-system folders, the dialog's newer style.
inline constexpr std::uint32_t kBrowseFileSystemOnly = 0x01;
inline constexpr std::uint32_t kBrowseNewDialogStyle = 0x40;

// Shows the folder dialog owned by `owner` with `title`, starting at `root`
// (empty: the user's home). Returns the chosen folder's path, or an empty
// text when the user cancels.
std::string BrowseForFolder(QWidget* owner, const std::string& title, std::uint32_t flags,
                            const std::string& root = std::string());

// The tray's mouse messages, as the tray icon reports them to its window.
inline constexpr int kTrayLeftButtonDown = 513;
inline constexpr int kTrayLeftButtonDoubleClick = 515;
inline constexpr int kTrayRightButtonDown = 516;
inline constexpr int kTrayMiddleButtonDown = 519;

// Sent to the window that owns a tray icon when the user acts on the icon.
class TrayMessageEvent : public QEvent {
public:
    explicit TrayMessageEvent(int message) : QEvent(EventType()), message_(message) {}
    static QEvent::Type EventType();
    int Message() const { return message_; }

private:
    int message_;
};

// Adds a tray icon for `window` with the program's icon and `tip`; the
// icon's mouse actions arrive at `window` as TrayMessageEvent. Returns 1 on
// success, 0 when the window already has an icon with that id. Where the
// desktop has no tray the icon is kept but never seen: callers ask
// QSystemTrayIcon::isSystemTrayAvailable() first. The icon goes when RemoveTrayIcon is called or the
// window is destroyed.
int AddTrayIcon(QWidget* window, const std::string& tip, int iconId);
// Removes the icon; 1 when there was one, else 0.
int RemoveTrayIcon(QWidget* window, int iconId);
// Whether `window` has a tray icon with that id.
bool HasTrayIcon(const QWidget* window, int iconId);
// Shows a notification from the window's tray icon; nothing when it has none.
void ShowTrayMessage(QWidget* window, int iconId, const std::string& title, const std::string& text);

// The program's icon: the application's icon, else the icon theme's
// "tunewell" where one is installed, else a drawn note.
QIcon ProgramIcon();

// Opens an address in the user's browser.
void OpenUrl(const std::string& address);
// Opens a file with its application; an executable file is started.
void OpenFile(const std::string& path);
// Opens a folder in the desktop's file manager, whatever `path` holds: a
// missing folder is the file manager's to report, an empty path opens the
// home folder, a relative one is taken from the working folder.
void OpenFolder(const std::string& path);

}  // namespace tunewell::widgets
