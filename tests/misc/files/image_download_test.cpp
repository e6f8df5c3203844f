// Downloads from a real HTTP server on the loopback address into real files: what arrives is
// compared byte for byte, and every failure must leave an earlier file exactly as it was and
// nothing beside it.
#include "misc/files/files.h"
#include "platform/net/net.h"
#include "tests/support/host_fault.h"
#include "tests/support/http_server.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using velmar::test::HttpResponse;
using velmar::test::readFileBytes;

constexpr const char* kEarlier = "the user's earlier file\n";

class ImageDownload : public ::testing::Test {
protected:
    // The proxy variables of whoever runs the tests must not send loopback requests elsewhere.
    velmar::test::ScopedEnv m_noProxy1{"http_proxy", nullptr};
    velmar::test::ScopedEnv m_noProxy2{"https_proxy", nullptr};
    velmar::test::ScopedEnv m_noProxy3{"HTTPS_PROXY", nullptr};
    velmar::test::ScopedEnv m_noProxy4{"all_proxy", nullptr};
    velmar::test::ScopedEnv m_noProxy5{"ALL_PROXY", nullptr};
    velmar::test::ScopedEnv m_stall{"VELMAR_NET_STALL_TIMEOUT_MS", "1000"};
    velmar::test::HttpServer m_server;
    velmar::test::TempDir m_folder;

    std::string target() const { return m_folder.file("scan.tif"); }

    // Downloads over an earlier file; false results must leave it and nothing else.
    bool downloadOverEarlier(const std::string& url) {
        velmar::test::writeFileBytes(target(), kEarlier);
        return downloadFromImageServer(target().c_str(), url.c_str());
    }
    void expectEarlierUntouched() {
        EXPECT_EQ(readFileBytes(target()), kEarlier);
        EXPECT_EQ(velmar::test::entriesOf(m_folder.path()), std::vector<std::string>{"scan.tif"});
    }
};

TEST_F(ImageDownload, BodiesOfEverySizeArriveWhole) {
    for (const std::uint64_t size : {0ull, 1ull, 500000ull, 500001ull, 7'340'033ull}) {
        SCOPED_TRACE(size);
        HttpResponse response;
        response.body = velmar::test::patternBody(size);
        m_server.route("/tiles/a.tif", response);
        ASSERT_TRUE(downloadOverEarlier(m_server.url("/tiles/a.tif")));
        EXPECT_TRUE(readFileBytes(target()) == response.body);
        EXPECT_EQ(velmar::test::entriesOf(m_folder.path()), std::vector<std::string>{"scan.tif"});
    }
}

// One GET as the image server expects it: the agent, "Accept: */*", never from a cache.
TEST_F(ImageDownload, SendsTheRequestTheServerExpects) {
    // The space goes out escaped.
    m_server.route("/images/tile%207.tif?level=3", HttpResponse{});
    ASSERT_TRUE(downloadFromImageServer(target().c_str(),
                                        m_server.url("/images/tile 7.tif?level=3#top").c_str()));
    const std::vector<std::string> requests = m_server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& request = requests[0];
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /images/tile%207.tif?level=3 HTTP/1.1");
    const std::string host = "\r\nHost: 127.0.0.1:" + std::to_string(m_server.port());
    for (const std::string& header :
         {std::string("\r\nUser-Agent: ImageServerDownload\r\n"),
          std::string("\r\nAccept: */*\r\n"), std::string("\r\nCache-Control: no-cache\r\n"),
          std::string("\r\nPragma: no-cache"), host}) {
        EXPECT_NE(request.find(header), std::string::npos) << header << " in\n" << request;
    }
}

TEST_F(ImageDownload, FollowsRedirects) {
    HttpResponse moved;
    moved.status = 302;
    moved.reason = "Found";
    moved.headers = {{"Location", "/new/place.tif"}};
    m_server.route("/old.tif", moved);
    HttpResponse found;
    found.body = "moved content";
    m_server.route("/new/place.tif", found);
    ASSERT_TRUE(downloadOverEarlier(m_server.url("/old.tif")));
    EXPECT_EQ(readFileBytes(target()), "moved content");
    EXPECT_EQ(m_server.requests().size(), 2u);
}

