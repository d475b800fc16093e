#pragma once
#include <QObject>

#include <functional>

namespace tunewell::shell {

// The window's side of a page request (a list page, a sign-in, the play
// page, the version check). The request calls Pump() while it waits; the
// first call begins the wait. During the wait the window repaints, runs
// its timers and can be dragged by its caption and closed (the widgets
// `keepsInput` accepts keep their mouse input), and the pointer shows a
// busy cursor. Every other click and key made meanwhile is dropped, not
// kept for later: the step that waits must not be re-entered, and the
// user's click belonged to a window that could not answer.
//
// End() closes the wait: input that arrived since the last Pump() is
// dropped too, then the filter and the busy cursor go. The window ends a
// wait when the step lets it process events normally again, before any
// modal box, and when the step returns. A wait nobody ends (a request made
// outside a window step) ends when the event loop is next about to idle.
class PageWait : public QObject {
public:
    explicit PageWait(std::function<bool(const QObject*)> keepsInput, QObject* parent = nullptr);
    ~PageWait() override;

    // One step of the wait: begins it if needed, then processes the
    // window system's pending events (input filtered as above).
    void Pump();
    // Ends a wait under way; does nothing otherwise. With `dropQueued`
    // false the queued events stay unprocessed (the program is ending).
    void End(bool dropQueued = true);
    bool Active() const { return active_; }

    // Whether a page wait drops `event` sent to `receiver`.
    bool Drops(const QObject* receiver, const QEvent* event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Begin();

    std::function<bool(const QObject*)> keepsInput_;
    bool active_ = false;
    bool ending_ = false;
};

}  // namespace tunewell::shell
