// The internet classes against a real server on the loopback address.
#include "platform/net/net.h"
#include "tests/support/http_server.h"
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using velmar::test::HttpResponse;

struct ExceptionRelease {
    void operator()(CInternetException* exception) const { exception->Delete(); }
};

class InternetSession : public ::testing::Test {
protected:
    velmar::test::ScopedEnv m_noProxy1{"http_proxy", nullptr};
    velmar::test::ScopedEnv m_noProxy2{"all_proxy", nullptr};
    velmar::test::ScopedEnv m_noProxy3{"ALL_PROXY", nullptr};
    velmar::test::HttpServer m_server;

    // GET of path with the headers added, the body read in pieces of chunk bytes; the request
    // as the server saw it.
    std::string get(CInternetSession& session, const std::string& path, const char* headers,
                    DWORD flags, std::string& body, UINT chunk = 3) {
        const std::unique_ptr<CHttpConnection> connection(
            session.GetHttpConnection("127.0.0.1", static_cast<INTERNET_PORT>(m_server.port())));
        const std::unique_ptr<CHttpFile> file(
            connection->OpenRequest("GET", path.c_str(), nullptr, 1, nullptr, nullptr, 0));
        if (headers != nullptr) {
            EXPECT_TRUE(file->AddRequestHeaders(headers, flags));
        }
        file->SendRequest();
        DWORD status = 0;
        EXPECT_TRUE(file->QueryInfoStatusCode(status));
        EXPECT_EQ(status, 200u);
        std::string piece(chunk, '\0');
        while (const UINT got = file->Read(piece.data(), chunk)) {
            body.append(piece, 0, got);
        }
        return m_server.requests().back();
    }
};

// Headers as the caller added them: one of its own is kept over the defaults, ADD_IF_NEW does
// not add a second, REPLACE replaces.
TEST_F(InternetSession, RequestHeadersAndSmallReads) {
    HttpResponse response;
    response.body = "0123456789";
    m_server.route("/a", response);
    CInternetSession session("Tester/1.0");
    std::string body;
    std::string request = get(session, "/a", "Accept: image/tiff\r\nX-Tile: 7\r\n",
                              HTTP_ADDREQ_FLAG_ADD_IF_NEW, body);
    EXPECT_EQ(body, "0123456789");
    EXPECT_NE(request.find("\r\nUser-Agent: Tester/1.0\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("\r\nAccept: image/tiff\r\n"), std::string::npos) << request;
    EXPECT_EQ(request.find("*/*"), std::string::npos) << request;
    EXPECT_NE(request.find("\r\nX-Tile: 7"), std::string::npos) << request;

    const std::unique_ptr<CHttpConnection> connection(
        session.GetHttpConnection("127.0.0.1", static_cast<INTERNET_PORT>(m_server.port())));
    const std::unique_ptr<CHttpFile> file(connection->OpenRequest("GET", "/a"));
    EXPECT_TRUE(file->AddRequestHeaders("X-Tile: 1"));
    EXPECT_TRUE(file->AddRequestHeaders("x-tile: 2", HTTP_ADDREQ_FLAG_ADD_IF_NEW));
    EXPECT_TRUE(file->AddRequestHeaders("X-Other: 3"));
    EXPECT_TRUE(file->AddRequestHeaders("X-Other: 4", HTTP_ADDREQ_FLAG_REPLACE));
    EXPECT_FALSE(file->AddRequestHeaders("not a header"));
    file->SendRequest();
    request = m_server.requests().back();
    EXPECT_NE(request.find("\r\nX-Tile: 1"), std::string::npos) << request;
    EXPECT_EQ(request.find("tile: 2"), std::string::npos) << request;
    EXPECT_NE(request.find("\r\nX-Other: 4"), std::string::npos) << request;
    EXPECT_FALSE(file->AddRequestHeaders("X-Late: 1")); // once sent, no more
}

// The preconfigured session goes through the proxy the environment names; a direct one does
// not.
TEST_F(InternetSession, HonoursTheProxyEnvironment) {
    HttpResponse response;
    response.body = "through the proxy";
    m_server.route("/tile.tif", response);
    const velmar::test::ScopedEnv proxy("http_proxy", m_server.url("").c_str());
    const velmar::test::ScopedEnv noProxy("no_proxy", nullptr);
    CInternetSession preconfigured("Tester");
    const std::unique_ptr<CHttpConnection> connection(
        preconfigured.GetHttpConnection("images.invalid", INTERNET_PORT{8123}));
    const std::unique_ptr<CHttpFile> file(connection->OpenRequest("GET", "/tile.tif"));
    file->SendRequest();
    std::string body(64, '\0');
    body.resize(file->Read(body.data(), 64));
    EXPECT_EQ(body, "through the proxy");
    const std::string request = m_server.requests().back();
    EXPECT_EQ(request.substr(0, request.find("\r\n")),
              "GET http://images.invalid:8123/tile.tif HTTP/1.1");

    CInternetSession direct("Tester", 1, INTERNET_OPEN_TYPE_DIRECT);
    std::string directBody;
    get(direct, "/tile.tif", nullptr, 0, directBody);
    EXPECT_EQ(directBody, "through the proxy");
    EXPECT_EQ(m_server.requests().back().substr(0, 19), "GET /tile.tif HTTP/");
}

// Failures are thrown by pointer with the internet client's error and its system text.
TEST_F(InternetSession, FailuresThrowInternetExceptions) {
    const velmar::test::ScopedEnv quick("VELMAR_NET_STALL_TIMEOUT_MS", "300");
    HttpResponse silent;
    silent.body = "x";
    silent.stallsAfter = 0;
    m_server.route("/silent", silent);
    CInternetSession session("Tester");
    const std::unique_ptr<CHttpConnection> connection(
        session.GetHttpConnection("127.0.0.1", static_cast<INTERNET_PORT>(m_server.port())));
    const std::unique_ptr<CHttpFile> file(connection->OpenRequest("GET", "/silent"));
    // The status line came; the body never does.
    file->SendRequest();
    DWORD error = 0;
    char text[256] = {};
    char body[16];
    try {
        file->Read(body, sizeof body);
    } catch (CInternetException* raised) {
        const std::unique_ptr<CInternetException, ExceptionRelease> exception(raised);
        error = exception->m_dwError;
        EXPECT_TRUE(exception->GetErrorMessage(text, sizeof text));
    }
    EXPECT_EQ(error, ERROR_INTERNET_TIMEOUT);
    EXPECT_STREQ(text, "The operation timed out\r\n");

    error = 0;
    try {
        CInternetSession bad("Tester", 1, INTERNET_OPEN_TYPE_PROXY);
    } catch (CInternetException* raised) {
        const std::unique_ptr<CInternetException, ExceptionRelease> exception(raised);
        error = exception->m_dwError;
    }
    EXPECT_EQ(error, ERROR_INVALID_PARAMETER);
}

} // namespace
