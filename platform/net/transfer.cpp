#include "platform/net/internal/transfer.h"

#include "platform/text/text.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace velmar::net {

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kMaxRedirects = 20;
// Large deliveries mean few callbacks; one is the most that waits beside the caller's buffer.
constexpr long kReceiveBuffer = 512 * 1024;

bool initialiseCurl() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

std::chrono::milliseconds millisecondsFrom(const char* name, std::chrono::milliseconds fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr) {
        return fallback;
    }
    const std::string_view view(text);
    long long value = 0;
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || value <= 0) {
        return fallback;
    }
    return std::chrono::milliseconds(value);
}

// The internet client's error for a transfer's end.
DWORD errorOf(CURLcode code) {
    switch (code) {
    case CURLE_OK:
        return ERROR_SUCCESS;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case CURLE_URL_MALFORMAT:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    case CURLE_TOO_MANY_REDIRECTS:
        return ERROR_HTTP_REDIRECT_FAILED;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_BAD_CONTENT_ENCODING:
        return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
        return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_SEND_ERROR:
        return ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case CURLE_OUT_OF_MEMORY:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           text::compareAnsiNoCase(std::string(text.substr(0, prefix.size())),
                                   std::string(prefix)) == 0;
}

} // namespace

Timeouts timeoutsFromEnvironment() {
    Timeouts timeouts;
    timeouts.connect = millisecondsFrom("VELMAR_NET_CONNECT_TIMEOUT_MS", timeouts.connect);
    timeouts.stall = millisecondsFrom("VELMAR_NET_STALL_TIMEOUT_MS", timeouts.stall);
    return timeouts;
}

std::string urlOf(const Endpoint& endpoint, const std::string& object) {
    std::string url = endpoint.secure ? "https://" : "http://";
    const bool ipv6 = endpoint.server.find(':') != std::string::npos;
    url += ipv6 ? "[" + endpoint.server + "]" : endpoint.server;
    url += ":" + std::to_string(endpoint.port);
    if (object.empty() || object.front() != '/') {
        url += '/';
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : object) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0xF];
        } else {
            url += c;
        }
    }
    return url;
}

Transfer::Transfer(const Endpoint& endpoint, const std::string& verb, const std::string& object,
                   const std::vector<std::string>& headers, bool followRedirects, Timeouts timeouts)
    : m_url(urlOf(endpoint, object)), m_follow(followRedirects), m_timeouts(timeouts) {
    if (!initialiseCurl() || (m_easy = curl_easy_init()) == nullptr ||
        (m_multi = curl_multi_init()) == nullptr) {
        m_setupError = ERROR_NOT_ENOUGH_MEMORY;
        return;
    }
    for (const std::string& header : headers) {
        curl_slist* list = curl_slist_append(m_headerList, header.c_str());
        if (list == nullptr) {
            m_setupError = ERROR_NOT_ENOUGH_MEMORY;
            return;
        }
        m_headerList = list;
    }
    curl_easy_setopt(m_easy, CURLOPT_URL, m_url.c_str());
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, m_follow ? 1L : 0L);
    curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(m_easy, CURLOPT_USERAGENT, endpoint.agent.c_str());
    curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headerList);
    curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(m_timeouts.connect.count()));
    curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (verb == "HEAD") {
        curl_easy_setopt(m_easy, CURLOPT_NOBODY, 1L);
    }
    if (!endpoint.userName.empty()) {
        curl_easy_setopt(m_easy, CURLOPT_USERNAME, endpoint.userName.c_str());
        curl_easy_setopt(m_easy, CURLOPT_PASSWORD, endpoint.password.c_str());
    }
    if (endpoint.accessType == INTERNET_OPEN_TYPE_DIRECT) {
        curl_easy_setopt(m_easy, CURLOPT_PROXY, "");
    } else if (endpoint.accessType == INTERNET_OPEN_TYPE_PROXY) {
        curl_easy_setopt(m_easy, CURLOPT_PROXY, endpoint.proxy.c_str());
        std::string bypass = endpoint.proxyBypass;
        std::replace_if(
            bypass.begin(), bypass.end(), [](char c) { return c == ' ' || c == ';'; }, ',');
        curl_easy_setopt(m_easy, CURLOPT_NOPROXY, bypass.c_str());
    }
    curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
}

Transfer::~Transfer() {
    if (m_multi != nullptr && m_easy != nullptr) {
        curl_multi_remove_handle(m_multi, m_easy);
    }
    if (m_easy != nullptr) {
        curl_easy_cleanup(m_easy);
    }
    if (m_multi != nullptr) {
        curl_multi_cleanup(m_multi);
    }
    curl_slist_free_all(m_headerList);
}

