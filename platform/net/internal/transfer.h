// One HTTP request and its response over libcurl, driven by the caller: start() until the
// final response's headers are in, then read() pulls the body. Memory stays bounded: while the
// caller does not read, the socket is not read either.
#pragma once

#include "platform/net/net.h"

#include <chrono>
#include <string>
#include <vector>

using CURL = void;
using CURLM = void;
struct curl_slist;

namespace velmar::net {

struct Timeouts {
    std::chrono::milliseconds connect{30000};
    std::chrono::milliseconds stall{30000}; // no byte received for this long
};

// The defaults, or VELMAR_NET_CONNECT_TIMEOUT_MS / VELMAR_NET_STALL_TIMEOUT_MS when they hold
// a whole number of milliseconds above 0.
Timeouts timeoutsFromEnvironment();

// The address of object on the endpoint: bytes that an address may not hold are %-escaped.
std::string urlOf(const Endpoint& endpoint, const std::string& object);

class Transfer {
public:
    // headers: "Name: value" lines without line ends.
    Transfer(const Endpoint& endpoint, const std::string& verb, const std::string& object,
             const std::vector<std::string>& headers, bool followRedirects, Timeouts timeouts);
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer();

    // Sends the request and waits for the final response's headers: ERROR_SUCCESS or the
    // internet error.
    DWORD start();
    // The final response's status (0 before start).
    DWORD status() const;
    // Fills buffer until count bytes or the body's end; the bytes in got. ERROR_SUCCESS or the
    // internet error.
    DWORD read(char* buffer, std::size_t count, std::size_t& got);

private:
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    // Runs the transfer until done() holds or it has ended; its error if it failed.
    template <typename Done>
    DWORD driveUntil(Done done);
    bool connected() const;

    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
    curl_slist* m_headerList = nullptr;
    std::string m_url;
    bool m_follow;
    Timeouts m_timeouts;
    DWORD m_setupError = ERROR_SUCCESS;

    bool m_ended = false;
    DWORD m_endError = ERROR_SUCCESS;
    bool m_headersDone = false;
    bool m_blockHasLocation = false;
    bool m_paused = false;
    std::chrono::steady_clock::time_point m_lastByte;

    // Where the body goes: the caller's buffer while read() runs, the overflow of one delivery
    // when it did not fit.
    char* m_target = nullptr;
    std::size_t m_targetRoom = 0;
    std::size_t m_delivered = 0;
    std::string m_overflow;
    std::size_t m_overflowAt = 0;
};

} // namespace velmar::net
