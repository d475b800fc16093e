// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::ports {

// Every message the program shows carries this caption, a warning icon and
// one OK button. The core only asks for a message; the window layer draws it.
inline constexpr const char* kMessageCaption = "下载助手提示您";

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Shows the text and returns when the user has dismissed it.
    virtual void Show(const std::string& text) = 0;
};

}  // namespace tunewell::ports
