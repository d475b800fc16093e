// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "demo_site/demo_catalogue.h"
#include "demo_site/demo_site.h"

namespace tunewell::testing {

// Runs the demo site on a free 127.0.0.1 port for as long as it lives and
// points the process's proxy variables at it: http_proxy and HTTP_PROXY are
// set, no_proxy and NO_PROXY removed. The destructor stops the site and puts
// every variable back as it was.
class ScopedDemoSite {
public:
    explicit ScopedDemoSite(demo::DemoOptions options = {}, const demo::LinkShape& link = {});
    ~ScopedDemoSite();
    ScopedDemoSite(const ScopedDemoSite&) = delete;
    ScopedDemoSite& operator=(const ScopedDemoSite&) = delete;

    demo::DemoSite& Site() { return site_; }
    // False when the site could not listen (the test should fail).
    bool Running() const { return port_ > 0; }

private:
    void SetVariable(const char* name, const char* value);

    demo::DemoSite site_;
    int port_ = -1;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Fixture for tests that talk to the demo site through the program's HTTP
// code. The site starts before each test and stops after it, and signs the
// program downloads with TestUpdateKey() (support/update_signing.h).
class DemoSiteTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    demo::DemoSite& Site() { return demo_->Site(); }
    demo::DemoOptions& Options() { return demo_->Site().Options(); }
    // The link laid over the site's connections (none by default), for
    // tests that need transfers to take a while.
    virtual demo::LinkShape Link() const { return {}; }

private:
    std::optional<ScopedDemoSite> demo_;
};

}  // namespace tunewell::testing
