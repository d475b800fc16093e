// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/config.h"

#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <utility>

#include "platform/utf8_path.h"
#include "settings/ini_file.h"
#include "settings/program_places.h"
#include "text/text_utils.h"

namespace tunewell::settings {
namespace {

constexpr const char* kListUrlKey = "ListUrl";
constexpr const char* kSavePathKey = "SavePath";
constexpr const char* kGetPageKey = "GetPage";
constexpr const char* kLoginNameKey = "LoginName";
constexpr const char* kLoginPassKey = "LoginPass";
constexpr const char* kAddIdKey = "AddID";
constexpr const char* kAria2SecretKey = "Aria2Secret";
constexpr const char* kJobsKey = "Jobs";
constexpr const char* kSkipSavedKey = "SkipSaved";
constexpr const char* kRetriesKey = "Retries";
constexpr const char* kSpeedLimitKey = "SpeedLimit";
constexpr const char* kWriteTagsKey = "WriteTags";
constexpr const char* kWindowLeftKey = "WindowLeft";
constexpr const char* kWindowTopKey = "WindowTop";
// Farther than any desktop reaches; a larger stored value is damage.
constexpr double kMaxWindowCoordinate = 1000000;

// Largest value, in GBK bytes, read for each key.
constexpr long kListUrlLimit = 255;
constexpr long kValueLimit = 100;

// Rounds to the nearest whole number, a half to the even neighbour
// (2.5 gives 2, 3.5 gives 4), whatever the floating-point rounding mode.
double RoundHalfToEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) return lower + 1;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

// A stored number as a 16-bit whole number; no value when the text is not
// a number or the number does not fit (it then counts as missing).
std::optional<std::int16_t> ToInt16(const std::string& text) {
    const double value = text::ToNumber(text).value;
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = RoundHalfToEven(value);
    if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

}  // namespace

std::int16_t JobsWithinLimits(double value) {
    if (!std::isfinite(value)) return 1;
    const double rounded = RoundHalfToEven(value);
    return static_cast<std::int16_t>(rounded < 1 ? 1 : rounded > kMaxJobs ? kMaxJobs : rounded);
}

std::int16_t RetriesWithinLimits(double value) {
    if (!std::isfinite(value)) return 0;
    const double rounded = RoundHalfToEven(value);
    return static_cast<std::int16_t>(rounded < 0 ? 0 : rounded > kMaxRetries ? kMaxRetries : rounded);
}

std::int32_t SpeedLimitWithinLimits(double value) {
    if (!std::isfinite(value)) return 0;
    const double rounded = RoundHalfToEven(value);
    return static_cast<std::int32_t>(rounded < 0 ? 0 : rounded > kMaxSpeedLimit ? kMaxSpeedLimit : rounded);
}

std::string ConfigPath(const std::string& programFolder) {
    const std::string folder = SettingsFolder(programFolder);
    return folder.empty() ? std::string() : folder + "/" + kConfigFileName;
}

void LoadConfig(Config& config, const std::string& programFolder) {
    const std::string file = ConfigPath(programFolder);
    const auto read = [&file](const char* key, long limit) {
        return ReadIni(kConfigSection, key, "", limit, file);
    };
    config.ListUrl = read(kListUrlKey, kListUrlLimit);
    config.SavePath = read(kSavePathKey, kValueLimit);
    config.GetPage = ToInt16(read(kGetPageKey, kValueLimit)).value_or(0);
    config.LoginName = read(kLoginNameKey, kValueLimit);
    config.LoginPass = read(kLoginPassKey, kValueLimit);
    config.AddID = ToInt16(read(kAddIdKey, kValueLimit)).value_or(0);
    config.Aria2Secret = read(kAria2SecretKey, kValueLimit);
    config.Jobs = JobsWithinLimits(text::ToNumber(read(kJobsKey, kValueLimit)).value);
    config.SkipSaved = ToInt16(read(kSkipSavedKey, kValueLimit)).value_or(0);
    config.Retries = RetriesWithinLimits(text::ToNumber(read(kRetriesKey, kValueLimit)).value);
    config.SpeedLimit = SpeedLimitWithinLimits(text::ToNumber(read(kSpeedLimitKey, kValueLimit)).value);
    config.WriteTags = ToInt16(read(kWriteTagsKey, kValueLimit)).value_or(0);
    if (config.SavePath.empty()) config.SavePath = DefaultSaveFolder(programFolder);
    if (config.GetPage == 0) config.GetPage = 1;
}

Config CurrentConfig(const Config& fallback, const std::string& programFolder) {
    const std::string file = ConfigPath(programFolder);
    std::error_code error;
    if (file.empty() || !std::filesystem::is_regular_file(platform::Utf8Path(file), error)) return fallback;
    Config current;
    LoadConfig(current, programFolder);
    return current;
}

namespace {

bool WriteKeys(const std::string& configPath,
               std::initializer_list<std::pair<const char*, std::string>> keys) {
    for (const auto& [key, value] : keys) {
        if (WriteIni(kConfigSection, key, value, configPath) == 0) return false;
    }
    return true;
}

}  // namespace

bool SaveListFields(const std::string& configPath, const std::string& listUrl,
                    const std::string& savePath) {
    return WriteKeys(configPath, {{kListUrlKey, listUrl}, {kSavePathKey, savePath}});
}

bool SaveSettingsFields(const std::string& configPath, const SettingsFields& fields) {
    return WriteKeys(configPath, {{kSavePathKey, fields.SavePath},
                                  {kGetPageKey, fields.GetPage},
                                  {kLoginNameKey, fields.LoginName},
                                  {kLoginPassKey, fields.LoginPass},
                                  {kAddIdKey, fields.AddID ? "1" : "0"}});
}

bool SaveMoreFields(const std::string& configPath, const std::string& jobs, const std::string& aria2Secret) {
    return WriteKeys(configPath, {{kJobsKey, jobs}, {kAria2SecretKey, aria2Secret}});
}

bool SaveSkipSaved(const std::string& configPath, bool skipSaved) {
    return WriteKeys(configPath, {{kSkipSavedKey, skipSaved ? "1" : "0"}});
}

bool SaveWriteTags(const std::string& configPath, bool writeTags) {
    return WriteKeys(configPath, {{kWriteTagsKey, writeTags ? "1" : "0"}});
}

std::optional<WindowSpot> ReadWindowSpot(const std::string& configPath) {
    const auto coordinate = [&configPath](const char* key) -> std::optional<int> {
        const std::string text = ReadIni(kConfigSection, key, "", kValueLimit, configPath);
        const text::Number number = text::ToNumber(text);
        if (!text::IsNumeric(text) || !std::isfinite(number.value) || number.value != std::floor(number.value) ||
            std::fabs(number.value) > kMaxWindowCoordinate)
            return std::nullopt;
        return static_cast<int>(number.value);
    };
    const std::optional<int> left = coordinate(kWindowLeftKey);
    const std::optional<int> top = coordinate(kWindowTopKey);
    if (!left || !top) return std::nullopt;
    return WindowSpot{*left, *top};
}

bool SaveWindowSpot(const std::string& configPath, const WindowSpot& spot) {
    return WriteKeys(configPath, {{kWindowLeftKey, std::to_string(spot.left)}, {kWindowTopKey, std::to_string(spot.top)}});
}

bool SaveTransferFields(const std::string& configPath, const std::string& retries,
                        const std::string& speedLimit) {
    return WriteKeys(configPath, {{kRetriesKey, retries}, {kSpeedLimitKey, speedLimit}});
}

}  // namespace tunewell::settings
