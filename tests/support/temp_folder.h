// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/temp_folder.h"
#include "platform/utf8_path.h"

namespace tunewell::testing {

// A fresh private folder under the system's temporary folder, removed with
// everything in it (read-only parts included) when the object goes away.
class TempFolder {
public:
    TempFolder() {
#ifdef _WIN32
        path_ = platform::MakePrivateFolder("tw-test-");
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "tw-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
#endif
    }
    ~TempFolder() {
        std::error_code ignored;
        const std::filesystem::path root = platform::Utf8Path(path_);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ignored)) {
            if (entry.is_directory(ignored))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::permissions(root, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(root, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(platform::Utf8Path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(platform::Utf8Path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifndef _WIN32
// Points TMPDIR at a fresh TempFolder for as long as it lives, so that a
// test sees everything the code under test leaves in the temporary folder.
class ScopedTmpDir {
public:
    ScopedTmpDir() {
        const char* old = std::getenv("TMPDIR");
        if (old != nullptr) previous_ = old;
        hadPrevious_ = old != nullptr;
        ::setenv("TMPDIR", folder_.path().c_str(), 1);
    }
    ~ScopedTmpDir() { hadPrevious_ ? ::setenv("TMPDIR", previous_.c_str(), 1) : ::unsetenv("TMPDIR"); }
    ScopedTmpDir(const ScopedTmpDir&) = delete;
    ScopedTmpDir& operator=(const ScopedTmpDir&) = delete;

    const std::string& path() const { return folder_.path(); }
    // The names in the folder, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path(), ignored))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    TempFolder folder_;
    std::string previous_;
    bool hadPrevious_ = false;
};

inline unsigned ModeOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return 0;
    return info.st_mode & 07777;
}
#endif

// A test whose current folder is a fresh "work" folder inside a TempFolder
// (relative paths land in it; "../x" stays inside the temporary root).
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        root_ = platform::Utf8Path(folder_.path());
        work_ = root_ / "work";
        std::filesystem::create_directory(work_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(work_);
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    static void Write(const std::filesystem::path& path, const std::string& content) {
        WriteBytes(platform::Utf8String(path), content);
    }
    static std::string Read(const std::filesystem::path& path) { return ReadBytes(platform::Utf8String(path)); }

    std::filesystem::path root_;
    std::filesystem::path work_;

private:
    TempFolder folder_;
    std::filesystem::path previous_;
};

}  // namespace tunewell::testing
