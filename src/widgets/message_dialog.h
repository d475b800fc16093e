// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>

class QWidget;

namespace tunewell::widgets {

// The one way the program shows a message: a modal box with the caption
// kMessageCaption, a warning icon and one OK button, owned by `owner`
// (may be null), showing `text` as plain text (never as mark-up). Returns
// when the user has dismissed it.
void ShowMessage(QWidget* owner, const std::string& text);

// Replaces what ShowMessage does (tests record the texts instead of
// blocking on a dialog). An empty handler restores the dialog. Returns the
// handler that was installed before.
using MessageHandler = std::function<void(QWidget* owner, const std::string& text)>;
MessageHandler SetMessageHandler(MessageHandler handler);

}  // namespace tunewell::widgets
