#include "catalogue/song_catalogue.h"

#include "catalogue/page_count.h"
#include "catalogue/page_kind.h"
#include "catalogue/song_parser.h"
#include "web/http_client.h"
#include "web/text_utils.h"

namespace tunewell::catalogue {
namespace {

constexpr const char* kFetchingText = "正在获取歌曲列表......";
constexpr const char* kFetchedText = "获取歌曲列表成功,请单击选择您想下载的歌曲";
constexpr const char* kPagingText = "正在获取分页歌曲列表......";
constexpr const char* kSigningInText = "正在为您登陆Tunewell";
constexpr const char* kNetworkFailure = "获取歌曲列表失败，请检查网络连接！";
constexpr const char* kNoSongList = "没有发现歌曲列表！";
constexpr const char* kSignInMarker = "<h2>登录到tunewell</h2>";

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

}  // namespace

std::string SongCatalogue::FetchNormalised(const std::string& address) {
    std::string page = web::GetHttpPage(address, "gb2312");
    web::NormalizePage(page);
    return page;
}

void SongCatalogue::FetchSongList(const std::string& address) {
    ui_.events.ProcessPending();
    std::string page = FetchNormalised(address);
    ui_.status.SetText(kFetchingText);
    ui_.events.ProcessPending();
    if (page.empty() || page == "$false$") {
        ui_.message.Show(kNetworkFailure);
        return;
    }
    ui_.status.SetText(kFetchedText);

    if (page.find(kSignInMarker) != std::string::npos) {
        ui_.status.SetText(kSigningInText);
        signIn_.SignIn();
        if (!state_.SignedIn) return;
        page = FetchNormalised(address);
    }

    const PageKind* kind = DetectPageKind(page);
    if (kind == nullptr) {
        ui_.message.Show(kNoSongList);
        return;
    }
    std::string body = BuildFirstBody(page, *kind);
    const double pages = kind->paging != Paging::None ? GetPageCount(page, config_.GetPage) : 1;
    std::string().swap(page);  // only the body is needed from here on
    // Pages beyond the row bound would only add entries that get no row,
    // and hold up to the page cap each in memory.
    std::size_t entries = CountOf(body, kind->delimiter);
    for (long k = 2; k <= pages && entries <= maxRows_; ++k) {
        const std::string next = FollowingAddress(address, kind->paging, k);
        ui_.events.ProcessPending();
        const std::string followingPage = FetchNormalised(next);
        ui_.status.SetText(kPagingText);
        ui_.events.ProcessPending();
        const std::string more = BuildFollowingBody(followingPage, *kind);
        entries += CountOf(more, kind->delimiter);
        body += more;
    }
    FillList(body, kind->delimiter);
}

void SongCatalogue::FillList(const std::string& body, const std::string& delimiter) {
    bool cut = false;
    const std::vector<ParsedSong> songs = ParseSongs(body, delimiter, maxRows_, &cut);
    ui_.songs.Prepare();
    int position = 0;
    for (const ParsedSong& song : songs) {
        ui_.songs.AddRow(++position, song.id.value, song.id.ToText(), song.name);
    }
    if (cut) ui_.status.SetText("歌曲太多，只列出前" + std::to_string(maxRows_) + "首");
}

}  // namespace tunewell::catalogue
