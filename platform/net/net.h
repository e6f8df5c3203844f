// The framework's internet classes over libcurl: an HTTP(S) GET as the system's internet
// client makes it, read by the caller in chunks.
//
// As in the framework, the session hands out connections and the connection request files,
// each owned by the caller (delete them after Close); a failing call of theirs throws a
// CInternetException by pointer, which the catcher releases with Delete().
//
// Redirects are followed (at most 20, http and https only). Proxies come from the usual
// environment variables (http_proxy, https_proxy, all_proxy, no_proxy). A connection that
// cannot be made within the connect time-out, and a transfer that receives no byte within the
// stall time-out, fail with ERROR_INTERNET_TIMEOUT: 30 seconds each unless
// VELMAR_NET_CONNECT_TIMEOUT_MS or VELMAR_NET_STALL_TIMEOUT_MS (milliseconds) say otherwise.
#pragma once

#include "platform/base/base.h"
#include "platform/framework/framework.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using INTERNET_PORT = WORD;
using DWORD_PTR = std::uintptr_t;

inline constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_FTP_PORT = 21;

// Service types that AfxParseURL reports.
inline constexpr DWORD AFX_INET_SERVICE_UNK = 0x1000;
inline constexpr DWORD AFX_INET_SERVICE_FTP = 1;
inline constexpr DWORD AFX_INET_SERVICE_HTTP = 3;
inline constexpr DWORD AFX_INET_SERVICE_FILE = 0x1002;
inline constexpr DWORD AFX_INET_SERVICE_HTTPS = 0x1009;

// Access types of a session.
inline constexpr DWORD PRE_CONFIG_INTERNET_ACCESS = 0; // the system's proxy settings
inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = PRE_CONFIG_INTERNET_ACCESS;
inline constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1; // no proxy
inline constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3; // the proxy named, but not for the bypass list

// Request flags.
inline constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;           // never from a cache
inline constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;           // https
inline constexpr DWORD INTERNET_FLAG_EXISTING_CONNECT = 0x20000000; // reuse a connection
inline constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;

inline constexpr DWORD HTTP_ADDREQ_FLAG_ADD_IF_NEW = 0x10000000;
inline constexpr DWORD HTTP_ADDREQ_FLAG_ADD = 0x20000000;
inline constexpr DWORD HTTP_ADDREQ_FLAG_REPLACE = 0x80000000;

inline constexpr DWORD HTTP_STATUS_OK = 200;
inline constexpr DWORD HTTP_STATUS_NOT_FOUND = 404;

// The internet client's errors (their texts come from FormatMessageA).
inline constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr DWORD ERROR_INTERNET_EXTENDED_ERROR = 12003;
inline constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
inline constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
inline constexpr DWORD ERROR_INTERNET_UNRECOGNIZED_SCHEME = 12006;
inline constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
inline constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
inline constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
inline constexpr DWORD ERROR_HTTP_REDIRECT_FAILED = 12156;
inline constexpr DWORD ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;

// Splits an address into its service, server (without brackets for IPv6), object (the path
// with its query, "/" when the address has none; the fragment dropped) and port (the
// address's own, else the service's default). False, with the outputs untouched, for an
// address without "scheme://", an unknown scheme, no server, or a port that is not a number of
// 1 to 65535.
BOOL AfxParseURL(LPCSTR url, DWORD& serviceType, CString& server, CString& object,
                 INTERNET_PORT& port);

class CInternetException {
public:
    explicit CInternetException(DWORD_PTR context, DWORD error)
        : m_dwContext(context), m_dwError(error) {}
    CInternetException(const CInternetException&) = delete;
    CInternetException& operator=(const CInternetException&) = delete;

    // The system's text for the error, as FormatMessageA gives it.
    BOOL GetErrorMessage(LPSTR text, UINT maxLength, UINT* helpContext = nullptr) const;
    // Releases an exception that was thrown by pointer.
    void Delete() { delete this; }

    DWORD_PTR m_dwContext;
    DWORD m_dwError;

private:
    ~CInternetException() = default;
};

