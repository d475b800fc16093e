// tunewell-demo-site --print-hosts: prints the configured host names as
// music_host=, version_server= and file_host_domain= lines and exits.
// tunewell-demo-site [--port N] [--offer-version V [--program FILE]]:
// serves the demo site until killed. Prints "http_proxy=http://127.0.0.1:N"
// first, so a script can read the address. With --offer-version the version
// server offers V, and FILE (for example the built Tunewell itself) as the
// program download, to show the update at start-up.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <pthread.h>

#include "demo_site/demo_site.h"
#include "hosts/site_hosts.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: tunewell-demo-site --print-hosts | [--port N] [--offer-version V [--program FILE]]\n");
    return 2;
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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--offer-version") == 0 && i + 1 < argc) {
            options.latestVersion = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc) {
            std::ifstream file(argv[++i], std::ios::binary);
            std::stringstream bytes;
            bytes << file.rdbuf();
            if (!file) return Usage();
            options.programBytes = options.program2Bytes = bytes.str();
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
