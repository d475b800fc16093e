// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "net/curl_easy.h"
#include "net/request_policy.h"

namespace tunewell::net {

// The one maker of libcurl easy handles: a handle for `url` set up by
// `policy` (http and https only, for redirects too; no signals; connect and
// overall limits; proxy; the process's connection cache and cookies;
// redirects; body cap known from Content-Length; receive buffer). The stall rule is applied by Drive.
// Returns nullptr when the address is not a web address or libcurl cannot
// make a handle; the caller owns the handle.
CurlEasy NewEasy(const std::string& url, const RequestPolicy& policy);

}  // namespace tunewell::net
