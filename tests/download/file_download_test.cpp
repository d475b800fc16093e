// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <httplib.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "download/failure_text.h"
#include "transfer/file_download.h"
#include "transfer/partial_files.h"
#include "transfer/resume_record.h"
#include "transfer/updater_file_download.h"
#include "net/cookie_store.h"
#include "support/transfer_pump.h"

namespace tunewell::download {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr std::size_t kPiece = 64 * 1024;

std::string MakeBody(std::size_t size) {
    std::string body(size, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : body) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = static_cast<char>(x);
    }
    return body;
}

const std::string& Body() {
    static const std::string body = MakeBody(3 * 1024 * 1024 + 17);
    return body;
}

// One local server for the whole suite; every route the tests need.
class Server {
public:
    Server() {
        std::signal(SIGPIPE, SIG_IGN);
        // One request per connection: a body without a length ends when
        // the server closes the connection.
        http_.set_keep_alive_max_count(1);
        const std::string& body = Body();
        http_.Get("/len", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content(body, "audio/mpeg");
        });
        http_.Get("/chunked", [&](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider(
                "audio/mpeg", [&](std::size_t off, httplib::DataSink& sink) {
                    if (off >= body.size()) return sink.done(), true;
                    std::this_thread::sleep_for(milliseconds(2));  // many reports
                    return sink.write(body.data() + off, std::min(kPiece, body.size() - off));
                });
        });
        http_.Get("/close", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider("audio/mpeg", [&](std::size_t off, httplib::DataSink& sink) {
                if (off >= body.size()) return sink.done(), true;
                return sink.write(body.data() + off, std::min(kPiece, body.size() - off));
            });
        });
        http_.Get("/redirect", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/len");
        });
        http_.Get(R"(/status/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
            res.status = std::stoi(req.matches[1]);
            res.set_content("error page", "text/html");
        });
        // Promises 1 MiB, sends 100 KiB, then drops the connection.
        http_.Get("/cut", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(1 << 20, "audio/mpeg",
                                     [&](std::size_t off, std::size_t, httplib::DataSink& sink) {
                                         if (off >= 100 * 1024) return false;
                                         return sink.write(body.data() + off, 100 * 1024);
                                     });
        });
        // Sends 10 KiB, then nothing until the client gives up.
        http_.Get("/stall", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(
                1 << 20, "audio/mpeg", [&](std::size_t off, std::size_t, httplib::DataSink& sink) {
                    if (off == 0) return sink.write(body.data(), 10 * 1024);
                    for (int i = 0; i < 500 && !stopping_ && sink.is_writable(); ++i)
                        std::this_thread::sleep_for(milliseconds(20));
                    return false;
                });
        });
        // One byte every 100 ms: too little to count as progress.
        http_.Get("/drip", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(
                1 << 20, "audio/mpeg", [&](std::size_t off, std::size_t, httplib::DataSink& sink) {
                    std::this_thread::sleep_for(milliseconds(100));
                    return !stopping_ && off < 100 && sink.write(body.data() + off, 1);
                });
        });
        // Answers only once the client has processed its events 20 times
        // while waiting for the reply (about 1 s at 50 ms).
        http_.Get("/held", [&](const httplib::Request&, httplib::Response& res) {
            for (int i = 0; i < 1000 && pumped < 20 && !stopping_; ++i)
                std::this_thread::sleep_for(milliseconds(5));
            if (pumped < 20) res.status = 503;
            res.set_content("held", "audio/mpeg");
        });
        // The body with an entity tag, continuing from a "bytes=N-" range as
        // `ranges` says (see RangeMode); the last Range asked for is kept.
        http_.Get("/ranged", [&](const httplib::Request& req, httplib::Response& res) {
            const RangeMode mode = ranges;
            const std::string etag = mode == RangeMode::kChanged || mode == RangeMode::kLying ? "\"v2\"" : "\"v1\"";
            const std::string range = req.get_header_value("Range");
            {
                std::lock_guard<std::mutex> lock(mutex_);
                lastRange_ = range;
            }
            res.set_header("ETag", etag);
            if (!range.empty() && mode == RangeMode::kUnsatisfiable) {
                res.status = 416;
                return;
            }
            if (!range.empty() && mode == RangeMode::kWrongOffset) {
                // The same version, but from byte 0 instead of where asked.
                res.status = 206;
                res.set_header("Content-Range", "bytes 0-" + std::to_string(body.size() - 1) + "/" +
                                                    std::to_string(body.size()));
                res.set_chunked_content_provider("audio/mpeg", [&](std::size_t off, httplib::DataSink& sink) {
                    if (off >= body.size()) return sink.done(), true;
                    return sink.write(body.data() + off, std::min(kPiece, body.size() - off));
                });
                return;
            }
            // The library cuts the range itself when the status is left to it.
            const bool sameVersion = !req.has_header("If-Range") || req.get_header_value("If-Range") == etag;
            if (!range.empty() && (mode == RangeMode::kIgnore || (!sameVersion && mode != RangeMode::kLying))) {
                // The whole body, chunked: a body without a length is never cut.
                res.set_chunked_content_provider("audio/mpeg", [&](std::size_t off, httplib::DataSink& sink) {
                    if (off >= body.size()) return sink.done(), true;
                    return sink.write(body.data() + off, std::min(kPiece, body.size() - off));
                });
                return;
            }
            res.set_content_provider(body.size(), "audio/mpeg",
                                     [&](std::size_t off, std::size_t, httplib::DataSink& sink) {
                                         std::this_thread::sleep_for(milliseconds(1));  // many reports
                                         return sink.write(body.data() + off, std::min(kPiece, body.size() - off));
                                     });
        });
        http_.Get("/cookie", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("Cookie"), "text/plain");
        });
        port_ = http_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        while (!http_.is_running()) std::this_thread::sleep_for(milliseconds(1));
    }
    ~Server() {
        stopping_ = true;
        http_.stop();
        thread_.join();
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    std::atomic<int> pumped{0};  // counted by the tests' event pumps
    // How /ranged answers a range: continues the same version, ignores
    // ranges, has a new version (and honours If-Range), continues a new
    // version whatever If-Range says, answers 416, or sends a 206 of the
    // same version from another byte than asked.
    enum class RangeMode { kHonour, kIgnore, kChanged, kLying, kUnsatisfiable, kWrongOffset };
    std::atomic<RangeMode> ranges{RangeMode::kHonour};
    std::string LastRange() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastRange_;
    }

