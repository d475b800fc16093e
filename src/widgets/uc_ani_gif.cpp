// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/uc_ani_gif.h"

#include <QBuffer>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QThread>

#include "net/remote_bytes.h"

namespace tunewell::widgets {

ucAniGIF::ucAniGIF(QWidget* parent) : QWidget(parent) {
    fetcher_ = [](const std::string& address) { return net::FetchRemoteBytes(address); };
    setCursor(Qt::PointingHandCursor);
}

ucAniGIF::~ucAniGIF() { Unload(); }

void ucAniGIF::LoadAnimatedGIF_Remote(const std::string& address) {
    const unsigned generation = ++generation_;
    if (address.empty()) return;
    auto result = std::make_shared<std::optional<std::string>>();
    QThread* worker = QThread::create([fetch = fetcher_, address, result] { *result = fetch(address); });
    ++loadsUnderWay_;
    // Queued to this widget's thread; dropped when the widget is gone.
    connect(worker, &QThread::finished, this, [this, generation, result] {
        --loadsUnderWay_;
        if (generation != generation_) return;  // a newer load replaced this one
        const bool shown = result->has_value() &&
                           LoadAnimatedGIF(QByteArray::fromStdString(**result));
        emit RemoteLoadFinished(shown);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

bool ucAniGIF::LoadAnimatedGIF(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    auto movie = std::make_unique<QMovie>(buffer.get());
    if (!movie->isValid()) return false;
    Unload();
    bytes_ = bytes;
    buffer_ = buffer.release();
    movie_ = movie.release();
    connect(movie_, &QMovie::frameChanged, this, qOverload<>(&QWidget::update));
    SetAction(kPlay);
    return true;
}

void ucAniGIF::Unload() {
    if (movie_ == nullptr) return;
    movie_->stop();
    delete movie_;
    delete buffer_;
    movie_ = nullptr;
    buffer_ = nullptr;
    action_ = kStop;
}

void ucAniGIF::SetAction(int action) {
    if (movie_ == nullptr) return;
    if (action == kPlay) {
        if (movie_->state() == QMovie::Paused) {
            movie_->setPaused(false);
        } else if (movie_->state() == QMovie::NotRunning) {
            movie_->start();
        }
        action_ = kPlay;
    } else if (action == kPause) {
        if (action_ != kPlay) return;  // nothing playing: nothing to pause
        movie_->setPaused(true);
        action_ = kPause;
    } else if (action == kStop) {
        movie_->stop();
        action_ = kStop;
    }
    update();
}

void ucAniGIF::paintEvent(QPaintEvent*) {
    if (movie_ == nullptr) return;
    const QPixmap frame = movie_->currentPixmap();
    if (frame.isNull()) return;
    QPainter painter(this);
    const QSize size = frame.size().scaled(this->size(), Qt::KeepAspectRatio);
    const QSize shown = frame.width() > width() || frame.height() > height() ? size : frame.size();
    const QRect target(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
    painter.drawPixmap(target, frame);
}

void ucAniGIF::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Click();
    }
    QWidget::mouseReleaseEvent(event);
}

}  // namespace tunewell::widgets
