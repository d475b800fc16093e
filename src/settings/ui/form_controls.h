// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLabel>
#include <QRect>
#include <QString>
#include <QWidget>

namespace tunewell::settings::form {

inline QString Utf8(const char* text) { return QString::fromUtf8(text); }

// Names a control of a settings window and puts it at its fixed place in
// the client area (pixels); returns it.
template <typename Widget>
Widget* Put(Widget* widget, const char* name, const QRect& place) {
    widget->setObjectName(Utf8(name));
    widget->setGeometry(place);
    return widget;
}

// A caption: plain text, left-aligned and centred on its line.
inline QLabel* PutLabel(QWidget* parent, const char* name, const char* caption, const QRect& place) {
    auto* label = Put(new QLabel(Utf8(caption), parent), name, place);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

}  // namespace tunewell::settings::form
