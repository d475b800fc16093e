#include "shell/cli/console_ui.h"

namespace tunewell::shell {

void ConsoleUi::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    std::fprintf(out_, "[%s]\n", text.c_str());
}

void ConsoleUi::Show(const std::string& text) {
    ++messages_;
    std::fprintf(out_, "%s: %s\n", kMessageCaption, text.c_str());
}

void ConsoleUi::ShowSettingsHideMain() {
    std::fprintf(out_, "(设置) LoginName, LoginPass ... -> Config.ini\n");
}

}  // namespace tunewell::shell
