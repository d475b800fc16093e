#include "catalogue/page_count.h"

#include "web/get_body.h"
#include "web/text_utils.h"

namespace tunewell::catalogue {
namespace {

// The page count named by the pager's last link: its text when that is a
// number, or for the » link the curpage value or last path segment of its
// address.
std::string PagerCountText(const std::string& pager) {
    if (pager.find("<a") == std::string::npos) return {};
    const std::string last = web::SplitPart(pager, "<a", 2);
    const std::string linkText = web::GetBody(last, "'>", "</a>", false, false);
    if (linkText != "&raquo;") return linkText;

    std::string address = web::GetBody(last, "href='", ">&raquo;", false, true);
    if (address.find("curpage=") != std::string::npos) {
        return web::GetBody(address, "curpage=", "'>", false, false);
    }
    const std::string lastSegment = web::SplitPart(address, "/", 2);
    address.assign(1, '/');
    address += lastSegment;
    return web::GetBody(address, "/", "'>", false, false);
}

}  // namespace

double GetPageCount(const std::string& page, std::int16_t getPage) {
    const std::string pager = web::GetBody(page, "class=pages>", "</div>", false, false);
    const double count = web::ToNumber(PagerCountText(pager)).value;
    return getPage > count ? count : static_cast<double>(getPage);
}

}  // namespace tunewell::catalogue