namespace velmar::net {
class Transfer;
// Where a request goes and how, gathered from its session, connection and request.
struct Endpoint {
    std::string agent;
    DWORD accessType = PRE_CONFIG_INTERNET_ACCESS;
    std::string proxy;       // INTERNET_OPEN_TYPE_PROXY: "host:port"
    std::string proxyBypass; // hosts, separated by spaces, commas or semicolons
    std::string server;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    bool secure = false;
    std::string userName;
    std::string password;
};
} // namespace velmar::net

class CHttpConnection;

class CInternetSession {
public:
    // The agent is the request's User-Agent. An access type other than the three above, or
    // INTERNET_OPEN_TYPE_PROXY without a proxy name, throws ERROR_INVALID_PARAMETER.
    explicit CInternetSession(LPCSTR agent = nullptr, DWORD_PTR context = 1,
                              DWORD accessType = PRE_CONFIG_INTERNET_ACCESS,
                              LPCSTR proxyName = nullptr, LPCSTR proxyBypass = nullptr,
                              DWORD flags = 0);
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;
    virtual ~CInternetSession();

    // A connection to server:port (the default port is 80). Owned by the caller.
    CHttpConnection* GetHttpConnection(LPCSTR server,
                                       INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER,
                                       LPCSTR userName = nullptr, LPCSTR password = nullptr);
    // The same, with INTERNET_FLAG_SECURE for https (port 443 by default).
    CHttpConnection* GetHttpConnection(LPCSTR server, DWORD flags,
                                       INTERNET_PORT port = INTERNET_INVALID_PORT_NUMBER,
                                       LPCSTR userName = nullptr, LPCSTR password = nullptr);
    virtual void Close();

private:
    velmar::net::Endpoint m_endpoint;
    DWORD_PTR m_context;
};

class CHttpFile;

class CHttpConnection {
public:
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;
    virtual ~CHttpConnection();

    // A request for object (a path from "/"); the verb is "GET" or "HEAD". Owned by the caller.
    CHttpFile* OpenRequest(LPCSTR verb, LPCSTR objectName, LPCSTR referer = nullptr,
                           DWORD_PTR context = 1, LPCSTR* acceptTypes = nullptr,
                           LPCSTR version = nullptr, DWORD flags = INTERNET_FLAG_EXISTING_CONNECT);
    virtual void Close();

private:
    friend class CInternetSession;
    explicit CHttpConnection(velmar::net::Endpoint endpoint, DWORD_PTR context)
        : m_endpoint(std::move(endpoint)), m_context(context) {}

    velmar::net::Endpoint m_endpoint;
    DWORD_PTR m_context;
};

class CHttpFile {
public:
    CHttpFile(const CHttpFile&) = delete;
    CHttpFile& operator=(const CHttpFile&) = delete;
    virtual ~CHttpFile();

    // Adds "Name: value" lines (separated by CR LF; length -1: up to the terminating zero).
    // HTTP_ADDREQ_FLAG_ADD_IF_NEW adds a header only when the request has none of that name;
    // HTTP_ADDREQ_FLAG_REPLACE replaces one. False, with the last error set, for a line that is
    // not a header, or once the request was sent.
    BOOL AddRequestHeaders(LPCSTR headers, DWORD flags = HTTP_ADDREQ_FLAG_ADD_IF_NEW,
                           int headersLength = -1);
    // Sends the request (extra headers as AddRequestHeaders adds them; a body is not supported
    // for GET) and waits for the final response's status line and headers.
    BOOL SendRequest(LPCSTR headers = nullptr, DWORD headersLength = 0, LPVOID optional = nullptr,
                     DWORD optionalLength = 0);
    // The final response's status, after SendRequest.
    BOOL QueryInfoStatusCode(DWORD& statusCode) const;
    // Fills buffer with the body's next bytes, waiting until count bytes arrived or the body
    // ended; 0 at its end.
    UINT Read(void* buffer, UINT count);
    virtual void Close();

    // The object as opened.
    const std::string& object() const { return m_object; }

private:
    friend class CHttpConnection;
    CHttpFile(velmar::net::Endpoint endpoint, std::string verb, std::string object, DWORD flags,
              DWORD_PTR context);
    [[noreturn]] void fail(DWORD error) const;

    velmar::net::Endpoint m_endpoint;
    std::string m_verb;
    std::string m_object;
    DWORD m_flags;
    DWORD_PTR m_context;
    std::vector<std::string> m_headers;
    std::unique_ptr<velmar::net::Transfer> m_transfer;
};
