// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
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
    // The RPC secret of the download manager (aria2 --rpc-secret); empty:
    // none. Set in the more-settings window (or by hand in the file).
    std::string Aria2Secret;
    // How many ticked songs a run transfers at a time, 1 to kMaxJobs (1:
    // one after another). Set in the more-settings window.
    std::int16_t Jobs = 1;
    // Not 0: a run leaves out the ticked songs the saved-songs record says
    // are already saved and still there. Set in the more-settings window.
    std::int16_t SkipSaved = 0;
    // How often a song that failed for a passing cause (the network, a
    // server error) is tried again, 0 to kMaxRetries (0: a single attempt).
    std::int16_t Retries = 0;
    // The whole run's download speed in KB/s, shared by the songs side by
    // side; 0: no limit.
    std::int32_t SpeedLimit = 0;
    // Not 0: a saved .mp3 gets the title and performer it was named after
    // as its ID3v2 tag. Set in the more-settings window.
    std::int16_t WriteTags = 0;
};

inline constexpr int kMaxJobs = 8;
inline constexpr int kMaxGetPage = 32767;  // GetPage is a 16-bit number
inline constexpr int kMaxRetries = 10;
inline constexpr std::int32_t kMaxSpeedLimit = 10000000;  // KB/s

// A stored number of retries brought within 0..kMaxRetries; 0 for a value
// that is no number.
std::int16_t RetriesWithinLimits(double value);
// A stored speed limit in KB/s as a whole number within 0..kMaxSpeedLimit;
// 0 (no limit) for a value that is no number.
std::int32_t SpeedLimitWithinLimits(double value);

// A number of songs at a time brought within 1..kMaxJobs (a half rounds to
// the even neighbour); 1 for a value that is no number.
std::int16_t JobsWithinLimits(double value);

// The path of Config.ini for a program in `programFolder`: inside it for a
// copy the user keeps, in the user's settings folder for an installed one
// (settings/program_places.h). Empty when there is no place for it; reads
// then give the defaults and writes fail.
std::string ConfigPath(const std::string& programFolder);

// This file is the only place that knows the keys of Config.ini: every
// reader and writer goes through the functions below. Each writer returns
// false when a key could not be stored (the keys before it are stored).

// The list button's two fields.
bool SaveListFields(const std::string& configPath, const std::string& listUrl,
                    const std::string& savePath);

// The settings window's five keys, in this order.
struct SettingsFields {
    std::string SavePath;
    std::string GetPage;
    std::string LoginName;
    std::string LoginPass;
    bool AddID = false;
};
bool SaveSettingsFields(const std::string& configPath, const SettingsFields& fields);

// The more-settings window's two keys, in this order: Jobs and Aria2Secret.
bool SaveMoreFields(const std::string& configPath, const std::string& jobs, const std::string& aria2Secret);
// The more-settings window's SkipSaved box.
bool SaveSkipSaved(const std::string& configPath, bool skipSaved);
// The more-settings window's WriteTags box.
bool SaveWriteTags(const std::string& configPath, bool writeTags);

// The retry and speed keys of the more-settings window, in this order:
// Retries and SpeedLimit.
bool SaveTransferFields(const std::string& configPath, const std::string& retries,
                        const std::string& speedLimit);

// The main window's top-left corner on the desktop when it last closed
// (WindowLeft and WindowTop, in pixels). No value when either key is
// missing or no whole number within +-1000000.
struct WindowSpot {
    int left = 0;
    int top = 0;
    bool operator==(const WindowSpot&) const = default;
};
std::optional<WindowSpot> ReadWindowSpot(const std::string& configPath);
// Stores both keys, the other keys of the file left as they are.
bool SaveWindowSpot(const std::string& configPath, const WindowSpot& spot);

// Reads every key of Config.ini in `programFolder` into `config`. A missing
// or unreadable file gives the defaults: SavePath DefaultSaveFolder (the
// program folder, or the user's music folder for an installed copy),
// GetPage 1 (also for a stored 0), Jobs 1 (a stored value outside 1..8 is
// brought to the nearer end), Retries 0 (brought within 0..10), SpeedLimit
// 0, the rest empty or 0. Numbers outside the
// 16-bit range count as missing.
void LoadConfig(Config& config, const std::string& programFolder);

// What Config.ini in `programFolder` holds now, read as LoadConfig reads
// it; `fallback` when there is no such file (nothing to show but what the
// program holds).
Config CurrentConfig(const Config& fallback, const std::string& programFolder);

}  // namespace tunewell::settings
