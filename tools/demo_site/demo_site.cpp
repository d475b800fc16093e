// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/demo_site.h"

#include "demo_site/demo_state.h"
#include "demo_site/http_server.h"
#include "demo_site/routes.h"
#include "demo_site/site_names.h"

namespace tunewell::demo {
namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool MusicSiteHost(const std::string& host) {
    // Direct requests (no proxy) carry the server's own address as host.
    return host == MusicHostName() || host == MusicHostName("www.") || host == MusicHostName("cdn.") ||
           host == "127.0.0.1" || host == "localhost";
}

bool MusicSite(DemoState& state, const HttpRequest& request, HttpResponse& response) {
    return HandleAudio(state, request, response) || HandleHostile(state, request, response) ||
           HandleSignIn(state, request, response) || HandleSongPages(state, request, response) ||
           HandleListPages(state, request, response);
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
    HttpRequest view;
    view.headers = headers;
    return view.Header(name);
}

DemoSite::DemoSite(DemoOptions options)
    : state_(std::make_unique<DemoState>(std::move(options))),
      server_(std::make_unique<HttpServer>([this](const HttpRequest& request, HttpResponse& response) {
          Handle(request, response);
      })) {}

DemoSite::~DemoSite() { Stop(); }

void DemoSite::SetLink(const LinkShape& shape) { server_->SetLink(shape); }

int DemoSite::Start(int port) {
    state_->SetStopping(false);
    return server_->Start(port);
}

void DemoSite::Stop() {
    // Waiting handlers and streamed replies poll this flag; set it first so
    // the server's threads end quickly.
    state_->SetStopping(true);
    server_->Stop();
}

int DemoSite::Port() const { return server_->Port(); }

std::string DemoSite::ProxyUrl() const { return "http://127.0.0.1:" + std::to_string(Port()); }

std::vector<RecordedRequest> DemoSite::Requests() const { return state_->Requests(); }

std::vector<RecordedRequest> DemoSite::RequestsFor(const std::string& host) const {
    std::vector<RecordedRequest> matching;
    for (auto& request : state_->Requests()) {
        if (request.host == host) matching.push_back(std::move(request));
    }
    return matching;
}

void DemoSite::ClearRequests() { state_->ClearRequests(); }

long DemoSite::ConnectionsAccepted() const { return server_->AcceptedConnections(); }

std::uint64_t DemoSite::ProgramBytesSent() const { return state_->ProgramBytesSent(); }

DemoOptions& DemoSite::Options() { return state_->Options(); }

void DemoSite::SignOutAll() { state_->SignOutAll(); }

void DemoSite::Handle(const HttpRequest& request, HttpResponse& response) {
    state_->Record(request);
    if (request.method != "GET" && request.method != "POST" && request.method != "HEAD") {
        SendPlain(response, 405, "method not allowed\n");
        return;
    }
    const std::string& host = request.host;
    bool handled = false;
    if (host == VersionHostName()) {
        handled = HandleVersionServer(*state_, request, response);
    } else if (host == FileHostName() || EndsWith(host, "." + FileHostName())) {
        handled = HandleFileHost(*state_, request, response);
    } else if (MusicSiteHost(host)) {
        handled = MusicSite(*state_, request, response);
    } else {
        // Any other host: answer as a proxy that cannot reach it, so nothing
        // ever leaves the machine.
        SendPlain(response, 502, "the demo site does not serve " + host + "\n");
        return;
    }
    if (!handled) {
        SendGbkPage(response, "<HTML><BODY><H1>404 页面不存在</H1></BODY></HTML>\r\n", 404);
    }
}

}  // namespace tunewell::demo