std::size_t Transfer::onBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::size_t length = size * count;
    transfer.m_headersDone = true;
    transfer.m_lastByte = Clock::now();
    // With the caller's buffer full and one delivery already waiting, the socket waits too.
    if (transfer.m_delivered == transfer.m_targetRoom && !transfer.m_overflow.empty()) {
        transfer.m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    const std::size_t direct = std::min(length, transfer.m_targetRoom - transfer.m_delivered);
    if (direct > 0) {
        std::memcpy(transfer.m_target + transfer.m_delivered, data, direct);
        transfer.m_delivered += direct;
    }
    transfer.m_overflow.append(data + direct, length - direct);
    return length;
}

std::size_t Transfer::onHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::string_view line(data, size * count);
    transfer.m_lastByte = Clock::now();
    if (startsWithNoCase(line, "HTTP/")) {
        transfer.m_blockHasLocation = false;
    } else if (startsWithNoCase(line, "Location:")) {
        transfer.m_blockHasLocation = true;
    } else if (line == "\r\n" || line == "\n") {
        // The end of one response's headers: the final one unless an interim answer or a
        // redirect that is followed.
        long status = 0;
        curl_easy_getinfo(transfer.m_easy, CURLINFO_RESPONSE_CODE, &status);
        const bool interim = status < 200;
        const bool redirect =
            status >= 300 && status < 400 && transfer.m_blockHasLocation && transfer.m_follow;
        if (!interim && !redirect) {
            transfer.m_headersDone = true;
        }
    }
    return line.size();
}

bool Transfer::connected() const {
    curl_off_t connectTime = 0;
    return curl_easy_getinfo(m_easy, CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK &&
           connectTime > 0;
}

template <typename Done>
DWORD Transfer::driveUntil(Done done) {
    while (!done() && !m_ended) {
        int running = 0;
        if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
            m_ended = true;
            m_endError = ERROR_INTERNET_INTERNAL_ERROR;
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                m_ended = true;
                m_endError = errorOf(message->data.result);
            }
        }
        if (done() || m_ended) {
            break;
        }
        // The stall clock runs once the connection stands; until then the connect time-out
        // rules.
        const Clock::time_point now = Clock::now();
        if (!connected()) {
            m_lastByte = now;
        }
        const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_lastByte);
        if (quiet >= m_timeouts.stall) {
            m_ended = true;
            m_endError = ERROR_INTERNET_TIMEOUT;
            break;
        }
        const auto wait = std::min<std::chrono::milliseconds>(m_timeouts.stall - quiet,
                                                              std::chrono::milliseconds(1000));
        curl_multi_poll(m_multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
    }
    return m_ended ? m_endError : ERROR_SUCCESS;
}

DWORD Transfer::start() {
    if (m_setupError != ERROR_SUCCESS) {
        return m_setupError;
    }
    if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) {
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
    m_lastByte = Clock::now();
    const DWORD error = driveUntil([this] { return m_headersDone; });
    if (error != ERROR_SUCCESS) {
        return error;
    }
    // A response without a status line (a dropped connection ends the transfer cleanly only
    // when something was answered).
    return status() != 0 ? ERROR_SUCCESS : ERROR_HTTP_INVALID_SERVER_RESPONSE;
}

DWORD Transfer::status() const {
    long status = 0;
    curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
    return static_cast<DWORD>(status);
}

DWORD Transfer::read(char* buffer, std::size_t count, std::size_t& got) {
    got = std::min(count, m_overflow.size() - m_overflowAt);
    std::memcpy(buffer, m_overflow.data() + m_overflowAt, got);
    m_overflowAt += got;
    if (m_overflowAt == m_overflow.size()) {
        m_overflow.clear();
        m_overflowAt = 0;
    }
    m_target = buffer;
    m_targetRoom = count;
    m_delivered = got;
    // The caller's time between reads is not the server's stall.
    m_lastByte = Clock::now();
    if (m_paused && m_delivered < m_targetRoom) {
        m_paused = false;
        // Hands the held delivery to onBody at once.
        curl_easy_pause(m_easy, CURLPAUSE_CONT);
    }
    const DWORD error = driveUntil([&] { return m_delivered == m_targetRoom; });
    got = m_delivered;
    m_target = nullptr;
    m_targetRoom = 0;
    m_delivered = 0;
    return error;
}

} // namespace velmar::net
