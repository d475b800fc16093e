// The main window as the process's network wait pump, and the start-up
// check that waits for the window's first painting.
#include <QEvent>
#include <QTimer>

#include "chrome/caption_button.h"
#include "chrome/skin.h"
#include "shell/frm_main.h"

namespace tunewell::shell {

void frmMain::InstallWaitPump() {
    WaitPumpOwner() = this;
    net::AllowPageWaits();
    net::SetWaitPump([this](net::WaitKind kind) { OnNetworkWait(kind); });
}

// A page wait keeps the window painted, movable and closable and drops
// other input; a transfer wait is an ordinary event step, so the download
// button can pause. A window closed during a page wait ends the request
// (and any later one): the step unwinds at once without acting on the
// closed window, and the program ends as the event loop quits.
void frmMain::OnNetworkWait(net::WaitKind kind) {
    if (kind == net::WaitKind::kTransfer) {
        ProcessPending();
        return;
    }
    if (!ending_) pageWait_->Pump();
    if (ending_) net::StopPageWaits();
}

void frmMain::EndPageWait() { pageWait_->End(!ending_); }

bool frmMain::InPageWait() const { return pageWait_->Active(); }

// The title strip (dragging) and the close button keep the mouse.
bool frmMain::KeepsInputDuringWait(const QObject* receiver) const {
    return receiver == skin1->MoveStrip() || receiver == skin1->CloseButton();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == skin1 && event->type() == QEvent::Paint && startUpPending_) {
        // After this painting has reached the screen.
        QTimer::singleShot(0, this, &frmMain::RunStartUpCheck);
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tunewell::shell