private:
    std::mutex mutex_;
    std::string lastRange_;
    httplib::Server http_;
    std::atomic<bool> stopping_{false};
    int port_ = 0;
    std::thread thread_;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct Report {
    std::int64_t progress, max;
    std::int32_t speed, status;
};

class FileDownloadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        unsetenv("http_proxy");
        unsetenv("all_proxy");
        unsetenv("ALL_PROXY");
        server_ = new Server();
    }
    static void TearDownTestSuite() { delete server_; }

    void SetUp() override {
        char pattern[] = "/tmp/tw-transfer-XXXXXX";
        folder_ = mkdtemp(pattern);
        download_.OnProgress = [this](std::int64_t p, std::int64_t m, std::int32_t s,
                                      std::int32_t c, const std::string&) {
            reports_.push_back({p, m, s, c});
        };
    }
    void TearDown() override {
        testing::PumpTransfers(nullptr);
        fs::remove_all(folder_);
    }

    static std::string Url(const std::string& path) { return server_->Url(path); }
    std::string Target(const std::string& name = "song.mp3") const { return folder_ / name; }
    // Names in the folder: the target (if present) and any leftovers.
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename());
        return names;
    }

    static Server* server_;
    fs::path folder_;
    transfer::CFileDownload download_;
    std::vector<Report> reports_;
};
Server* FileDownloadTest::server_ = nullptr;

