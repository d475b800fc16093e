// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "net/curl_easy.h"

namespace tunewell::net {

// The process's one libcurl share handle: the cookie store, the connection
// cache, the DNS cache and TLS sessions of every request made on the
// program's network thread (the UI thread). A second request to a host, or
// through the proxy, reached before takes the idle connection the first
// left instead of paying a new connection (and handshake).
//
// The shared connection cache must not be used by two threads at once
// (libcurl does not guard a connection handed to one thread against
// another), so a request made on a worker thread is never attached (see
// RequestPolicy::sharedConnections). The cookie part is locked and safe
// from any thread.
//
// Created on first use, which also initialises libcurl; lives until the
// process ends and closes the idle connections then.
CURLSH* ProcessShare();

// How many idle connections a multi handle of the program keeps for reuse
// (libcurl's default, four per transfer driven, drops connections a run of
// several songs side by side would reuse).
inline constexpr long kIdleConnections = 16;

}  // namespace tunewell::net
