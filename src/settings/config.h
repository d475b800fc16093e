#pragma once
#include <cstdint>
#include <string>

namespace tunewell::settings {

inline constexpr const char* kConfigFileName = "Config.ini";
inline constexpr const char* kConfigSection = "Config";

// The settings globals, each named after its Config.ini key. Filled only by
// LoadConfig; empty and 0 before the first load.
struct Config {
    std::string ListUrl;
    std::string SavePath;
    std::int16_t GetPage = 0;
    std::string LoginName;
    std::string LoginPass;
    std::int16_t AddID = 0;
};

// The path of Config.ini for a program in `programFolder`: inside it, or in
// the user's settings folder when the program folder is not writable
// (platform::SettingsFolder).
std::string ConfigPath(const std::string& programFolder);

// Reads every key of Config.ini in `programFolder` into `config`. A missing
// or unreadable file gives the defaults: SavePath the program folder,
// GetPage 1 (also for a stored 0), the rest empty or 0. Numbers outside the
// 16-bit range count as missing.
void LoadConfig(Config& config, const std::string& programFolder);

}  // namespace tunewell::settings
