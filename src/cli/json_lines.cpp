// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_lines.h"

#include <cmath>

#include <nlohmann/json.hpp>

namespace tunewell::cli {
namespace {

using Json = nlohmann::ordered_json;

Json IdValue(double id, const std::string& idText) {
    // Whole numbers up to 2^53 are exact in a double and in every JSON reader.
    if (std::isfinite(id) && id == std::floor(id) && std::fabs(id) <= 9007199254740992.0) {
        return static_cast<long long>(id);
    }
    return idText;
}

std::string Line(const Json& object) {
    return object.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string ListJsonLine(int row, double id, const std::string& idText, const std::string& name) {
    return Line(Json{{"row", row}, {"id", IdValue(id, idText)}, {"name", name}});
}

std::string SongJsonLine(const SongReport& report) {
    Json object{{"row", report.row}, {"id", IdValue(report.id, report.idText)}};
    object["file"] = report.file ? Json(*report.file) : Json(nullptr);
    object["bytes"] = report.bytes;
    object["result"] = report.result;
    object["cause"] = report.cause ? Json(*report.cause) : Json(nullptr);
    object["note"] = report.note ? Json(*report.note) : Json(nullptr);
    return Line(object);
}

}  // namespace tunewell::cli
