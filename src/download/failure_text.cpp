#include "download/failure_text.h"

namespace tunewell::download {

std::string FailureText(const transfer::TransferFailure& failure) {
    using Cause = transfer::TransferFailure::Cause;
    switch (failure.cause) {
        case Cause::kRefusedAddress: return kBadAddressText;
        case Cause::kFolder: return kFolderNotWritableText;
        default: return transfer::CommonFailureText(failure);
    }
}

std::string PageFailureText(const web::PageResult& page) {
    using Page = web::PageResult::Failure;
    using Cause = transfer::TransferFailure::Cause;
    switch (page.failure) {
        case Page::kNone: return std::string();
        case Page::kRefused: return kBadAddressText;
        case Page::kHttpStatus: return transfer::CommonFailureText({Cause::kHttpStatus, page.status});
        case Page::kTimeout: return transfer::CommonFailureText({Cause::kTimeout, 0});
        case Page::kStall: return transfer::CommonFailureText({Cause::kStall, 0});
        case Page::kTooLarge: return "页面超过大小上限";
        case Page::kNetwork: break;
    }
    return transfer::CommonFailureText({Cause::kNetwork, 0});
}

}  // namespace tunewell::download
