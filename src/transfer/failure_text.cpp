// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/failure_text.h"

namespace tunewell::transfer {

std::string CommonFailureText(const TransferFailure& failure) {
    using Cause = TransferFailure::Cause;
    switch (failure.cause) {
        case Cause::kAborted: return "下载已中止";
        case Cause::kRefusedAddress: return "下载地址无效";
        case Cause::kFolder: return "文件夹不可写";
        case Cause::kDiskFull: return kDiskFullText;
        case Cause::kWrite: return "写入文件失败";
        case Cause::kHttpStatus: return "服务器返回HTTP " + std::to_string(failure.status);
        case Cause::kNetwork: return "网络连接失败";
        case Cause::kTimeout: return "网络连接超时";
        case Cause::kStall: return "网络传输停滞";
        case Cause::kTooLarge: return "文件超过大小上限";
        case Cause::kNotAudio: return "服务器返回的不是音频文件";
        case Cause::kEmpty: return "服务器返回的文件是空的";
        case Cause::kOverlong: return "服务器返回的数据超出了文件长度";
        case Cause::kNone: break;
    }
    return "下载失败";
}

std::string ProgramFailureText(const TransferFailure& failure, std::int64_t maxBytes) {
    using Cause = TransferFailure::Cause;
    switch (failure.cause) {
        case Cause::kFolder: return "临时文件夹不可写";
        case Cause::kTooLarge: return "下载的程序超过" + std::to_string(maxBytes / (1024 * 1024)) + "MB的上限";
        default: return CommonFailureText(failure);
    }
}

}  // namespace tunewell::transfer
