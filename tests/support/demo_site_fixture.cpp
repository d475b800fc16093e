// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site_fixture.h"

#include <cstdlib>

#include "support/update_signing.h"

namespace tunewell::testing {

ScopedDemoSite::ScopedDemoSite(demo::DemoOptions options, const demo::LinkShape& link) : site_(std::move(options)) {
    site_.SetLink(link);
    port_ = site_.Start(0);
    if (port_ <= 0) return;
    const std::string proxy = site_.ProxyUrl();
    SetVariable("http_proxy", proxy.c_str());
    SetVariable("HTTP_PROXY", proxy.c_str());
    SetVariable("no_proxy", nullptr);
    SetVariable("NO_PROXY", nullptr);
}

ScopedDemoSite::~ScopedDemoSite() {
    site_.Stop();
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) {
            setenv(it->first.c_str(), it->second->c_str(), 1);
        } else {
            unsetenv(it->first.c_str());
        }
    }
}

void ScopedDemoSite::SetVariable(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

void DemoSiteTest::SetUp() {
    demo::DemoOptions options;
    // Program downloads come signed, as the version server's do.
    options.signingKeyPem = TestUpdateKey().privatePem;
    demo_.emplace(std::move(options), Link());
    ASSERT_TRUE(demo_->Running()) << "the demo site could not listen on 127.0.0.1";
}

void DemoSiteTest::TearDown() { demo_.reset(); }

}  // namespace tunewell::testing
