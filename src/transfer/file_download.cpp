// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/file_download.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

namespace tunewell::transfer {
namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

}  // namespace

CFileDownload::CFileDownload()
    : FileTransfer(HandlerErrors::kIgnore, true), tickCount_(&CFileDownload::SystemTickCount) {}

std::int32_t CFileDownload::SystemTickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

std::int32_t CFileDownload::SpeedFromInterval(std::int64_t deltaBytes, std::int64_t elapsedMs) {
    if (elapsedMs == 0) return 0;
    const double kbPerSecond =
        static_cast<double>(deltaBytes) / static_cast<double>(elapsedMs) * 1000.0 / 1024.0;
    // Anything this large cannot become a 32-bit speed; it also keeps the
    // two-decimal text short.
    if (!std::isfinite(kbPerSecond) || std::fabs(kbPerSecond) > 4.0e9) return 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", kbPerSecond);
    // nearbyint rounds in the default mode: a half goes to the even neighbour.
    const double rounded = std::nearbyint(std::strtod(text, nullptr));
    if (rounded < static_cast<double>(kInt32Min) || rounded > static_cast<double>(kInt32Max))
        return 0;
    return static_cast<std::int32_t>(rounded);
}

void CFileDownload::Report(std::int64_t progress, std::int64_t maxProgress, std::int32_t statusCode,
                           const std::string& statusText) {
    // The interval is a 32-bit difference of tick readings; when it does
    // not fit (the counter wrapped), this report's speed is 0.
    const std::int64_t elapsed = static_cast<std::int64_t>(tickCount_()) - m_lLastTick;
    std::int32_t speed = 0;
    if (elapsed >= kInt32Min && elapsed <= kInt32Max)
        speed = SpeedFromInterval(progress - m_lLastBytes, elapsed);
    try {
        if (OnProgress) OnProgress(progress, maxProgress, speed, statusCode, statusText);
    } catch (...) {
        // A failing handler must not stop the transfer or the measurement.
    }
    m_lLastTick = tickCount_();
    m_lLastBytes = progress;
}

}  // namespace tunewell::transfer
