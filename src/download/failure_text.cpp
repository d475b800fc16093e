#include "download/failure_text.h"

namespace tunewell::download {

std::string FailureText(const transfer::TransferFailure& failure) {
    using Cause = transfer::TransferFailure::Cause;
    switch (failure.cause) {
        case Cause::kAborted: return "下载已中止";
        case Cause::kRefusedAddress: return kBadAddressText;
        case Cause::kFolder: return kFolderNotWritableText;
        case Cause::kDiskFull: return kDiskFullText;
        case Cause::kWrite: return "写入文件失败";
        case Cause::kHttpStatus: return "服务器返回HTTP " + std::to_string(failure.status);
        case Cause::kNetwork: return "网络连接失败";
        case Cause::kTimeout: return "网络连接超时";
        case Cause::kStall: return "网络传输停滞";
        case Cause::kNotAudio: return "服务器返回的不是音频文件";
        case Cause::kEmpty: return "服务器返回的文件是空的";
        case Cause::kOverlong: return "服务器返回的数据超出了文件长度";
        case Cause::kNone: break;
    }
    return "下载失败";
}

}  // namespace tunewell::download
