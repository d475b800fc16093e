// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/song_catalogue.h"

#include <utility>
#include <vector>

#include "catalogue/page_count.h"
#include "catalogue/page_kind.h"
#include "catalogue/song_parser.h"
#include "web/http_client.h"
#include "text/text_utils.h"

namespace tunewell::catalogue {
namespace {

constexpr const char* kFetchingText = "正在获取歌曲列表......";
constexpr const char* kFetchedText = "获取歌曲列表成功,请单击选择您想下载的歌曲";
constexpr const char* kPagingText = "正在获取分页歌曲列表......";
constexpr const char* kSigningInText = "正在为您登陆Tunewell";
constexpr const char* kNetworkFailure = "获取歌曲列表失败，请检查网络连接！";
constexpr const char* kNoSongList = "没有发现歌曲列表！";
constexpr const char* kSignInMarker = "<h2>登录到tunewell</h2>";

std::string PagesCutText(long pages) { return "页面太大，只列出前" + std::to_string(pages) + "页的歌曲"; }

std::size_t CountOf(const std::string& text, const std::string& delimiter) {
    if (delimiter.empty()) return 0;
    std::size_t count = 0;
    for (std::size_t at = text.find(delimiter); at != std::string::npos; at = text.find(delimiter, at + delimiter.size()))
        ++count;
    return count;
}

std::string FollowingAddress(const std::string& address, Paging paging, long page) {
    const std::string number = std::to_string(page);
    return paging == Paging::AppendCurPage ? address + "&curpage=" + number : address + number;
}

// The pages' bodies joined in their order, each freed once it is copied:
// the whole and the parts are held together only once.
std::string Join(std::vector<std::string>& bodies) {
    if (bodies.size() == 1) return std::move(bodies.front());
    std::size_t total = 0;
    for (const std::string& body : bodies) total += body.size();
    std::string joined;
    joined.reserve(total);
    for (std::string& body : bodies) {
        joined += body;
        std::string().swap(body);
    }
    return joined;
}

}  // namespace

std::string SongCatalogue::FetchNormalised(const std::string& address) {
    std::string page = web::GetHttpPage(address, "gb2312");
    text::NormalizePage(page);
    return page;
}

void SongCatalogue::AbandonFetch() {
    if (fetching_ != nullptr) fetching_->Abandon();
}

bool SongCatalogue::Stopped() const { return fetching_ != nullptr && fetching_->Abandoned(); }

void SongCatalogue::FetchSongList(const std::string& address) {
    // Every page request of this fetch belongs to it, so that the user can
    // abandon the lot (see AbandonFetch).
    net::AbandonableWait wait;
    net::AbandonableWait* const outer = std::exchange(fetching_, &wait);
    abandoned_ = false;
    Fetch(address);
    abandoned_ = wait.Abandoned();
    fetching_ = outer;
}

void SongCatalogue::Fetch(const std::string& address) {
    ui_.events.ProcessPending();
    std::string page = FetchNormalised(address);
    if (Stopped()) return;
    ui_.status.SetText(kFetchingText);
    ui_.events.ProcessPending();
    if (Stopped()) return;
    if (page.empty() || page == "$false$") {
        ui_.message.Show(kNetworkFailure);
        return;
    }
    ui_.status.SetText(kFetchedText);

    if (page.find(kSignInMarker) != std::string::npos) {
        ui_.status.SetText(kSigningInText);
        std::string().swap(page);  // fetched again once signed in
        signIn_.SignIn();
        if (!state_.SignedIn || Stopped()) return;
        page = FetchNormalised(address);
        if (Stopped()) return;
    }

    const PageKind* kind = DetectPageKind(page);
    if (kind == nullptr) {
        ui_.message.Show(kNoSongList);
        return;
    }
    const double pages = kind->paging != Paging::None ? GetPageCount(page, config_.GetPage) : 1;
    // Each body is its page cut down in place; the pages' text is never
    // copied whole.
    std::vector<std::string> bodies;
    bodies.push_back(BuildFirstBody(std::move(page), *kind));
    const long cutAfter = FetchFollowingBodies(address, *kind, pages, bodies);
    if (Stopped()) return;  // the rows stay as they were
    const bool rowsCut = FillList(Join(bodies), kind->delimiter);
    if (cutAfter > 0 && !rowsCut) ui_.status.SetText(PagesCutText(cutAfter));
}

long SongCatalogue::FetchFollowingBodies(const std::string& address, const PageKind& kind, double pages,
                                         std::vector<std::string>& bodies) {
    std::size_t bytes = bodies.back().size();
    // Pages beyond the row bound would only add entries that get no row,
    // and hold up to the page cap each in memory. Beyond the byte bound
    // the text held would grow with every page however few songs it has.
    std::size_t entries = CountOf(bodies.back(), kind.delimiter);
    for (long k = 2; k <= pages && entries <= maxRows_; ++k) {
        if (bytes > maxBodyBytes_) return k - 1;
        // A body cut from its page in place may still hold the page's room;
        // it gives that back before the next page arrives.
        bodies.back().shrink_to_fit();
        const std::string next = FollowingAddress(address, kind.paging, k);
        ui_.events.ProcessPending();
        std::string followingPage = FetchNormalised(next);
        if (Stopped()) return 0;
        ui_.status.SetText(kPagingText);
        ui_.events.ProcessPending();
        std::string more = BuildFollowingBody(std::move(followingPage), kind);
        if (bytes + more.size() > maxBodyBytes_) return k - 1;
        bytes += more.size();
        entries += CountOf(more, kind.delimiter);
        bodies.push_back(std::move(more));
    }
    return 0;
}

bool SongCatalogue::FillList(std::string body, const std::string& delimiter) {
    bool cut = false;
    std::vector<ParsedSong> songs = ParseSongs(body, delimiter, maxRows_, &cut);
    std::string().swap(body);  // the rows are all that is needed from here on
    ui_.songs.Prepare();
    int position = 0;
    for (const ParsedSong& song : songs) {
        ui_.songs.AddRow(++position, song.id.value, song.id.ToText(), song.name);
    }
    if (cut) ui_.status.SetText("歌曲太多，只列出前" + std::to_string(maxRows_) + "首");
    return cut;
}

}  // namespace tunewell::catalogue
