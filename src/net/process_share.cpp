// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/process_share.h"

#include <curl/curl.h>

#include <mutex>

namespace tunewell::net {
namespace {

// One lock for each kind of shared data: libcurl holds one kind while it
// takes another (the connection cache while it reads DNS answers), and
// the cookie store may also be read from tests' threads.
std::mutex& ShareMutex(curl_lock_data data) {
    static std::mutex mutexes[CURL_LOCK_DATA_LAST];
    const int index = static_cast<int>(data);
    return mutexes[index >= 0 && index < CURL_LOCK_DATA_LAST ? index : CURL_LOCK_DATA_SHARE];
}

void LockShare(CURL*, curl_lock_data data, curl_lock_access, void*) { ShareMutex(data).lock(); }
void UnlockShare(CURL*, curl_lock_data data, void*) { ShareMutex(data).unlock(); }

class Share {
public:
    Share() {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        share_ = curl_share_init();
        for (curl_lock_data data : {CURL_LOCK_DATA_COOKIE, CURL_LOCK_DATA_DNS, CURL_LOCK_DATA_SSL_SESSION,
                                    CURL_LOCK_DATA_CONNECT}) {
            curl_share_setopt(share_, CURLSHOPT_SHARE, data);
        }
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, LockShare);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, UnlockShare);
    }
    ~Share() { curl_share_cleanup(share_); }
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;

    CURLSH* get() const { return share_; }

private:
    CURLSH* share_;
};

}  // namespace

CURLSH* ProcessShare() {
    static Share share;
    return share.get();
}

}  // namespace tunewell::net
