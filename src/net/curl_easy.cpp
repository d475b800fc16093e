// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/curl_easy.h"

#include <curl/curl.h>

namespace tunewell::net {

void CurlEasyDeleter::operator()(CURL* easy) const { curl_easy_cleanup(easy); }

void CurlListDeleter::operator()(curl_slist* list) const { curl_slist_free_all(list); }

}  // namespace tunewell::net
