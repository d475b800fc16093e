// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <stdexcept>
#include <string>

namespace tunewell::update {

// A numbered error raised by the disk-identity class: the number and its
// fixed description. The only exception type of the program's core that
// callers are expected to handle by number.
class HnsnError : public std::runtime_error {
public:
    static constexpr int kIllegalDrive = 10000;
    static constexpr int kIllegalDataType = 10001;
    static constexpr int kIllegalPlatform = 10002;

    HnsnError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    static HnsnError IllegalDrive() { return {kIllegalDrive, "Illegal drive number"}; }
    static HnsnError IllegalDataType() { return {kIllegalDataType, "Illegal HD Data type"}; }
    static HnsnError IllegalPlatform() {
        return {kIllegalPlatform, "Illegal platform (only WNT, W98 or W95)"};
    }

    int Number() const { return number_; }
    std::string Description() const { return what(); }

private:
    int number_;
};

}  // namespace tunewell::update
