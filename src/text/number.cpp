// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/number.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "text/text_utils.h"

namespace tunewell::text {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads numeric text: blanks around it, an optional sign, digits with
// thousands separators, an optional decimal part and an optional exponent.
// On success `plain` holds the number without blanks and separators, in the
// form strtod reads.
bool ParseNumeric(const std::string& text, std::string& plain) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    plain.clear();
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
        while (i < n && IsBlank(text[i])) ++i;
    }
    bool digits = false;
    while (i < n && (IsDigit(text[i]) || (text[i] == ',' && digits))) {
        if (text[i] != ',') {
            plain += text[i];
            digits = true;
        }
        ++i;
    }
    if (i < n && text[i] == '.') {
        plain += '.';
        ++i;
        while (i < n && IsDigit(text[i])) {
            plain += text[i++];
            digits = true;
        }
    }
    if (!digits) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::string exponent = "e";
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) exponent += text[i++];
        bool expDigits = false;
        while (i < n && IsDigit(text[i])) {
            exponent += text[i++];
            expDigits = true;
        }
        if (!expDigits) return false;
        plain += exponent;
    }
    while (i < n && IsBlank(text[i])) ++i;
    return i == n;
}

}  // namespace

std::string Number::ToText() const {
    std::array<char, 64> buffer{};
    std::to_chars_result result{};
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
        result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                               std::chars_format::fixed, 0);
    } else {
        result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    }
    std::string text(buffer.data(), result.ptr);
    return text == "-0" ? "0" : text;
}

bool IsNumeric(const std::string& text) {
    std::string plain;
    return ParseNumeric(text, plain);
}

Number ToNumber(const std::string& text) {
    std::string plain;
    if (text.empty() || !ParseNumeric(text, plain)) return {};
    const double value = std::strtod(plain.c_str(), nullptr);
    if (!std::isfinite(value)) return {};
    if (text.find('.') != std::string::npos) return {Number::Kind::Double, value};
    // Whole-number kinds round as an integer conversion does (half to even).
    const double whole = std::nearbyint(value);
    if (whole >= -32768 && whole <= 32767) return {Number::Kind::Int16, whole};
    if (whole >= INT32_MIN && whole <= INT32_MAX) return {Number::Kind::Int32, whole};
    return {Number::Kind::Double, value};
}

}  // namespace tunewell::text
