// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

// libcurl's own handle types, declared as curl.h declares them. curl.h
// itself is included only by net's .cpp files, so no header of net brings
// it to a caller (nor, on Windows, <windows.h> and its macros with it).
typedef void CURL;
typedef void CURLM;
typedef void CURLSH;
struct curl_slist;

namespace tunewell::net {

// A libcurl easy handle released on every path.
struct CurlEasyDeleter {
    void operator()(CURL* easy) const;
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

// A libcurl header or cookie list released on every path.
struct CurlListDeleter {
    void operator()(curl_slist* list) const;
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

}  // namespace tunewell::net
