#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace tunewell::testing {

// A fresh private folder under the system's temporary folder, removed with
// everything in it (read-only parts included) when the object goes away.
class TempFolder {
public:
    // create_directory fails on an existing name, so a folder another run
    // made is never shared; a random name keeps the retries few.
    TempFolder() {
        std::random_device seed;
        std::mt19937_64 random(seed());
        std::error_code error;
        const auto base = std::filesystem::temp_directory_path(error);
        for (int attempt = 0; attempt < 100 && !error; ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, "tw-test-%012llx",
                          static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
            const auto candidate = base / name;
            if (std::filesystem::create_directory(candidate, error)) {
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::replace, error);
                path_ = candidate.generic_string();
                return;
            }
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
            if (entry.is_directory(ignored))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline unsigned ModeOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return 0;
    return info.st_mode & 07777;
}

// A test whose current folder is a fresh "work" folder inside a TempFolder
// (relative paths land in it; "../x" stays inside the temporary root).
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        root_ = folder_.path();
        work_ = root_ / "work";
        std::filesystem::create_directory(work_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(work_);
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    static void Write(const std::filesystem::path& path, const std::string& content) {
        WriteBytes(path.string(), content);
    }
    static std::string Read(const std::filesystem::path& path) { return ReadBytes(path.string()); }

    std::filesystem::path root_;
    std::filesystem::path work_;

private:
    TempFolder folder_;
    std::filesystem::path previous_;
};

}  // namespace tunewell::testing
