// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "transfer/file_transfer.h"

namespace tunewell::updater {

// The words for a failed download of the program, as the updater's final
// message gives its cause: the HTTP status ("服务器返回HTTP 404"), the
// temporary folder, the disk, the network, a program over the size cap.
std::string DownloadFailureText(const transfer::TransferFailure& failure);

}  // namespace tunewell::updater
