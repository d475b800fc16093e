// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/frm_menu.h"

#include <QMenu>

#include "chrome/text_box.h"
#include "shell/frm_main.h"
#include "hosts/site_hosts.h"

namespace tunewell::shell {

const std::vector<frmMenu::QuickLink>& frmMenu::QuickLinks() {
    static const std::vector<QuickLink> links = {
        {"大家推荐", "/music/"},
        {"大家在听", "/music/lsn"},
        {"一周排行", "/music/chart"},
        {"我的推荐", "/home.php?tag=music"},
        {"我的收藏夹", "/home.php?tag=fav"},
        {"我的音乐盒", "/home.php?tag=box"},
        {"-", ""},
        {"音乐分类", "/music/catsong/cat15/"},
        {"会员推荐", "/user/27677/"},
        {"自建专辑", "/album/232523"},
        {"小组推荐", "/group/190/fav"},
        {"标签音乐", "/tag/%BF%A8%C5%A9"},  // the tag 卡农, percent-encoded in GBK
        {"单首歌曲", "/song/71799/"},
        {"歌曲连播", "/play.php?song_id=6001,2002,28110,50181,24869"},
    };
    return links;
}

std::string frmMenu::QuickLinkAddress(int index) {
    const auto& links = QuickLinks();
    if (index < 0 || index >= static_cast<int>(links.size())) return {};
    const std::string path = links[index].path;
    return path.empty() ? std::string() : std::string("http://") + hosts::kMusicHost + path;
}

frmMenu::frmMenu(frmMain& mainWindow) : QWidget(&mainWindow, Qt::Window), main_(mainWindow) {
    setWindowTitle(QStringLiteral("程序菜单"));
    m_Main = new QMenu(QStringLiteral("主菜单"), this);
    m_Main->addAction(QStringLiteral("显示下载助手"), this, [this] { m_Menu_Click(0); });
    m_Main->addAction(QStringLiteral("退出下载助手"), this, [this] { m_Menu_Click(1); });

    m_Show = new QMenu(QStringLiteral("地址示例"), this);
    const auto& links = QuickLinks();
    for (int index = 0; index < static_cast<int>(links.size()); ++index) {
        if (std::string(links[index].caption) == "-") {
            m_Show->addSeparator();
        } else {
            m_Show->addAction(QString::fromUtf8(links[index].caption), this,
                              [this, index] { m_Url_Click(index); });
        }
    }
}

void frmMenu::m_Url_Click(int index) {
    main_.ListUrl->SetText(QString::fromStdString(QuickLinkAddress(index)));
}

void frmMenu::m_Menu_Click(int index) {
    if (index == 0) {
        main_.ShowFromTray();
    } else if (index == 1) {
        main_.ExitFromTray();
    }
}

}  // namespace tunewell::shell
