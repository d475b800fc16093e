// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "demo_site/http_message.h"
#include "demo_site/link_shape.h"

namespace tunewell::demo {

// A small HTTP/1.1 server on 127.0.0.1: one thread accepts, one thread per
// connection reads a request, calls the handler and writes the reply, and
// serves the connection's next request when the client keeps it open
// (closing it after 10 s idle, a malformed request or a reply cut short). Built for tests: it accepts absolute-form targets
// (requests through a proxy), streams large bodies without holding them, and
// stops promptly even while replies are being streamed or handlers wait.
class HttpServer {
public:
    using Handler = std::function<void(const HttpRequest&, HttpResponse&)>;

    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Shapes every later connection like a distant link (benchmarks). Only
    // before Start; an unshaped link (the default) adds nothing.
    void SetLink(const LinkShape& shape);

    // Listens on 127.0.0.1:port (0: any free port). Returns the bound port,
    // or -1 when the socket cannot be opened or the server already runs.
    int Start(int port);
    // Stops accepting, cuts open connections and joins every thread. Safe to
    // call twice and from the destructor.
    void Stop();
    int Port() const { return port_; }
    // True from the start of Stop(); handlers that wait poll it.
    bool Stopping() const { return stopping_.load(); }
    // Connections accepted since the start.
    long AcceptedConnections() const { return accepted_.load(); }

private:
    struct Worker {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void AcceptLoop();
    void ReapFinishedWorkers();
    void Serve(int fd, long serial);
    void Track(int fd, bool add);

    Handler handler_;
    int listenFd_ = -1;
    int port_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<long> accepted_{0};
    std::unique_ptr<LinkPacer> pacer_;
    std::thread acceptThread_;
    std::mutex mutex_;  // guards workers_ and openFds_
    std::list<std::unique_ptr<Worker>> workers_;
    std::set<int> openFds_;
};

}  // namespace tunewell::demo
