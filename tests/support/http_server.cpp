#include "tests/support/http_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace velmar::test {

namespace {

bool sendAll(int connection, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(connection, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// The request's head, up to and without the empty line; empty when the client went away.
std::string readHead(int connection) {
    std::string head;
    char c = 0;
    while (head.size() < 65536) {
        const ssize_t got = ::recv(connection, &c, 1, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // What is not a request (a TLS handshake, for one) gets the connection closed.
        if (got <= 0 || (head.empty() && (c < 'A' || c > 'Z'))) {
            return {};
        }
        head += c;
        if (head.size() >= 4 && head.compare(head.size() - 4, 4, "\r\n\r\n") == 0) {
            head.resize(head.size() - 4);
            return head;
        }
    }
    return {};
}

// The path of the request line's target; an absolute target (through a proxy) loses its
// scheme and server.
std::string pathOf(const std::string& head) {
    const std::size_t first = head.find(' ');
    const std::size_t second = head.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
        return {};
    }
    std::string target = head.substr(first + 1, second - first - 1);
    if (const std::size_t scheme = target.find("://"); scheme != std::string::npos) {
        const std::size_t slash = target.find('/', scheme + 3);
        target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    return target;
}

constexpr std::uint64_t kPatternPeriod = 65521;

// The period twice over plus a block, so that any block of the body is one slice of it.
constexpr std::uint64_t kBlock = 1 << 20;
const std::string& patternSource() {
    static const std::string source = [] {
        std::string bytes(kBlock + kPatternPeriod, '\0');
        std::uint32_t state = 2463534242u;
        for (std::uint64_t i = 0; i < kPatternPeriod; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            bytes[i] = static_cast<char>(state >> 24);
        }
        for (std::uint64_t i = kPatternPeriod; i < bytes.size(); ++i) {
            bytes[i] = bytes[i - kPatternPeriod];
        }
        return bytes;
    }();
    return source;
}

} // namespace

char patternByte(std::uint64_t i) {
    return patternSource()[i % kPatternPeriod];
}

std::string patternBody(std::uint64_t size) {
    std::string body(size, '\0');
    for (std::uint64_t i = 0; i < size; ++i) {
        body[i] = patternByte(i);
    }
    return body;
}

HttpServer::HttpServer() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(m_wake, O_CLOEXEC) != 0) {
        throw std::runtime_error("the test's HTTP server cannot listen");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

HttpServer::~HttpServer() {
    const char stop = 'x';
    static_cast<void>(::write(m_wake[1], &stop, 1));
    m_thread.join();
    ::close(m_listener);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

std::string HttpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void HttpServer::route(const std::string& path, HttpResponse response) {
    const std::lock_guard lock(m_mutex);
    m_routes[path] = std::move(response);
}

std::vector<std::string> HttpServer::requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void HttpServer::serve() {
    for (;;) {
        pollfd watched[2] = {{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            continue;
        }
        if (watched[1].revents != 0) {
            return;
        }
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            answer(connection);
            ::close(connection);
        }
    }
}

// True when the client closed the connection, false when the server is stopping.
bool HttpServer::waitForClientOrStop(int connection) const {
    for (;;) {
        pollfd watched[2] = {{connection, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        ::poll(watched, 2, -1);
        if (watched[1].revents != 0) {
            return false;
        }
        char byte = 0;
        if (watched[0].revents != 0 && ::recv(connection, &byte, 1, 0) <= 0) {
            return true;
        }
    }
}

void HttpServer::answer(int connection) {
    const std::string head = readHead(connection);
    if (head.empty()) {
        return;
    }
    HttpResponse response;
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back(head);
        const auto found = m_routes.find(pathOf(head));
        if (found != m_routes.end()) {
            response = found->second;
        } else {
            response.status = 404;
            response.reason = "Not Found";
            response.body = "no such path\n";
        }
    }
    const bool headOnly = head.compare(0, 5, "HEAD ") == 0;
    const std::uint64_t size =
        response.patternSize > 0 ? response.patternSize : response.body.size();
    std::string text = "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason +
                       "\r\nContent-Length: " + std::to_string(size) + "\r\nConnection: close\r\n";
    for (const auto& [name, value] : response.headers) {
        text += name + ": " + value + "\r\n";
    }
    text += "\r\n";
    if (!sendAll(connection, text.data(), text.size()) || headOnly) {
        return;
    }
    const std::uint64_t sent = std::min({size, response.dropsAfter, response.stallsAfter});
    if (response.patternSize > 0) {
        const std::string& source = patternSource();
        for (std::uint64_t at = 0; at < sent;) {
            const std::uint64_t length = std::min(kBlock, sent - at);
            if (!sendAll(connection, source.data() + at % kPatternPeriod, length)) {
                return;
            }
            at += length;
        }
    } else if (!sendAll(connection, response.body.data(), sent)) {
        return;
    }
    if (sent == response.stallsAfter && sent < size) {
        waitForClientOrStop(connection);
    }
}

} // namespace velmar::test