TEST_F(FileDownloadTest, BodyArrivesIntactWithMonotoneProgress) {
    struct Case {
        const char* path;
        std::int64_t max;
    };
    const std::int64_t size = static_cast<std::int64_t>(Body().size());
    for (const Case& c :
         {Case{"/len", size}, Case{"/chunked", 0}, Case{"/close", 0}, Case{"/redirect", size}}) {
        SCOPED_TRACE(c.path);
        reports_.clear();
        ASSERT_TRUE(download_.StartDownloading(Url(c.path), Target()));
        EXPECT_TRUE(ReadFile(Target()) == Body());
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.mp3"});
        ASSERT_GE(reports_.size(), 2u);
        for (std::size_t i = 1; i < reports_.size(); ++i)
            EXPECT_GE(reports_[i].progress, reports_[i - 1].progress);
        EXPECT_EQ(reports_.back().progress, size);
        EXPECT_EQ(reports_.back().max, c.max);
        EXPECT_EQ(download_.AnnouncedLength(), c.max);
        EXPECT_EQ(reports_.back().status, transfer::kStatusEndDownloadData);
        EXPECT_FALSE(download_.IsBusy());
    }
}

TEST_F(FileDownloadTest, SpeedFromIntervalFormatsThenRoundsHalfToEven) {
    struct Case {
        std::int64_t bytes, ms;
        std::int32_t speed;
    };
    const Case cases[] = {
        {1024, 1000, 1},
        {2560, 1000, 2},
        {3584, 1000, 4},  // 2.5 -> 2, 3.5 -> 4
        {1533, 1000, 2},  // 1.497 is written "1.50", which rounds to 2 (not 1)
        {2557, 1000, 2},
        {1, 3, 0},
        {-2560, 1000, -2},
        {1024000, 1, 1000000},
        {5000, 0, 0},                   // no time elapsed
        {std::int64_t{1} << 50, 1, 0},  // beyond 32 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(transfer::CFileDownload::SpeedFromInterval(c.bytes, c.ms), c.speed)
            << c.bytes << "/" << c.ms;
}

TEST_F(FileDownloadTest, SpeedIsMeasuredFromThePreviousReportAcrossTransfers) {
    std::int32_t clock = 3000;
    bool reported = false;
    download_.SetTickSource([&] { return clock; });
    auto handler = download_.OnProgress;
    download_.OnProgress = [&](std::int64_t p, std::int64_t m, std::int32_t s, std::int32_t c,
                               const std::string& t) {
        handler(p, m, s, c, t);
        clock += 250;  // time spent in the handler does not count towards the next interval
        reported = true;
    };
    // Exactly one second passes between the end of one report and the next.
    testing::PumpTransfers([&] {
        if (std::exchange(reported, false)) clock += 1000;
    });
    ASSERT_TRUE(download_.StartDownloading(Url("/chunked"), Target()));
    ASSERT_TRUE(download_.StartDownloading(Url("/len"), Target("second.mp3")));
    ASSERT_GE(reports_.size(), 4u);
    EXPECT_EQ(reports_[0].speed, 0);  // first report ever: 0 bytes in 3000 ms
    for (std::size_t i = 1; i < reports_.size(); ++i)
        EXPECT_EQ(reports_[i].speed, transfer::CFileDownload::SpeedFromInterval(
                                         reports_[i].progress - reports_[i - 1].progress, 1000))
            << "report " << i;
    // The second transfer starts at 0 bytes, measured against the first one's last report.
    const auto second = std::find_if(reports_.begin() + 1, reports_.end(),
                                     [](const Report& r) { return r.progress == 0; });
    ASSERT_NE(second, reports_.end());
    EXPECT_LT(second->speed, -2000);
}

TEST_F(FileDownloadTest, AbortFromHandlerOrPumpEndsTheTransferAndLeavesNothing) {
    for (bool fromPump : {true, false}) {
        SCOPED_TRACE(fromPump ? "pump" : "handler");
        bool sawBytes = false;
        download_.OnProgress = [&](std::int64_t p, std::int64_t, std::int32_t, std::int32_t,
                                   const std::string&) {
            sawBytes = p > 0;
            if (sawBytes && !fromPump) download_.AbortDownloading();
        };
        testing::PumpTransfers([&] {
            if (sawBytes && fromPump) download_.AbortDownloading();
        });
        EXPECT_FALSE(download_.StartDownloading(Url("/chunked"), Target()));
        EXPECT_TRUE(FolderEntries().empty());
        EXPECT_FALSE(download_.IsBusy());
        // The object is ready for the next transfer.
        testing::PumpTransfers(nullptr);
        download_.OnProgress = nullptr;
        EXPECT_TRUE(download_.StartDownloading(Url("/len"), Target()));
        fs::remove(Target());
    }
}

TEST_F(FileDownloadTest, StartWhileBusyIsRefusedAndTheRunningTransferGoesOn) {
    int refused = 0;
    testing::PumpTransfers([&] {
        EXPECT_TRUE(download_.IsBusy());
        refused += !download_.StartDownloading(Url("/len"), Target("other.mp3"));
    });
    EXPECT_TRUE(download_.StartDownloading(Url("/chunked"), Target()));
    EXPECT_GT(refused, 0);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.mp3"});
}

TEST_F(FileDownloadTest, ANewTransferMayStartWhileTheAbortedOneUnwinds) {
    bool sawBytes = false, nested = false;
    download_.OnProgress = [&](std::int64_t p, std::int64_t, std::int32_t, std::int32_t,
                               const std::string&) { sawBytes = p > 0; };
    testing::PumpTransfers([&] {
        if (!sawBytes || std::exchange(nested, true)) return;
        download_.AbortDownloading();  // a pause click, then at once a start click
        EXPECT_TRUE(download_.StartDownloading(Url("/len"), Target("next.mp3")));
    });
    EXPECT_FALSE(download_.StartDownloading(Url("/chunked"), Target()));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"next.mp3"});
    EXPECT_FALSE(download_.IsBusy());
}

