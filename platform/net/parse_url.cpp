#include "platform/net/net.h"
#include "platform/text/text.h"

#include <charconv>
#include <string>
#include <string_view>

namespace {

struct Service {
    const char* scheme;
    DWORD type;
    INTERNET_PORT port;
};

constexpr Service kServices[] = {
    {"http", AFX_INET_SERVICE_HTTP, INTERNET_DEFAULT_HTTP_PORT},
    {"https", AFX_INET_SERVICE_HTTPS, INTERNET_DEFAULT_HTTPS_PORT},
    {"ftp", AFX_INET_SERVICE_FTP, INTERNET_DEFAULT_FTP_PORT},
    {"file", AFX_INET_SERVICE_FILE, INTERNET_INVALID_PORT_NUMBER},
};

const Service* serviceOf(std::string_view scheme) {
    for (const Service& service : kServices) {
        if (velmar::text::compareAnsiNoCase(std::string(scheme), service.scheme) == 0) {
            return &service;
        }
    }
    return nullptr;
}

} // namespace

BOOL AfxParseURL(LPCSTR url, DWORD& serviceType, CString& server, CString& object,
                 INTERNET_PORT& port) {
    if (url == nullptr) {
        return FALSE;
    }
    std::string_view rest(url);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
        rest.remove_prefix(1);
    }
    const std::size_t separator = rest.find("://");
    if (separator == std::string_view::npos || separator == 0) {
        return FALSE;
    }
    const Service* service = serviceOf(rest.substr(0, separator));
    if (service == nullptr) {
        return FALSE;
    }
    rest.remove_prefix(separator + 3);
    const std::size_t authorityEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view tail =
        authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    // User information is not part of the server.
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            return FALSE;
        }
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                return FALSE;
            }
            portText = after.substr(1);
        }
    } else if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        portText = authority.substr(colon + 1);
    }
    if (host.empty() && service->type != AFX_INET_SERVICE_FILE) {
        return FALSE;
    }
    INTERNET_PORT parsedPort = service->port;
    if (!portText.empty()) {
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(portText.data(), portText.data() + portText.size(), value);
        if (error != std::errc() || end != portText.data() + portText.size() || value == 0 ||
            value > 65535) {
            return FALSE;
        }
        parsedPort = static_cast<INTERNET_PORT>(value);
    }
    // The fragment stays with whoever reads the page; it is never sent.
    if (const std::size_t hash = tail.find('#'); hash != std::string_view::npos) {
        tail = tail.substr(0, hash);
    }
    std::string path(tail);
    if (path.empty() || path.front() != '/') {
        path.insert(path.begin(), '/');
    }
    serviceType = service->type;
    server = CString(std::string(host).c_str());
    object = CString(path.c_str());
    port = parsedPort;
    return TRUE;
}
