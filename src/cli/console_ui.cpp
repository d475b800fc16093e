// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console_ui.h"

#include <cstdlib>

#include "cli/interrupt.h"
#include "cli/printable_text.h"

namespace tunewell::cli {

void ConsoleUi::SetText(const std::string& text) {
    watchedSeen_ = watchedSeen_ || (!watched_.empty() && text == watched_);
    if (text == text_) return;
    text_ = text;
    if (quiet_ || InterruptSignal() != 0) return;
    std::fprintf(out_, "[%s]\n", PrintableText(text).c_str());
}

void ConsoleUi::Show(const std::string& text) {
    ++messages_;
    lastMessage_ = text;
    std::fprintf(out_, "%s\n", PrintableText(text).c_str());
}

void ConsoleUi::ProcessPending() {
    if (InterruptSignal() == 0 || stopping_) return;
    if (!stop_) {
        std::fflush(nullptr);
        std::_Exit(InterruptExitStatus());
    }
    stopping_ = true;  // once: the stop action may process events itself
    stop_();
}

void ConsoleUi::ShowSettingsHideMain() {
    // The window would open its settings here: the command line can only
    // say where they are kept.
    std::fprintf(out_, "请先在设置中填写用户名和密码（Config.ini 中的 LoginName 和 LoginPass）\n");
}

}  // namespace tunewell::cli