TEST_F(FileDownloadTest, DestroyingTheObjectInsideItsEventsAbortsSafely) {
    auto owned = std::make_unique<transfer::CFileDownload>();
    transfer::CFileDownload* raw = owned.get();
    testing::PumpTransfers([&] { owned.reset(); });  // the window closes during the transfer
    EXPECT_FALSE(raw->StartDownloading(Url("/chunked"), Target()));
    EXPECT_TRUE(FolderEntries().empty());
}

// Every failure says why, so the user can be told; a success clears it.
TEST_F(FileDownloadTest, FailuresSayWhy) {
    using Cause = transfer::TransferFailure::Cause;
    download_.SetTimeLimits({milliseconds(2000), std::chrono::seconds(1)});
    const struct {
        std::string source;
        std::string target;
        Cause cause;
        long status;
        const char* text;
    } cases[] = {
        {Url("/status/404"), Target(), Cause::kHttpStatus, 404, "服务器返回HTTP 404"},
        {Url("/status/503"), Target(), Cause::kHttpStatus, 503, "服务器返回HTTP 503"},
        {Url("/len"), (folder_ / "missing" / "a.mp3").string(), Cause::kFolder, 0, "保存文件夹不可写"},
        {Url("/len"), "/dev/full", Cause::kDiskFull, 0, "磁盘空间不足"},
        {Url("/stall"), Target(), Cause::kStall, 0, "网络传输停滞"},
        {"http://127.0.0.1:1/refused.mp3", Target(), Cause::kNetwork, 0, "网络连接失败"},
        {"file:///etc/hostname", Target(), Cause::kRefusedAddress, 0, "歌曲地址无效"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " -> " + c.target);
        EXPECT_FALSE(download_.StartDownloading(c.source, c.target));
        EXPECT_EQ(download_.LastFailure().cause, c.cause);
        EXPECT_EQ(download_.LastFailure().status, c.status);
        EXPECT_EQ(FailureText(download_.LastFailure()), c.text);
    }
    testing::PumpTransfers([this] { download_.AbortDownloading(); });
    EXPECT_FALSE(download_.StartDownloading(Url("/chunked"), Target()));
    EXPECT_EQ(download_.LastFailure().cause, Cause::kAborted);
    testing::PumpTransfers(nullptr);
    EXPECT_TRUE(download_.StartDownloading(Url("/len"), Target()));
    EXPECT_EQ(download_.LastFailure().cause, Cause::kNone);
}

