// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QBuffer;
class QMovie;

namespace tunewell::widgets {

// The animated picture (the main window's advertisement). Pictures come
// from bytes in memory or from an address read in the background; the
// window never waits for them. `Action` is the player's state: kStop,
// kPlay or kPause. Only a playing picture can be paused, and a stopped one
// stays stopped until it is played. Drawing lives in paintEvent only.
class ucAniGIF : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Action READ Action WRITE SetAction)

public:
    static constexpr int kStop = 0;
    static constexpr int kPlay = 1;
    static constexpr int kPause = 2;

    // Reads an address's bytes; runs on a worker thread.
    using Fetcher = std::function<std::optional<std::string>(const std::string& address)>;

    explicit ucAniGIF(QWidget* parent = nullptr);
    ~ucAniGIF() override;

    // Reads the picture at `address` in the background and plays it when it
    // has arrived. An empty address loads nothing. A later call supersedes
    // an earlier one still under way; a failed read leaves the widget as it
    // was.
    void LoadAnimatedGIF_Remote(const std::string& address);
    // Shows and plays a picture held in memory; false when the bytes are not
    // a picture Qt can read (the widget is then left as it was).
    bool LoadAnimatedGIF(const QByteArray& bytes);

    int Action() const { return action_; }
    void SetAction(int action);
    bool HasPicture() const { return movie_ != nullptr; }
    int LoadsUnderWay() const { return loadsUnderWay_; }

    // Replaces the background reader (tests).
    void SetFetcher(Fetcher fetcher) { fetcher_ = std::move(fetcher); }

signals:
    void Click();
    // The background read of an address ended (picture shown or not).
    void RemoteLoadFinished(bool shown);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Unload();

    Fetcher fetcher_;
    QByteArray bytes_;
    QBuffer* buffer_ = nullptr;
    QMovie* movie_ = nullptr;
    int action_ = kStop;
    unsigned generation_ = 0;
    int loadsUnderWay_ = 0;
};

}  // namespace tunewell::widgets
