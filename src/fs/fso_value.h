// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <string>
#include <variant>

namespace tunewell::fs {

// The dynamically typed answer of a file-system helper operation: nothing
// (an empty value), a boolean, a text, a number or a date. The usual answer
// for "not there" or "refused" is the boolean false.
class FsoValue {
public:
    using Date = std::chrono::system_clock::time_point;
    enum class Kind { Nothing, Boolean, Text, Number, Date };

    FsoValue() = default;  // nothing
    static FsoValue Nothing() { return FsoValue(); }
    static FsoValue Boolean(bool value) { return FsoValue(Storage(value)); }
    static FsoValue Text(std::string value) { return FsoValue(Storage(std::move(value))); }
    static FsoValue Number(double value) { return FsoValue(Storage(value)); }
    static FsoValue FromDate(Date value) { return FsoValue(Storage(value)); }

    Kind GetKind() const { return static_cast<Kind>(value_.index()); }
    bool IsNothing() const { return GetKind() == Kind::Nothing; }
    bool IsBool() const { return GetKind() == Kind::Boolean; }
    bool IsText() const { return GetKind() == Kind::Text; }
    bool IsNumber() const { return GetKind() == Kind::Number; }
    bool IsDate() const { return GetKind() == Kind::Date; }

    // True only for the boolean false / true; other kinds answer false to both.
    bool IsFalse() const { return IsBool() && !std::get<bool>(value_); }
    bool IsTrue() const { return IsBool() && std::get<bool>(value_); }

    // Typed access; each throws std::bad_variant_access for another kind.
    bool AsBool() const { return std::get<bool>(value_); }
    const std::string& AsText() const { return std::get<std::string>(value_); }
    double AsNumber() const { return std::get<double>(value_); }
    Date AsDate() const { return std::get<Date>(value_); }

    // The value as display text: nothing gives "", booleans "True"/"False",
    // whole numbers without a point, dates as local "YYYY-MM-DD HH:MM:SS".
    std::string ToText() const;

    friend bool operator==(const FsoValue&, const FsoValue&) = default;

private:
    using Storage = std::variant<std::monostate, bool, std::string, double, Date>;
    explicit FsoValue(Storage value) : value_(std::move(value)) {}
    Storage value_;
};

}  // namespace tunewell::fs
