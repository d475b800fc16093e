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

}  // namespace tunewell::download
