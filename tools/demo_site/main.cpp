// SPDX-License-Identifier: GPL-3.0-or-later
// tunewell-demo-site --print-hosts: prints the configured host names as
// music_host=, version_server= and file_host_domain= lines and exits.
//
// tunewell-demo-site [--port N] [--offer-version V] [--program FILE
//                    [--program-version W]] [--program-pace MS] [--sign-key PEM]
//                    [--program-size SIZE] [--signature-size SIZE] [--program-chunked]:
// serves the demo site until killed. Prints "http_proxy=http://127.0.0.1:N"
// first, so a script can read the address. The version server offers V
// (default: the built program's own version) and serves FILE as the
// program download (default: the Tunewell built beside this program, so an
// update by hand or at start-up installs a working program). Once it has
// served FILE it offers W (default: the built version), the version FILE
// is, so the restarted program finds itself current and the update runs
// once. --program-pace sends the program in 64 KiB pieces MS milliseconds
// apart. The downloads' signatures (address + ".sig") are made with the PEM
// Ed25519 private key given with --sign-key (tools/make_update_key.sh), by
// default with the key configuring made in the build folder
// (update-key/update-key.pem beside this program), so the programs built
// beside it accept what it serves. Without a key nothing is signed.
// --program-size makes the program download SIZE bytes (the program, then
// generated filler; a number of bytes, or with K, M or G for KiB, MiB,
// GiB), streamed and never held; --signature-size makes the signature file
// SIZE bytes of filler; --program-chunked sends both without a
// Content-Length. They let an updater be tried against a 1 GB update.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <pthread.h>

#include "demo_site/demo_site.h"
#include "hosts/site_hosts.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: tunewell-demo-site --print-hosts\n"
                 "       tunewell-demo-site [--port N] [--offer-version V] [--program FILE [--program-version W]]"
                 " [--program-pace MS] [--sign-key PEM]\n"
                 "                          [--program-size SIZE] [--signature-size SIZE] [--program-chunked]\n");
    return 2;
}

// "1073741824", "512", "64M", "1G": a byte count, K, M and G in powers of
// 1024. False for anything else, 0 or more than 1 TiB.
bool ParseSize(const char* text, std::uint64_t& size) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || text[0] == '-') return false;
    std::uint64_t unit = 1;
    if (*end == 'K') unit = 1ull << 10;
    if (*end == 'M') unit = 1ull << 20;
    if (*end == 'G') unit = 1ull << 30;
    if (unit != 1) ++end;
    if (*end != '\0' || value == 0 || value > (1ull << 40) / unit) return false;
    size = value * unit;
    return true;
}

bool ReadWhole(const char* path, std::string& bytes) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    bytes = content.str();
    return static_cast<bool>(file);
}

// A file beside this program, when there is one.
std::string BesideThisProgram(const char* name) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const auto file = self.parent_path() / name;
    return std::filesystem::is_regular_file(file, error) ? file.string() : std::string();
}

}  // namespace

int PrintHosts() {
    std::printf("music_host=%s\nversion_server=%s\nfile_host_domain=%s\n", tunewell::hosts::kMusicHost,
                tunewell::hosts::kVersionServer, tunewell::hosts::kFileHostDomain);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--print-hosts") == 0) return PrintHosts();
    int port = 0;
    tunewell::demo::DemoOptions options;
    options.programFile = BesideThisProgram("Tunewell");
    options.servedVersion = TUNEWELL_BUILT_VERSION;
    const std::string buildKey = BesideThisProgram("update-key/update-key.pem");
    if (!buildKey.empty()) ReadWhole(buildKey.c_str(), options.signingKeyPem);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--offer-version") == 0 && i + 1 < argc) {
            options.latestVersion = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc) {
            std::string ignored;
            if (!ReadWhole(argv[++i], ignored)) return Usage();
            options.programFile = argv[i];
            continue;
        }
        if (std::strcmp(argv[i], "--program-pace") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > 10000) return Usage();
            options.programPaceMs = static_cast<int>(value);
            continue;
        }
        if (std::strcmp(argv[i], "--program-size") == 0 && i + 1 < argc) {
            if (!ParseSize(argv[++i], options.programSize)) return Usage();
            continue;
        }
        if (std::strcmp(argv[i], "--signature-size") == 0 && i + 1 < argc) {
            if (!ParseSize(argv[++i], options.signatureSize)) return Usage();
            continue;
        }
        if (std::strcmp(argv[i], "--program-chunked") == 0) {
            options.programChunked = true;
            continue;
        }
        if (std::strcmp(argv[i], "--program-version") == 0 && i + 1 < argc) {
            options.servedVersion = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--sign-key") == 0 && i + 1 < argc) {
            if (!ReadWhole(argv[++i], options.signingKeyPem)) return Usage();
            continue;
        }
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > 65535) return Usage();
            port = static_cast<int>(value);
        } else {
            return Usage();
        }
    }
    // Block the stop signals before the server starts its threads, so they
    // inherit the mask and only sigwait below receives the signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    tunewell::demo::DemoSite site(options);
    const int bound = site.Start(port);
    if (bound < 0) {
        std::fprintf(stderr, "tunewell-demo-site: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("http_proxy=%s\n", site.ProxyUrl().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&stopSignals, &received);
    site.Stop();
    return 0;
}
