// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/fso_value.h"

#include <cmath>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

#include "platform/time_fields.h"

namespace tunewell::fs {
namespace {

std::string NumberText(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        out << std::fixed << std::setprecision(0) << value;
    } else {
        out << std::setprecision(15) << value;
    }
    return out.str();
}

std::string DateText(FsoValue::Date value) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(value);
    std::tm local{};
    if (!platform::LocalFields(seconds, local)) return std::string();
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&local, "%Y-%m-%d %H:%M:%S");
    return out.str();
}

}  // namespace

std::string FsoValue::ToText() const {
    switch (GetKind()) {
        case Kind::Nothing: return std::string();
        case Kind::Boolean: return AsBool() ? "True" : "False";
        case Kind::Text: return AsText();
        case Kind::Number: return NumberText(AsNumber());
        case Kind::Date: return DateText(AsDate());
    }
    return std::string();
}

}  // namespace tunewell::fs
