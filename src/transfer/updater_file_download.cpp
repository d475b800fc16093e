// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/updater_file_download.h"

namespace tunewell::transfer {

void CUpdaterFileDownload::Report(std::int64_t progress, std::int64_t maxProgress,
                                  std::int32_t statusCode, const std::string& statusText) {
    if (OnProgress) OnProgress(progress, maxProgress, statusCode, statusText);
}

}  // namespace tunewell::transfer