TEST_F(FileDownloadTest, FailuresLeaveTheTargetAsItWas) {
    download_.SetTimeLimits({milliseconds(2000), std::chrono::seconds(1)});
    const char* sources[] = {"/status/404",
                             "/status/403",
                             "/status/500",
                             "/cut",
                             "/stall",
                             "/drip",
                             "~/len",  // no scheme: libcurl would guess "http://"
                             "-file:///etc/hostname",
                             "-http://127.0.0.1:1/refused.mp3"};
    for (const char* source : sources) {
        for (bool existing : {false, true}) {
            SCOPED_TRACE(std::string(source) + (existing ? " over an existing file" : ""));
            if (existing) WriteFile(Target(), "old song");
            const auto start = std::chrono::steady_clock::now();
            std::string url = source[0] == '-' ? std::string(source + 1) : Url(source);
            if (source[0] == '~') url = Url(source + 1).substr(std::string("http://").size());
            EXPECT_FALSE(download_.StartDownloading(url, Target()));
            // The stalling server holds on for 10 s; the 1 s limit ends it well before.
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
            if (existing) {
                EXPECT_EQ(ReadFile(Target()), "old song");
                EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.mp3"});
            } else {
                EXPECT_TRUE(FolderEntries().empty());
            }
            fs::remove(Target());
        }
    }
    EXPECT_FALSE(
        download_.StartDownloading(Url("/len"), (folder_ / "missing" / "song.mp3").string()));
    fs::create_directory(Target("folder.mp3"));
    EXPECT_FALSE(download_.StartDownloading(Url("/len"), Target("folder.mp3")));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"folder.mp3"});
}

TEST_F(FileDownloadTest, EventsAreProcessedWhileNoBytesArrive) {
    server_->pumped = 0;
    testing::PumpTransfers([&] { ++server_->pumped; });
    EXPECT_TRUE(download_.StartDownloading(Url("/held"), Target()));
    EXPECT_EQ(ReadFile(Target()), "held");
}

TEST_F(FileDownloadTest, ALinkAtTheTargetNameIsReplacedNeverWrittenThrough) {
    char pattern[] = "/tmp/tw-outside-XXXXXX";
    const fs::path outside = mkdtemp(pattern);
    const fs::path pipe = outside / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    WriteFile(outside / "file", "kept");
    for (const fs::path& pointee : {pipe, outside / "file", fs::path("/dev/null")}) {
        SCOPED_TRACE(pointee);
        fs::create_symlink(pointee, Target());
        EXPECT_TRUE(download_.StartDownloading(Url("/len"), Target()));
        EXPECT_FALSE(fs::is_symlink(Target()));
        EXPECT_TRUE(ReadFile(Target()) == Body());
        fs::remove(Target());
    }
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(ReadFile(outside / "file"), "kept");
    fs::remove_all(outside);
}

