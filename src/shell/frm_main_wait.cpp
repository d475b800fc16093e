// The main window as the process's network wait pump, the handlers that
// must not run inside another step, and the start-up check that waits for
// the window's first painting.
#include <QEvent>
#include <QTimer>

#include "chrome/skin.h"
#include "shell/frm_main.h"
#include "widgets/skin_button.h"
#include "widgets/uc_ani_gif.h"

namespace tunewell::shell {
namespace {

// How long a start-up check that found a step on the stack waits to retry.
constexpr int kStartUpRetryMs = 100;

}  // namespace

void frmMain::InstallWaitPump() {
    WaitPumpOwner() = this;
    net::AllowPageWaits();
    net::SetWaitPump([this](net::WaitKind kind) { OnNetworkWait(kind); });
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

// A second fetch inside the first would fill the list twice, and the outer
// one would then overwrite what the user ticked in the inner one. A fetch
// during a run is fine: the run works on the songs it collected at its start.
bool frmMain::ListClickTaken() const { return !listing_; }

// A click while a run is under way pauses it, wherever the run waits. A
// start is refused while a list is fetched (the run would download from a
// list about to be replaced, holding the fetch until every song is done) and
// while a paused run still unwinds (a second run would share its transfer).
bool frmMain::DownClickTaken() const {
    if (run_->CurrentState() == download::DownloadRun::State::Running) return true;
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
    show(cmdList, ListClickTaken());
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
    CheckVersion();
    if (ending_) return;
    ucAniGIF1->LoadAnimatedGIF_Remote(updateGlobals_.AdPic);
    if (stayHidden_) hide();
}

}  // namespace tunewell::shell
