#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tunewell::testing {

// A fresh folder under the system's temporary folder, made the current
// folder for the test's life (relative paths land in it) and removed after.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "tw-fs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        work_ = root_ / "work";
        std::filesystem::create_directory(work_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(work_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    static void Write(const std::filesystem::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path root_;  // holds work_, so "../x" stays inside it
    std::filesystem::path work_;  // the current folder during the test

private:
    std::filesystem::path previous_;
};

}  // namespace tunewell::testing