TEST_F(FileDownloadTest, DevicesAndPipesAreWrittenDirectlyNeverReplaced) {
    const std::string pipe = Target("pipe.mp3");  // stands in for /dev/null
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(download_.StartDownloading(Url("/len"), pipe));  // nobody reads it
    std::string received;
    std::thread reader([&] { received = ReadFile(pipe); });
    bool written = false;
    for (int attempt = 0; attempt < 400 && !written; ++attempt) {
        written =
            download_.StartDownloading(Url("/len"), pipe);  // fails until the reader opened it
        if (!written) std::this_thread::sleep_for(milliseconds(5));
    }
    if (!written) std::ofstream{pipe};  // let the reader finish
    reader.join();
    EXPECT_TRUE(written);
    EXPECT_TRUE(received == Body());
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"pipe.mp3"});
}

TEST_F(FileDownloadTest, LongNamesWorkAndReplacedFilesKeepTheirPermissions) {
    const std::string longName = std::string(251, 'a') + ".mp3";  // 255 bytes
    EXPECT_TRUE(download_.StartDownloading(Url("/len"), Target(longName)));
    EXPECT_TRUE(ReadFile(Target(longName)) == Body());

    WriteFile(Target("tunewell.exe"), "old program");
    fs::permissions(Target("tunewell.exe"), fs::perms(0755));
    EXPECT_TRUE(download_.StartDownloading(Url("/len"), Target("tunewell.exe")));
    EXPECT_TRUE(ReadFile(Target("tunewell.exe")) == Body());
    EXPECT_EQ(fs::status(Target("tunewell.exe")).permissions() & fs::perms::all, fs::perms(0755));
}

TEST_F(FileDownloadTest, HandlerErrorsFailOnlyTheUpdaterForm) {
    for (bool inPump : {false, true}) {
        SCOPED_TRACE(inPump ? "pump throws" : "handler throws");
        auto thrower = [](std::int64_t p) {
            if (p > 0) throw std::runtime_error("handler failed");
        };
        std::int64_t last = 0;
        transfer::CUpdaterFileDownload updater;
        updater.OnProgress = [&](std::int64_t p, std::int64_t, std::int32_t, const std::string&) {
            last = p;
            if (!inPump) thrower(p);
        };
        testing::PumpTransfers([&] {
            if (inPump) thrower(last);
        });
        EXPECT_FALSE(updater.StartDownloading(Url("/len"), Target("updater.exe")));
        EXPECT_TRUE(FolderEntries().empty());

        download_.OnProgress = [&](std::int64_t p, std::int64_t, std::int32_t, std::int32_t,
                                   const std::string&) {
            last = p;
            if (!inPump) thrower(p);
        };
        testing::PumpTransfers([&] {
            if (inPump) thrower(last);
        });
        EXPECT_TRUE(download_.StartDownloading(Url("/len"), Target()));
        fs::remove(Target());
    }
    testing::PumpTransfers(nullptr);
    transfer::CUpdaterFileDownload updater;  // and without errors it works
    EXPECT_TRUE(updater.StartDownloading(Url("/chunked"), Target()));
    EXPECT_TRUE(ReadFile(Target()) == Body());
}

TEST_F(FileDownloadTest, StoredCookiesAreSentWithTheTransfer) {
    ASSERT_TRUE(net::CookieStore::Instance().Store(Url("/cookie"), "ROXCDNKEY", "abc123"));
    EXPECT_TRUE(download_.StartDownloading(Url("/cookie"), Target()));
    net::CookieStore::Instance().Clear();
    EXPECT_NE(ReadFile(Target()).find("ROXCDNKEY=abc123"), std::string::npos) << ReadFile(Target());
}

// Aborts `download` once it has written at least `bytes`.
void AbortAfter(transfer::FileTransfer& download, const std::int64_t& progress, std::int64_t bytes) {
    testing::PumpTransfers([&download, &progress, bytes] {
        if (progress >= bytes) download.AbortDownloading();
    });
}

