#include "cli/console_ui.h"

namespace tunewell::cli {

void ConsoleUi::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    std::fprintf(out_, "[%s]\n", text.c_str());
}

void ConsoleUi::Show(const std::string& text) {
    ++messages_;
    std::fprintf(out_, "%s: %s\n", ports::kMessageCaption, text.c_str());
}

void ConsoleUi::ShowSettingsHideMain() {
    std::fprintf(out_, "(设置) LoginName, LoginPass ... -> Config.ini\n");
}

}  // namespace tunewell::cli
