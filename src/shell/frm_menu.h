// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

#include <string>
#include <vector>

class QMenu;

namespace tunewell::shell {

class frmMain;

// The holder of the program's two pop-up menus; never shown itself.
// m_Main is the tray menu ("显示下载助手", "退出下载助手"); m_Show holds the
// quick links, each putting an address of the music site into the main
// window's address field. Owned by the main window.
class frmMenu : public QWidget {
    Q_OBJECT

public:
    struct QuickLink {
        const char* caption;  // "-" for the separator
        const char* path;     // empty for the separator
    };
    // The fourteen quick links in menu order.
    static const std::vector<QuickLink>& QuickLinks();
    // "http://", the music site's host and the link's path; empty for the
    // separator.
    static std::string QuickLinkAddress(int index);

    explicit frmMenu(frmMain& mainWindow);

    // Item handlers (index as in QuickLinks / 0 show, 1 exit).
    void m_Url_Click(int index);
    void m_Menu_Click(int index);

    QMenu* m_Main = nullptr;
    QMenu* m_Show = nullptr;

private:
    frmMain& main_;
};

}  // namespace tunewell::shell
