// SPDX-License-Identifier: GPL-3.0-or-later
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

std::string RunFailuresText(const ports::RunOutcome& outcome) {
    if (outcome.failed <= 0) return std::string();
    std::string text = std::to_string(outcome.failed) + "首下载失败：";
    for (const std::string& failure : outcome.firstFailures) text += "\n" + failure;
    if (static_cast<std::size_t>(outcome.failed) > outcome.firstFailures.size()) text += "\n……";
    return text;
}

std::string RunSummaryText(const ports::RunOutcome& outcome) {
    std::string text = "下载结束：已保存" + std::to_string(outcome.saved) + "首";
    if (outcome.handedOff > 0) text += "，已交给下载管理器" + std::to_string(outcome.handedOff) + "首";
    if (outcome.failed > 0) text += "，" + std::to_string(outcome.failed) + "首失败";
    return text;
}

}  // namespace tunewell::download
