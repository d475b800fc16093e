// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

namespace tunewell::ports {

// The main window's status label. Texts are UTF-8; colours are 0xRRGGBB.
class StatusLine {
public:
    static constexpr std::uint32_t kBlack = 0x000000;
    static constexpr std::uint32_t kRed = 0xFF0000;

    virtual ~StatusLine() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
    virtual void SetColour(std::uint32_t rgb) = 0;
};

}  // namespace tunewell::ports
