// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <ctime>
#include <string>

#include "ports/event_pump.h"

namespace tunewell::download {

// Songs kept on the file-hosting service need its "ROXCDNKEY" cookie before
// their address can be fetched. The cookie value comes from the service's
// own pages; the cookie goes into the shared cookie store.

// Reads the file page and its download-link page (pending events processed
// around each request) and stores the cookie for the file's download path.
// Failures are not reported: the cookie is then stored with an empty value
// and the transfer that follows fails on its own.
void PrepareFileHostDownload(ports::EventPump& events, const std::string& address);

// Stores one cookie ("value;expires=date") for the host and path of `url`.
void StoreCookie(const std::string& url, const std::string& name, const std::string& data);

// "Mon, 07 Dec 2026 09:05:03 GMT" from the broken-down time's fields as
// they stand (no zone conversion).
std::string FormatCookieDate(const std::tm& fields);

// The cookie expiry the program writes: the current UTC time plus 8 hours,
// which is what a clock 8 hours ahead of UTC reads now, and lies in the
// future wherever the program runs.
std::tm CookieExpiryFields(std::time_t now);

// The service's value from the argument list of the link page's first
// setCookie call: blanks and apostrophes removed, the second argument.
std::string CookieValueFromLinkPage(const std::string& linkPage);

// The service's direct address assembled from the play-page address and
// the file page's file name. The transfer does not use it; kept for
// diagnostics.
std::string AssembleFileHostAddress(const std::string& address, const std::string& filePage);

}  // namespace tunewell::download
