// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's steps: the handlers that wait on requests (the list,
// the download run, the version check), the guards that keep them from
// running inside one another, the window as the process's network wait
// pump, and the start-up check that waits for the window's first painting.
#include <QEvent>
#include <QTimer>

#include "chrome/skin.h"
#include "chrome/text_box.h"
#include "shell/frm_main.h"
#include "widgets/skin_button.h"
#include "widgets/uc_ani_gif.h"

namespace tunewell::shell {
namespace {

constexpr const char* kListAbandonedText = "已停止获取歌曲列表";

// How long a start-up check that found a step on the stack waits to retry.
constexpr int kStartUpRetryMs = 100;

}  // namespace

// Marks a list fetch or a download run as on the stack for its scope; the
// guarded buttons show whether they would take a click.
class frmMain::OnStack {
public:
    OnStack(frmMain& window, bool& flag) : window_(window), flag_(flag) {
        flag_ = true;
        window_.ShowGuardedButtons();
    }
    ~OnStack() {
        flag_ = false;
        window_.ShowGuardedButtons();
    }
    OnStack(const OnStack&) = delete;
    OnStack& operator=(const OnStack&) = delete;

private:
    frmMain& window_;
    bool& flag_;
};

// A handler that may wait on page requests: the wait ends with it.
class frmMain::Step {
public:
    explicit Step(frmMain& window) : window_(window) {}
    ~Step() { window_.EndPageWait(); }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

private:
    frmMain& window_;
};

// A click while a list is fetched abandons that fetch at once and fetches
// the address now in the field, as a browser does with a newer request.
void frmMain::cmdList_Click() {
    if (listing_) {
        relistPending_ = true;
        session_.Catalogue().AbandonFetch();
        return;
    }
    Step step(*this);
    OnStack busy(*this, listing_);
    do {
        relistPending_ = false;
        session_.FetchList(ListUrl->Text().toStdString(), SavePath->Text().toStdString(), session_.ConfigPath());
    } while (relistPending_ && !ending_);
    if (session_.Catalogue().FetchAbandoned()) SetStatusText(kListAbandonedText);
}

// Esc leaves a list fetch that does not answer; the list keeps its rows.
void frmMain::AbandonListFetch() {
    if (listing_) session_.Catalogue().AbandonFetch();
}

void frmMain::cmdDown_Click() {
    if (!DownClickTaken()) return;
    Step step(*this);
    if (Run().CurrentState() == download::DownloadRun::State::Running) {
        // A pause, whatever the list holds now: the start's checks (a ticked
        // row, the folder, the download manager) would otherwise refuse it
        // once the user has unticked the rest or fetched a new list, and
        // the run could not be stopped. It ends at its next step.
        Run().Stop();
        ShowGuardedButtons();
        return;
    }
    OnStack busy(*this, running_);
    Run().cmdDown_Click();
}

void frmMain::CheckVersion() {
    Step step(*this);
    update::VersionCheck check(ports_, ports_, updateGlobals_, [this] {
        if (!ending_) services_.openUpdater(*this);
    });
    check.fetch = services_.fetchVersionReply;
    check.CheckVersion(services_.diskSerial());
}

// Every wait step processes the window's events as they come; a page wait
// shows the busy cursor as well. A window closed during a page wait ends
// the request (and any later one): the step unwinds at once without acting
// on the closed window, and the program ends as the event loop quits.
void frmMain::OnNetworkWait(net::WaitKind kind) {
    if (kind == net::WaitKind::kTransfer) {
        ProcessPending();
        return;
    }
    if (!ending_) pageWait_->Pump();
    if (ending_) net::StopPageWaits();
}

void frmMain::EndPageWait() { pageWait_->End(); }

bool frmMain::InPageWait() const { return pageWait_->Active(); }

// A click while a run is under way pauses it, wherever the run waits. A
// start is refused while a list is fetched (the run would download from a
// list about to be replaced, holding the fetch until every song is done) and
// while a paused run still unwinds (a second run would share its transfer).
bool frmMain::DownClickTaken() const {
    if (session_.Run().CurrentState() == download::DownloadRun::State::Running) return true;
    return !listing_ && !running_;
}

// The settings window reloads the settings the list step (sign-in, page
// count) and the run (numbering) read as they go, and hides the window whose
// pause button the run needs.
bool frmMain::SettingsClickTaken() const { return !listing_ && !running_; }

void frmMain::ShowGuardedButtons() {
    const auto show = [](widgets::SkinButton* button, bool taken) {
        button->setCursor(taken ? Qt::PointingHandCursor : Qt::BusyCursor);
    };
    // The list button always takes a click: during a fetch it abandons that
    // fetch for the address in the field (cmdList_Click), so no fetch ever
    // runs inside another. A fetch during a run is fine: the run works on
    // the songs it collected at its start.
    show(cmdList, true);
    show(cmdDown, DownClickTaken());
    show(cmdCon, SettingsClickTaken());
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == skin1 && event->type() == QEvent::Paint && startUpPending_) {
        // After this painting has reached the screen.
        QTimer::singleShot(0, this, &frmMain::RunStartUpCheck);
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::RunStartUpCheck() {
    if (!startUpPending_) return;
    if (listing_ || running_) {
        // A timer inside a step's wait: the check (which may open the
        // updater and end the program) waits until the step is done.
        QTimer::singleShot(kStartUpRetryMs, this, &frmMain::RunStartUpCheck);
        return;
    }
    startUpPending_ = false;
    // Built without the version check: no request, no disk identity, no
    // advertisement; the status line keeps its first text.
    if (ending_ || !services_.versionCheck) return;
    checkingVersion_ = true;
    CheckVersion();
    checkingVersion_ = false;
    if (ending_) return;
    ucAniGIF1->LoadAnimatedGIF_Remote(updateGlobals_.AdPic);
    if (stayHidden_) hide();
}

}  // namespace tunewell::shell
