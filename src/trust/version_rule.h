// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tunewell::trust {

// Which signed version an updater accepts. The in-program updater installs
// only what the version server announced (Exactly); UpDate, which is told
// no version, only what is not older than the program it was built with
// (AtLeast), so an older signed program cannot be put back.
class VersionRule {
public:
    static VersionRule Exactly(std::string version) { return VersionRule(Kind::kExactly, std::move(version)); }
    static VersionRule AtLeast(std::string version) { return VersionRule(Kind::kAtLeast, std::move(version)); }

    // False for an empty or malformed signed version, and for AtLeast when
    // either version is no number.
    bool Accepts(std::string_view signedVersion) const;

private:
    enum class Kind { kExactly, kAtLeast };
    VersionRule(Kind kind, std::string version) : kind_(kind), version_(std::move(version)) {}

    Kind kind_;
    std::string version_;
};

// A version as the version check compares it: the first two "."-separated
// parts read as a decimal number ("2.6.1" is 2.6, "2.10" is 2.1). No value
// when that is no number.
std::optional<double> VersionNumber(std::string_view version);

}  // namespace tunewell::trust
