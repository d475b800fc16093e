// SPDX-License-Identifier: GPL-3.0-or-later
// Addresses from outside the window: the program's command line and a
// later start of the program handing its address over (single_window.h).
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QUrl>

#include "catalogue/list_command.h"
#include "chrome/skin.h"
#include "chrome/text_box.h"
#include "hosts/site_hosts.h"
#include "shell/frm_main.h"
#include "shell/single_window.h"
#include "widgets/shell_functions.h"

namespace tunewell::shell {
namespace {

// How often an address waits for the start-up check or a dialog to end.
constexpr int kOpenRetryMs = 100;

constexpr const char* kTooLongText = "地址太长，未获取歌曲列表";

// An address on the music site: http or https, the site's host or one of
// its subdomains, nothing that would not survive as an address.
bool IsSiteAddress(const QString& text) {
    if (text.size() > SingleWindow::kMaxAddressChars) return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.isSpace()) return false;
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const QString host = url.host().toLower();
    const QString site = QString::fromUtf8(hosts::kMusicHost).toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           (host == site || host.endsWith(QLatin1Char('.') + site));
}

}  // namespace

void frmMain::OpenFromElsewhere(const std::string& address, bool comeForward) {
    if (ending_) return;
    if (comeForward) ComeForward();
    if (address.empty()) return;
    handedAddress_ = address;  // a newer address replaces one still waiting
    TakeHandedAddress();
}

// Out of the tray or the task bar, in front of the other windows.
void frmMain::ComeForward() {
    widgets::RemoveTrayIcon(this, kTrayIconId);
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
    RefreshSkin();
}

// The address is taken as the start-up check is done and no dialog holds
// the window (a fetch started under a message box would be hidden by it);
// then it goes into the field and is fetched as a click of the list button
// is, under the rules a click has while a fetch or a run is under way.
// Anything but a site address leaves the field as it was and says so in
// the status line.
void frmMain::TakeHandedAddress() {
    if (!handedAddress_ || ending_) return;
    if (!StartUpDone() || checkingVersion_ || QApplication::activeModalWidget() != nullptr) {
        if (!openRetryQueued_) {
            openRetryQueued_ = true;
            QTimer::singleShot(kOpenRetryMs, this, [this] {
                openRetryQueued_ = false;
                TakeHandedAddress();
            });
        }
        return;
    }
    const QString address = QString::fromStdString(*handedAddress_).trimmed();
    handedAddress_.reset();
    if (!IsSiteAddress(address)) {
        const bool tooLong = address.size() > SingleWindow::kMaxAddressChars;
        SetStatusText(tooLong ? std::string(kTooLongText) : catalogue::NotOnSiteText());
        LabTip->setToolTip(address.left(SingleWindow::kMaxAddressChars));
        return;
    }
    LabTip->setToolTip(QString());
    ListUrl->SetText(address);
    cmdList_Click();
}

}  // namespace tunewell::shell
