// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

#include "transfer/file_transfer.h"

namespace tunewell::transfer {

inline constexpr const char* kDiskFullText = "磁盘空间不足";

// The words for the user on why a transfer failed, the same for a song and
// for a program download: the HTTP status ("服务器返回HTTP 404"), the disk,
// the network cause, a reply that is no song, an abort. The causes whose
// words depend on what was fetched (the address, the folder, the size cap)
// get generic words here; the song run and the updater say them their own
// way and pass the rest on to this function. "下载失败" for kNone.
std::string CommonFailureText(const TransferFailure& failure);

// The words for a failed download of a new program (both updaters): as
// CommonFailureText, with the temporary folder and the size cap of `maxBytes`
// ("下载的程序超过64MB的上限").
std::string ProgramFailureText(const TransferFailure& failure, std::int64_t maxBytes);

}  // namespace tunewell::transfer
