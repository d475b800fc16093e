#pragma once

namespace tunewell::web {

// The three outside servers. Their hosts are configuration values of the
// program; the demo site answers for all three through a local proxy.
inline constexpr const char* kMusicHost = "tunewell.com";
inline constexpr const char* kVersionServer = "http://soft.tunewell.net";
// The file-hosting service's registered domain (name and top-level label).
inline constexpr const char* kFileHostDomain = "roxfile.com";

}  // namespace tunewell::web
