// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::ports {

// The transfer progress bar: a percentage and a caption drawn on the bar.
class ProgressBar {
public:
    virtual ~ProgressBar() = default;
    virtual void SetValue(int percent) = 0;  // 0..100
    virtual void SetText(const std::string& text) = 0;
};

}  // namespace tunewell::ports
