// SPDX-License-Identifier: GPL-3.0-or-later
#include "updater/download_failure_text.h"

#include "trust/program_vetting.h"

namespace tunewell::updater {

std::string DownloadFailureText(const transfer::TransferFailure& failure) {
    using Cause = transfer::TransferFailure::Cause;
    switch (failure.cause) {
        case Cause::kAborted: return "下载已中止";
        case Cause::kRefusedAddress: return "下载地址无效";
        case Cause::kFolder: return "临时文件夹不可写";
        case Cause::kDiskFull: return "磁盘空间不足";
        case Cause::kWrite: return "写入文件失败";
        case Cause::kHttpStatus: return "服务器返回HTTP " + std::to_string(failure.status);
        case Cause::kNetwork: return "网络连接失败";
        case Cause::kTimeout: return "网络连接超时";
        case Cause::kStall: return "网络传输停滞";
        case Cause::kTooLarge:
            return "下载的程序超过" + std::to_string(trust::kMaxProgramBytes / (1024 * 1024)) + "MB的上限";
        case Cause::kNone: break;
    }
    return "下载失败";
}

}  // namespace tunewell::updater
