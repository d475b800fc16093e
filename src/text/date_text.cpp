// SPDX-License-Identifier: GPL-3.0-or-later
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "text/text_utils.h"

namespace tunewell::text {
namespace {

// Splits `text` at `separator` into runs of 1 to 4 digits; nothing when any
// part is empty, too long or not all digits.
std::optional<std::vector<int>> DigitFields(const std::string& text, char separator) {
    std::vector<int> fields;
    std::string field;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            if (field.empty() || field.size() > 4) return std::nullopt;
            fields.push_back(std::stoi(field));
            field.clear();
        } else if (std::isdigit(static_cast<unsigned char>(text[i]))) {
            field += text[i];
        } else {
            return std::nullopt;
        }
    }
    return fields;
}

bool ValidDay(int year, int month, int day) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100) year += 2000;  // two-digit years: any century with the same leap rule
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

// 2008-10-01, 2008/10/01, 10/01/2008 (month first, or day first when the
// month-first reading is impossible).
bool IsDatePart(const std::string& text) {
    const char separator = text.find('-') != std::string::npos ? '-' : '/';
    const auto fields = DigitFields(text, separator);
    if (!fields || fields->size() != 3) return false;
    const std::vector<int>& f = *fields;
    const bool yearFirst = text.find(separator) > 2;
    if (yearFirst) return ValidDay(f[0], f[1], f[2]);
    return ValidDay(f[2], f[0], f[1]) || ValidDay(f[2], f[1], f[0]);
}

// 10:30 or 10:30:00.
bool IsTimePart(const std::string& text) {
    const auto fields = DigitFields(text, ':');
    if (!fields || fields->size() < 2 || fields->size() > 3) return false;
    const std::vector<int>& f = *fields;
    if (f[0] > 23 || f[1] > 59) return false;
    return f.size() == 2 || f[2] <= 59;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

bool IsDateText(const std::string& text) {
    const std::string trimmed = Trimmed(text);
    if (trimmed.empty()) return false;
    const auto space = trimmed.find(' ');
    if (space == std::string::npos) return IsDatePart(trimmed) || IsTimePart(trimmed);
    const std::string date = trimmed.substr(0, space);
    const std::string time = Trimmed(trimmed.substr(space));
    return IsDatePart(date) && IsTimePart(time);
}

}  // namespace tunewell::text