TEST_F(FileDownloadTest, AnInterruptedSongResumesFromItsPartialFile) {
    server_->ranges = Server::RangeMode::kHonour;
    // A name at the length limit, of three-byte characters: the partial's
    // name is cut at a character boundary and stays within the limit.
    std::string name;
    for (int i = 0; i < 83; ++i) name += "\xE6\xAD\x8C";  // 歌
    name += ".mp3";
    std::int64_t progress = 0;
    download_.OnProgress = [&](std::int64_t p, std::int64_t m, std::int32_t, std::int32_t c, const std::string&) {
        progress = p;
        reports_.push_back({p, m, 0, c});
    };
    AbortAfter(download_, progress, 1 << 20);
    EXPECT_FALSE(download_.StartDownloading(Url("/ranged"), Target(name)));
    const std::vector<std::string> kept = FolderEntries();
    ASSERT_EQ(kept.size(), 2u);  // the partial and its record, nothing under the name
    for (const std::string& entry : kept) {
        EXPECT_LE(entry.size(), 255u);
        EXPECT_EQ(entry[0], '.');
    }
    const std::int64_t partial = static_cast<std::int64_t>(fs::file_size(transfer::PartialPathFor(Target(name))));
    ASSERT_GE(partial, 1 << 20);

    reports_.clear();
    testing::PumpTransfers(nullptr);
    ASSERT_TRUE(download_.StartDownloading(Url("/ranged"), Target(name)));
    EXPECT_EQ(server_->LastRange(), "bytes=" + std::to_string(partial) + "-");
    EXPECT_TRUE(ReadFile(Target(name)) == Body());
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{name});
    // Progress counts what was already there, from the first report on (so
    // the first speed is not the kept bytes over one interval).
    for (const Report& r : reports_) EXPECT_GE(r.progress, partial);
    const auto firstBytes = std::find_if(reports_.begin(), reports_.end(), [](const Report& r) {
        return r.status == transfer::kStatusDownloadingData;
    });
    ASSERT_NE(firstBytes, reports_.end());
    EXPECT_GE(firstBytes->progress, partial);
    EXPECT_EQ(reports_.back().max, static_cast<std::int64_t>(Body().size()));

    // The updater's form keeps nothing after an abort.
    transfer::CUpdaterFileDownload updater;
    std::int64_t updaterProgress = 0;
    updater.OnProgress = [&](std::int64_t p, std::int64_t, std::int32_t, const std::string&) { updaterProgress = p; };
    AbortAfter(updater, updaterProgress, 1 << 20);
    EXPECT_FALSE(updater.StartDownloading(Url("/ranged"), Target("new.exe")));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{name});
}

