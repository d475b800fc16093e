// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::text {

// A number as ToNumber produces it: the value, plus which of the three
// storage types (16-bit, 32-bit, double) it would have had. Comparisons and
// arithmetic use the value only.
struct Number {
    enum class Kind { Int16, Int32, Double };
    Kind kind = Kind::Int16;
    double value = 0;

    // The value as the program shows it: whole numbers without a point,
    // others in the shortest form that reads back the same.
    std::string ToText() const;
    friend bool operator==(const Number& a, const Number& b) { return a.value == b.value; }
};

}  // namespace tunewell::text