// Statuses other than 200 fail and leave the earlier file; the 404 is recorded in the error
// log with the object's path.
TEST_F(ImageDownload, StatusesOtherThan200FailAndAreLogged) {
    const std::string missing = "/missing-" + std::to_string(::getpid()) + ".tif";
    EXPECT_FALSE(downloadOverEarlier(m_server.url(missing)));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    expectEarlierUntouched();

    HttpResponse broken;
    broken.status = 500;
    broken.reason = "Internal Server Error";
    broken.body = "it broke";
    m_server.route("/broken.tif", broken);
    EXPECT_FALSE(downloadOverEarlier(m_server.url("/broken.tif")));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_EXTENDED_ERROR);
    expectEarlierUntouched();

    const char* tmp = std::getenv("TMPDIR");
    ASSERT_NE(tmp, nullptr);
    const std::string log = readFileBytes(std::string(tmp) + "/velmarAutoCadErrorLog.txt");
    EXPECT_NE(
        log.find("QueryInfoStatusCode returned Requested URL not found for " + missing + "\r\n"),
        std::string::npos);
    EXPECT_NE(log.find("QueryInfoStatusCode returned 500 for file /broken.tif\r\n"),
              std::string::npos);
}

// A dropped connection, a stalled server, a port nobody listens on and an address that is no
// URL all fail, and the earlier file stays.
TEST_F(ImageDownload, NetworkFailuresLeaveTheEarlierFile) {
    HttpResponse dropped;
    dropped.patternSize = 2'000'000;
    dropped.dropsAfter = 700'000;
    m_server.route("/dropped.tif", dropped);
    HttpResponse stalled;
    stalled.patternSize = 2'000'000;
    stalled.stallsAfter = 600'000;
    m_server.route("/stalled.tif", stalled);
    HttpResponse silent;
    silent.body = "never sent";
    silent.stallsAfter = 0;
    m_server.route("/silent.tif", silent);
    // A port that was free a moment ago.
    const std::string unreachable = [] {
        const velmar::test::HttpServer gone;
        return gone.url("/x.tif");
    }();

    const struct {
        std::string url;
        DWORD error;
    } cases[] = {
        {m_server.url("/dropped.tif"), ERROR_INTERNET_CONNECTION_ABORTED},
        {m_server.url("/stalled.tif"), ERROR_INTERNET_TIMEOUT},
        {m_server.url("/silent.tif"), ERROR_INTERNET_TIMEOUT},
        {unreachable, ERROR_INTERNET_CANNOT_CONNECT},
        {"no url at all", ERROR_INTERNET_INVALID_URL},
        {"http://", ERROR_INTERNET_INVALID_URL},
        {"http://127.0.0.1:99999/x.tif", ERROR_INTERNET_INVALID_URL},
        {"ftp://127.0.0.1/x.tif", ERROR_INTERNET_UNRECOGNIZED_SCHEME},
        // Our plain server cannot speak TLS: https is really tried.
        {"https://127.0.0.1:" + std::to_string(m_server.port()) + "/silent.tif",
         ERROR_INTERNET_SECURITY_CHANNEL_ERROR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_FALSE(downloadOverEarlier(c.url));
        EXPECT_EQ(GetLastError(), c.error);
        expectEarlierUntouched();
    }
}

// Local failures: a folder that does not exist costs no request; a disk that fills up in the
// middle of the body leaves the earlier file.
TEST_F(ImageDownload, LocalFailuresLeaveTheEarlierFile) {
    HttpResponse response;
    response.patternSize = 3'000'000;
    m_server.route("/a.tif", response);
    EXPECT_FALSE(downloadFromImageServer(m_folder.file("no/such/folder/a.tif").c_str(),
                                         m_server.url("/a.tif").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(m_server.requests().empty());

    {
        const velmar::test::ScopedSyscallFault full(&velmar::host::SystemCalls::write, 2, ENOSPC,
                                                    velmar::test::FaultRepeat::fromThenOn);
        EXPECT_FALSE(downloadOverEarlier(m_server.url("/a.tif")));
        EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    }
    expectEarlierUntouched();
}

} // namespace
