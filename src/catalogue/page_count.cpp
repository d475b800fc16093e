// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/page_count.h"

#include <string_view>

#include "web/get_body.h"
#include "text/text_utils.h"

namespace tunewell::catalogue {
namespace {

// No pager names a page count longer than this; a longer text (a page
// built to be large) counts as no number, and is never copied.
constexpr std::size_t kLongestCountText = 64;

// The page count named by the pager's last link: its text when that is a
// number, or for the » link the curpage value or last path segment of its
// address. A view into `pager`: the pager is a stretch of the whole page.
std::string_view PagerCountText(std::string_view pager) {
    if (pager.find("<a") == std::string_view::npos) return {};
    const std::string_view last = text::SplitPiece(pager, "<a", 2);
    const std::string_view linkText = web::GetBodyView(last, "'>", "</a>", false, false);
    if (linkText != "&raquo;") return linkText;

    const std::string_view address = web::GetBodyView(last, "href='", ">&raquo;", false, true);
    if (address.find("curpage=") != std::string_view::npos) {
        return web::GetBodyView(address, "curpage=", "'>", false, false);
    }
    // The text of the last segment up to "'>", when there is any.
    const std::string_view lastSegment = text::SplitPiece(address, "/", 2);
    const std::size_t end = lastSegment.find("'>");
    if (end == std::string_view::npos || end == 0) return {};
    return lastSegment.substr(0, end);
}

}  // namespace

double GetPageCount(const std::string& page, std::int16_t getPage) {
    const std::string_view pager = web::GetBodyView(page, "class=pages>", "</div>", false, false);
    const std::string_view text = PagerCountText(pager);
    const double count = text.size() > kLongestCountText ? 0 : text::ToNumber(std::string(text)).value;
    return getPage > count ? count : static_cast<double>(getPage);
}

}  // namespace tunewell::catalogue
