#pragma once
#include <curl/curl.h>

#include <memory>

namespace tunewell::net {

// A libcurl easy handle released on every path.
struct CurlEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

// A libcurl header or cookie list released on every path.
struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

}  // namespace tunewell::net
