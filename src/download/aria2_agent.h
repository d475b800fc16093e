// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

#include "download/thunder_agent.h"
#include "net/json_rpc.h"

namespace tunewell::download {

// aria2 standing in for the download manager: queued tasks are submitted to
// its JSON-RPC endpoint as aria2.addUri calls (options dir, out, referer,
// and the cookies the program holds for the address as a Cookie header, so
// that aria2 fetches what the program itself could). With a secret, every
// call carries it as aria2's "token:" parameter. The loopback endpoint is
// always reached directly, never through a proxy.
//
// aria2 sends a task's headers with every request of the task, to whatever
// host a redirect names, and a task cannot be given a cookie file of its
// own. So before a task that has cookies is queued, the program follows
// the address's redirects itself (see ResolveHandOff): aria2 is given the
// address that answers, with that address's cookies only.
class Aria2Agent : public ThunderAgent {
public:
    static constexpr const char* kDefaultEndpoint = net::kAria2Endpoint;
    explicit Aria2Agent(std::string endpoint = kDefaultEndpoint, std::string secret = {})
        : endpoint_(std::move(endpoint)), secret_(std::move(secret)) {}

    bool AddTask(const std::string& address, const std::string& fileName, const std::string& folder,
                 const std::string& comment, const std::string& referer, std::int16_t startMode,
                 std::int16_t onlyFromOrigin, std::int16_t originThreads) override;
    // Submits every queued task; false when the endpoint cannot be reached
    // or refuses any of them. The queue is emptied either way.
    bool CommitTasks2(std::int16_t flag) override;

    // The JSON-RPC request for one task (exposed for tests). `cookie` is
    // the "name=value; ..." list to send with the download (empty: none),
    // `secret` aria2's RPC secret (empty: no token).
    static std::string BuildAddUriRequest(const std::string& id, const std::string& address,
                                          const std::string& fileName, const std::string& folder,
                                          const std::string& referer, const std::string& cookie = {},
                                          const std::string& secret = {});

    // Whether aria2's JSON-RPC reply accepted the call: a "result" and no
    // "error" (a wrong secret gives an error reply).
    static bool IsAccepted(const std::string& reply);

    // What aria2 is given for one address.
    struct HandOff {
        std::string address;
        std::string cookie;  // "name=value; ..." for `address` alone; empty: none
    };
    // An address without cookies is handed over as it is: aria2 may follow
    // its redirects, having nothing to leak. Otherwise each address is
    // asked once (a GET with the referer and the program's cookies, read no
    // further than the start of its body, waits processing page events):
    // a redirect leads to the next, and the first that answers otherwise
    // is handed over with its own cookies. When the way cannot be followed
    // to its end (no reply, too many redirects, a redirect to another
    // scheme) the address reached goes without cookies.
    static HandOff ResolveHandOff(const std::string& address, const std::string& referer);

private:
    struct Task {
        std::string address, fileName, folder, referer, cookie;
    };
    bool Submit(const std::string& request) const;

    std::string endpoint_;
    std::string secret_;
    std::vector<Task> queue_;
};

}  // namespace tunewell::download
