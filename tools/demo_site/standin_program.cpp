// SPDX-License-Identifier: GPL-3.0-or-later
// tunewell-standin: the harmless program the demo version server offers as
// the update when it serves no real Tunewell (the tests, a build without
// the window). It is a real program of this platform, so an updater
// accepts it, and it ends at once. When TUNEWELL_STANDIN_MARK names a file,
// it first writes its working folder into that file, so a test can see
// that the swapped-in program was started, and where.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

int main() {
    const char* mark = std::getenv("TUNEWELL_STANDIN_MARK");
    if (mark == nullptr || mark[0] == '\0') return 0;
    std::error_code error;
    const std::string folder = std::filesystem::current_path(error).string();
    std::FILE* file = std::fopen(mark, "w");
    if (file == nullptr) return 1;
    std::fprintf(file, "%s\n", folder.c_str());
    return std::fclose(file) == 0 ? 0 : 1;
}
