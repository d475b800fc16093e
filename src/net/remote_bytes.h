// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace tunewell::net {

// Fetches the raw bytes at an http address (pictures are binary, so no
// charset decoding). Follows redirects and honours http_proxy. Blocks the
// calling thread: callers run it off the UI thread (it shares no connection
// with the program's other requests, so any thread may). Returns nothing on any
// failure: a refused or stalled connection, an HTTP status of 400 or more,
// or a body larger than `maxBytes`. No cookies go out or are kept.
std::optional<std::string> FetchRemoteBytes(const std::string& address,
                                            std::size_t maxBytes = 8 * 1024 * 1024);

}  // namespace tunewell::net