TEST_F(FileDownloadTest, APartialThatCannotBeContinuedStartsOver) {
    using Mode = Server::RangeMode;
    const struct {
        const char* label;
        Mode mode;
        bool garbageRecord;
    } cases[] = {{"ranges ignored", Mode::kIgnore, false},
                 {"new version", Mode::kChanged, false},
                 {"206 of a new version", Mode::kLying, false},
                 {"416: the range is gone", Mode::kUnsatisfiable, false},
                 {"206 from another byte than asked", Mode::kWrongOffset, false},
                 {"unreadable record", Mode::kHonour, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        server_->ranges = Mode::kHonour;
        std::int64_t progress = 0;
        download_.OnProgress = [&](std::int64_t p, std::int64_t, std::int32_t, std::int32_t, const std::string&) {
            progress = p;
        };
        AbortAfter(download_, progress, 1 << 20);
        WriteFile(Target(), "old song");
        ASSERT_FALSE(download_.StartDownloading(Url("/ranged"), Target()));
        EXPECT_EQ(ReadFile(Target()), "old song");
        const std::string partial = transfer::PartialPathFor(Target());
        if (c.garbageRecord) WriteFile(transfer::PartialRecordPath(partial), "x\n\0y");
        server_->ranges = c.mode;
        testing::PumpTransfers(nullptr);
        ASSERT_TRUE(download_.StartDownloading(Url("/ranged"), Target()));
        EXPECT_TRUE(ReadFile(Target()) == Body());
        if (c.garbageRecord) {
            // Without a record of the program's own the partial is not
            // known as its own: it is left as it is.
            EXPECT_EQ(FolderEntries().size(), 3u);
            fs::remove(partial);
            fs::remove(transfer::PartialRecordPath(partial));
        }
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.mp3"});
        fs::remove(Target());
    }
    server_->ranges = Mode::kHonour;
}

// Only what the program itself left goes: partials beside one of its
// records, records alone and its own temporaries. A file of the user's that
// merely looks like a partial stays, however old.
TEST_F(FileDownloadTest, StalePartialsGoOnlyWhenTheProgramMadeThemAndNoneHoldsThem) {
    const std::string record = transfer::FormatResumeRecord({"http://a/b.mp3", "x.mp3", "\"v\"", "", 5});
    const auto make = [&](const std::string& name, bool old, const std::string& text = "bytes") {
        WriteFile(folder_ / name, text);
        if (!old) return;
        timeval times[2] = {{std::time(nullptr) - 8 * 24 * 3600, 0}, {std::time(nullptr) - 8 * 24 * 3600, 0}};
        ::utimes((folder_ / name).c_str(), times);
    };
    make(".old.mp3.part", true);
    make(".old.mp3.part.info", true, record);
    make(".tw-a1b2c3.part", true);
    make(".orphan.mp3.part.info", true, record);
    make(".recent.mp3.part", false);
    make(".recent.mp3.part.info", false, record);
    make(".held.mp3.part", true);
    make(".held.mp3.part.info", true, record);
    make("song.mp3", true);
    make(".old.mp3.part.txt", true);
    // The user's own: no record of the program beside them, or not its names.
    make(".x.part", true);
    make(".notes.part", true);
    make(".notes.part.info", true, "my notes");
    make(".lonely.part.info", true, "mine too");
    make(".tw-abc.part", true);
    make(".tw-a1b2c3d4.part", true);
    const int held = ::open((folder_ / ".held.mp3.part").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);  // a transfer of another program instance
    EXPECT_EQ(transfer::RemoveStalePartials(folder_.string()), 3);
    ::close(held);
    auto entries = FolderEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{".held.mp3.part", ".held.mp3.part.info", ".lonely.part.info",
                                                 ".notes.part", ".notes.part.info", ".old.mp3.part.txt",
                                                 ".recent.mp3.part", ".recent.mp3.part.info", ".tw-a1b2c3d4.part",
                                                 ".tw-abc.part", ".x.part", "song.mp3"}));
}

// A file at a partial's name that the program did not make is neither
// continued nor removed: the song comes through a temporary instead.
TEST_F(FileDownloadTest, AForeignFileAtThePartialsNameIsLeftAlone) {
    server_->ranges = Server::RangeMode::kHonour;
    const std::string partial = transfer::PartialPathFor(Target());
    const std::string record = transfer::PartialRecordPath(partial);
    for (const bool withRecordName : {false, true}) {
        SCOPED_TRACE(withRecordName ? "foreign record" : "foreign partial");
        WriteFile(withRecordName ? record : partial, "the user's file");
        ASSERT_TRUE(download_.StartDownloading(Url("/ranged"), Target()));
        EXPECT_TRUE(ReadFile(Target()) == Body());
        EXPECT_EQ(ReadFile(withRecordName ? record : partial), "the user's file");
        EXPECT_EQ(FolderEntries().size(), 2u);
        fs::remove(withRecordName ? record : partial);
        fs::remove(Target());
        // A failed transfer leaves it too.
        WriteFile(withRecordName ? record : partial, "the user's file");
        EXPECT_FALSE(download_.StartDownloading(Url("/status/404"), Target()));
        EXPECT_EQ(ReadFile(withRecordName ? record : partial), "the user's file");
        EXPECT_EQ(FolderEntries().size(), 1u);
        fs::remove(withRecordName ? record : partial);
    }
}

}  // namespace
}  // namespace tunewell::download
