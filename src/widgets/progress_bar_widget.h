// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QWidget>

namespace tunewell::widgets {

// The drawn progress bar: a filled share of `Value` percent (0..100) with
// `Text` drawn centred over it, in the window frame's look
// (chrome::PaintProgressBar). Out-of-range values are clamped.
class ProgressBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(QString Text READ Text WRITE SetText)

public:
    explicit ProgressBar(QWidget* parent = nullptr);

    int Value() const { return value_; }
    void SetValue(int value);
    QString Text() const { return text_; }
    void SetText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
    QString text_;
};

}  // namespace tunewell::widgets
