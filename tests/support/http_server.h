// A small HTTP/1.1 server on the loopback address, on a thread of its own, for the download
// tests and benchmarks: each path answers as set, and every request is kept as it arrived.
// One connection at a time, each closed after its response.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace velmar::test {

// The byte at offset i of a generated body: pseudo-random bytes repeating every 65521 (a
// prime), so that a shifted, dropped or repeated block shows.
char patternByte(std::uint64_t i);
std::string patternBody(std::uint64_t size);

struct HttpResponse {
    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // When above 0, the body is this many pattern bytes instead (sent without holding them).
    std::uint64_t patternSize = 0;
    // The body is announced whole, but after this many bytes the server closes the connection
    // (dropsAfter) or goes silent until the client gives up (stallsAfter).
    std::uint64_t dropsAfter = UINT64_MAX;
    std::uint64_t stallsAfter = UINT64_MAX;
};

class HttpServer {
public:
    HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;
    ~HttpServer();

    int port() const { return m_port; }
    // "http://127.0.0.1:<port><path>".
    std::string url(const std::string& path) const;
    // How a path (with its query) answers; any other path gives 404.
    void route(const std::string& path, HttpResponse response);
    // The requests so far: request line and headers as received, up to the empty line.
    std::vector<std::string> requests() const;

private:
    void serve();
    void answer(int connection);
    bool waitForClientOrStop(int connection) const;

    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::map<std::string, HttpResponse> m_routes;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

} // namespace velmar::test
