// SPDX-License-Identifier: GPL-3.0-or-later
#include "trust/version_rule.h"

#include <charconv>

#include "trust/update_signature.h"

namespace tunewell::trust {

std::optional<double> VersionNumber(std::string_view version) {
    const std::size_t first = version.find('.');
    if (first != std::string_view::npos && first > 0) {
        const std::size_t second = version.find('.', first + 1);
        if (second != std::string_view::npos) version = version.substr(0, second);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(version.data(), version.data() + version.size(), value,
                                              std::chars_format::fixed);
    if (error != std::errc() || end != version.data() + version.size()) return std::nullopt;
    return value;
}

bool VersionRule::Accepts(std::string_view signedVersion) const {
    if (!IsVersionText(signedVersion)) return false;
    if (kind_ == Kind::kExactly) return signedVersion == version_;
    const std::optional<double> offered = VersionNumber(signedVersion), own = VersionNumber(version_);
    return offered && own && *offered >= *own;
}

}  // namespace tunewell::trust
