// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demo_site/http_message.h"
#include "demo_site/link_shape.h"

namespace tunewell::demo {

// Settings of the demo site. Tests may change them through DemoSite::Options()
// between requests; every request reads them afresh.
struct DemoOptions {
    // Version server: the reply of /tunewell.asp. When `versionReply` is not
    // empty it is sent as it is; otherwise the reply is built from the fields.
    // The program's own version by default, so a demo run is not updated
    // away; tests and `--offer-version` offer a newer one.
    std::string latestVersion = "2.5";
    bool sendVersion = true;
    bool sendAd = true;
    std::string adText;  // empty: the version server's /ad.gif and a link
    std::string versionReply;
    int versionStatus = 200;
    // Program files of the version server. `programFile`, when set, is
    // served for every edition, read afresh at each request (the demo serves
    // the built Tunewell this way); otherwise the bytes, and when those are
    // empty DefaultProgramBytes().
    std::string programFile;
    std::string programBytes;   // /upload/tunewell.exe and /Upload/Tunewell.exe
    std::string program2Bytes;  // /Upload/Tunewell2.exe
    int programStatus = 200;
    // Above 0, a program download goes out in 64 KiB pieces this many
    // milliseconds apart, so a window showing its progress stays up long
    // enough to be seen.
    int programPaceMs = 0;
    // The version of the program served. Once a program has been served,
    // the version reply offers this version, so the program that updated
    // itself finds itself current. Empty: the reply keeps latestVersion.
    std::string servedVersion;
    // A PEM Ed25519 private key. When set, "<program address>.sig" answers
    // the signature file (trust/update_signature.h) of what the program
    // address serves, signed as `signedVersion`; otherwise those addresses
    // answer 404.
    std::string signingKeyPem;
    // The version the signature states. Empty: latestVersion, the version
    // the reply announced before the program was served.
    std::string signedVersion;
    // A huge program: above 0, the program download is this many bytes, the
    // program's bytes above followed by generated filler, streamed and never
    // held whole. Its signature file is made as it would be for any other
    // program (the digest taken over the stream).
    std::uint64_t programSize = 0;
    // A huge signature file: above 0, "<program address>.sig" answers this
    // many bytes of filler, streamed.
    std::uint64_t signatureSize = 0;
    // The program and its signature file go out chunked, without a
    // Content-Length, so a client learns their size only as they arrive.
    bool programChunked = false;

    // Music site: number of pages of the paged lists, and songs on a chart page.
    int chartPages = 5;
    int chartPageSongs = 10;
    int favouritePages = 5;
    int boxPages = 2;
    int categoryPages = 5;
    int groupPages = 3;
    // Whether the member pages (/home.php) answer the sign-in form to
    // visitors without a session.
    bool requireSignIn = true;
    // Above 0, the sign-in form's passcode and a refused sign-in's error
    // text each carry this many more bytes: a site whose pages are built
    // large (the passcode is then refused as expired).
    std::size_t signInPadding = 0;
    // Status of the play page (anything but 200 makes the program's fetch fail).
    int playStatus = 200;
    // Above 0, a play page address longer than this many bytes is refused
    // with 414, as servers refuse overlong request lines.
    std::size_t maxPlayAddressBytes = 0;
    // How long the play page and the list pages wait before they answer
    // (a slow site: the program's window stays in its wait meanwhile).
    int playDelayMs = 0;
    int listDelayMs = 0;

    // Size of every generated song's audio file (not the featured songs');
    // 0 keeps the catalogue's sizes (AudioSize).
    std::uint64_t generatedSongBytes = 0;
    // Slow audio file: chunk size and pause between chunks.
    int slowChunkBytes = 4096;
    int slowChunkDelayMs = 50;
    // Hostile pages: how long the stalled address waits, the huge page's size.
    int stallSeconds = 10;
    std::uint64_t hugePageBytes = 50ull * 1024 * 1024;
};

// One request as the site received it (for tests to inspect).
struct RecordedRequest {
    std::string method;
    std::string host;  // lower-case, without port
    std::string target;  // path and query, e.g. "/play.php?song_id=1,2"
    HeaderList headers;
    std::string body;
    long connection = 0;  // serial number of the connection that carried it

    std::string Header(std::string_view name) const;
};

class DemoState;
class HttpServer;

// The music site, the file-hosting service and the version server behind one
// HTTP endpoint on 127.0.0.1, meant to be used as the http_proxy of the
// program. Requests are routed by host: the music host, its www. and cdn.
// forms; the file-host domain and its subdomains; the version server's host
// (all from hosts/site_hosts.h).
class DemoSite {
public:
    explicit DemoSite(DemoOptions options = {});
    ~DemoSite();
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;

    // Lays a distant link over every connection (see LinkShape); only
    // before Start.
    void SetLink(const LinkShape& shape);

    // Starts serving in background threads; port 0 picks a free port.
    // Returns the port, or -1 when the site could not listen.
    int Start(int port = 0);
    // Stops serving; waiting handlers and streamed replies end promptly.
    void Stop();
    int Port() const;
    // "http://127.0.0.1:<port>", the value for http_proxy.
    std::string ProxyUrl() const;

    // Every request received since the start or the last ClearRequests.
    std::vector<RecordedRequest> Requests() const;
    // Only the requests for one host (e.g. hosts::kVersionServerHost).
    std::vector<RecordedRequest> RequestsFor(const std::string& host) const;
    void ClearRequests();
    // Connections accepted since the start. The site keeps connections open
    // for the next request (HTTP/1.1 keep-alive), so a client that reuses
    // them makes fewer than it sends requests.
    long ConnectionsAccepted() const;

    // Program and signature bytes the version server has handed to its
    // connections since the start: a client that stops reading a huge
    // download early is seen to have received little of it.
    std::uint64_t ProgramBytesSent() const;

    DemoOptions& Options();
    // Forgets every signed-in session.
    void SignOutAll();

private:
    void Handle(const HttpRequest& request, HttpResponse& response);

    std::unique_ptr<DemoState> state_;
    std::unique_ptr<HttpServer> server_;
};

}  // namespace tunewell::demo
