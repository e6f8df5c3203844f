#include "platform/framework/framework.h"
#include "platform/net/internal/transfer.h"
#include "platform/net/net.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

[[noreturn]] void throwInternet(DWORD_PTR context, DWORD error) {
    throw new CInternetException(context, error);
}

std::string textOr(LPCSTR text, std::string_view fallback = {}) {
    return text != nullptr ? std::string(text) : std::string(fallback);
}

// The header's name: the text before its colon; empty for a line that is not a header.
std::string_view headerName(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0 ||
        line.substr(0, colon).find_first_of(" \t") != std::string_view::npos) {
        return {};
    }
    return line.substr(0, colon);
}

bool sameName(std::string_view a, std::string_view b) {
    return velmar::text::compareAnsiNoCase(std::string(a), std::string(b)) == 0;
}

} // namespace

BOOL CInternetException::GetErrorMessage(LPSTR text, UINT maxLength, UINT* helpContext) const {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    if (text == nullptr || maxLength == 0) {
        return FALSE;
    }
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, m_dwError, 0, text, maxLength, nullptr);
    if (length == 0) {
        text[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

CInternetSession::CInternetSession(LPCSTR agent, DWORD_PTR context, DWORD accessType,
                                   LPCSTR proxyName, LPCSTR proxyBypass, DWORD)
    : m_context(context) {
    const bool known = accessType == INTERNET_OPEN_TYPE_PRECONFIG ||
                       accessType == INTERNET_OPEN_TYPE_DIRECT ||
                       accessType == INTERNET_OPEN_TYPE_PROXY;
    if (!known || (accessType == INTERNET_OPEN_TYPE_PROXY &&
                   (proxyName == nullptr || proxyName[0] == '\0'))) {
        throwInternet(context, ERROR_INVALID_PARAMETER);
    }
    // Without an agent of its own the session is named after the application.
    m_endpoint.agent = textOr(agent, textOr(AfxGetAppName()));
    m_endpoint.accessType = accessType;
    m_endpoint.proxy = textOr(proxyName);
    m_endpoint.proxyBypass = textOr(proxyBypass);
}

CInternetSession::~CInternetSession() = default;

void CInternetSession::Close() {}

CHttpConnection* CInternetSession::GetHttpConnection(LPCSTR server, INTERNET_PORT port,
                                                     LPCSTR userName, LPCSTR password) {
    return GetHttpConnection(server, DWORD{0}, port, userName, password);
}

CHttpConnection* CInternetSession::GetHttpConnection(LPCSTR server, DWORD flags, INTERNET_PORT port,
                                                     LPCSTR userName, LPCSTR password) {
    if (server == nullptr || server[0] == '\0') {
        throwInternet(m_context, ERROR_INTERNET_INVALID_URL);
    }
    velmar::net::Endpoint endpoint = m_endpoint;
    endpoint.server = server;
    endpoint.secure = (flags & INTERNET_FLAG_SECURE) != 0;
    endpoint.port =
        port != INTERNET_INVALID_PORT_NUMBER
            ? port
            : (endpoint.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT);
    endpoint.userName = textOr(userName);
    endpoint.password = textOr(password);
    return new CHttpConnection(std::move(endpoint), m_context);
}

CHttpConnection::~CHttpConnection() = default;

void CHttpConnection::Close() {}

CHttpFile* CHttpConnection::OpenRequest(LPCSTR verb, LPCSTR objectName, LPCSTR, DWORD_PTR context,
                                        LPCSTR*, LPCSTR, DWORD flags) {
    const std::string method = textOr(verb, "GET");
    if (method != "GET" && method != "HEAD") {
        throwInternet(context, ERROR_INVALID_PARAMETER);
    }
    velmar::net::Endpoint endpoint = m_endpoint;
    if ((flags & INTERNET_FLAG_SECURE) != 0) {
        endpoint.secure = true;
    }
    return new CHttpFile(std::move(endpoint), method, textOr(objectName, "/"), flags, context);
}

CHttpFile::CHttpFile(velmar::net::Endpoint endpoint, std::string verb, std::string object,
                     DWORD flags, DWORD_PTR context)
    : m_endpoint(std::move(endpoint)), m_verb(std::move(verb)), m_object(std::move(object)),
      m_flags(flags), m_context(context) {}

CHttpFile::~CHttpFile() = default;

void CHttpFile::fail(DWORD error) const {
    throwInternet(m_context, error);
}

BOOL CHttpFile::AddRequestHeaders(LPCSTR headers, DWORD flags, int headersLength) {
    if (headers == nullptr || m_transfer != nullptr) {
        SetLastError(m_transfer != nullptr ? ERROR_INTERNET_INCORRECT_HANDLE_STATE
                                           : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string_view all(headers, headersLength < 0
                                            ? std::strlen(headers)
                                            : static_cast<std::size_t>(headersLength));
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < all.size();) {
        std::size_t end = all.find_first_of("\r\n", at);
        if (end == std::string_view::npos) {
            end = all.size();
        }
        if (end > at) {
            const std::string_view line = all.substr(at, end - at);
            if (headerName(line).empty()) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            lines.emplace_back(line);
        }
        at = end + 1;
    }
    for (const std::string& line : lines) {
        const std::string_view name = headerName(line);
        const auto existing =
            std::find_if(m_headers.begin(), m_headers.end(), [&](const std::string& header) {
                return sameName(headerName(header), name);
            });
        if (existing == m_headers.end()) {
            m_headers.push_back(line);
        } else if ((flags & HTTP_ADDREQ_FLAG_REPLACE) != 0) {
            *existing = line;
        } else if ((flags & HTTP_ADDREQ_FLAG_ADD) != 0) {
            m_headers.push_back(line);
        }
        // HTTP_ADDREQ_FLAG_ADD_IF_NEW: a header of that name stays as it is.
    }
    return TRUE;
}

BOOL CHttpFile::SendRequest(LPCSTR headers, DWORD headersLength, LPVOID, DWORD optionalLength) {
    if (m_transfer != nullptr || optionalLength != 0) {
        fail(m_transfer != nullptr ? ERROR_INTERNET_INCORRECT_HANDLE_STATE
                                   : ERROR_INVALID_PARAMETER);
    }
    if (headers != nullptr &&
        !AddRequestHeaders(headers, HTTP_ADDREQ_FLAG_ADD,
                           headersLength == 0 || headersLength == static_cast<DWORD>(-1)
                               ? -1
                               : static_cast<int>(headersLength))) {
        fail(GetLastError());
    }
    std::vector<std::string> sent = m_headers;
    if ((m_flags & INTERNET_FLAG_RELOAD) != 0) {
        // Every cache between here and the server is to ask the server again.
        for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
            const std::string_view name = headerName(header);
            if (std::none_of(sent.begin(), sent.end(), [&](const std::string& line) {
                    return sameName(headerName(line), name);
                })) {
                sent.emplace_back(header);
            }
        }
    }
    m_transfer = std::make_unique<velmar::net::Transfer>(
        m_endpoint, m_verb, m_object, sent, (m_flags & INTERNET_FLAG_NO_AUTO_REDIRECT) == 0,
        velmar::net::timeoutsFromEnvironment());
    if (const DWORD error = m_transfer->start(); error != ERROR_SUCCESS) {
        fail(error);
    }
    return TRUE;
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& statusCode) const {
    if (m_transfer == nullptr) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
        return FALSE;
    }
    statusCode = m_transfer->status();
    return TRUE;
}

UINT CHttpFile::Read(void* buffer, UINT count) {
    if (m_transfer == nullptr) {
        fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    }
    if (buffer == nullptr || count == 0) {
        return 0;
    }
    std::size_t got = 0;
    if (const DWORD error = m_transfer->read(static_cast<char*>(buffer), count, got);
        error != ERROR_SUCCESS) {
        fail(error);
    }
    return static_cast<UINT>(got);
}

void CHttpFile::Close() {
    m_transfer.reset();
}
