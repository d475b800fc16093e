// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::net {

// Whether a request that went to `from` may be sent on to `to` with what
// it carries (a form with a password): the same host, in any letter case,
// on the same port, or the same host moving from plain http on its usual
// port to https on its own. False when either is not a web address.
bool SameServer(const std::string& from, const std::string& to);

}  // namespace tunewell::net
