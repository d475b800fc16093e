// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/song_reply.h"

#include "base/text.h"

namespace tunewell::transfer {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

}  // namespace

bool IsHtmlType(const std::string& contentType) {
    const std::string type = contentType.substr(0, contentType.find(';'));
    const auto first = type.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const auto last = type.find_last_not_of(" \t");
    return base::LowerAscii(type.substr(first, last - first + 1)) == "text/html";
}

BodyStart::Seen BodyStart::Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size && seen_ == Seen::kBlanksOnly; ++i) {
        if (!IsBlank(data[i])) seen_ = data[i] == '<' ? Seen::kMarkup : Seen::kOther;
    }
    return seen_;
}

}  // namespace tunewell::transfer
