#include "misc/diagnostics/diagnostics.h"
#include "misc/files/files.h"
#include "platform/fs/fs.h"
#include "platform/net/net.h"
#include "platform/text/text.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kAgent = "ImageServerDownload";
constexpr UINT kChunk = 500000;
constexpr std::uint64_t kWriteBackEvery = 8 << 20;

// A status other than 200 is a failure that nothing raises: its text goes to the error log.
void logStatus(DWORD status, const CString& object) {
    const std::string path(static_cast<LPCSTR>(object));
    const std::string text =
        status == HTTP_STATUS_NOT_FOUND
            ? "QueryInfoStatusCode returned Requested URL not found for " + path
            : "QueryInfoStatusCode returned " + std::to_string(status) + " for file " + path;
    CVelmarFileException record("downloadFromImageServer", static_cast<int>(status), text.c_str());
    logToErrorLog(record);
}

struct InternetExceptionRelease {
    void operator()(CInternetException* exception) const { exception->Delete(); }
};

// Fetches the body into out; the Win32 or internet error, ERROR_SUCCESS when it all arrived.
DWORD fetch(DWORD service, const CString& server, const CString& object, INTERNET_PORT port,
            velmar::fs::ReplacementStream& local) {
    std::FILE* out = local.stream();
    const bool secure = service == AFX_INET_SERVICE_HTTPS;
    try {
        CInternetSession session(kAgent, 1, PRE_CONFIG_INTERNET_ACCESS, nullptr, nullptr, 0);
        const std::unique_ptr<CHttpConnection> connection(
            session.GetHttpConnection(server, secure ? INTERNET_FLAG_SECURE : DWORD{0}, port));
        const std::unique_ptr<CHttpFile> request(
            connection->OpenRequest("GET", object, nullptr, 1, nullptr, nullptr,
                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT |
                                        (secure ? INTERNET_FLAG_SECURE : 0)));
        request->AddRequestHeaders("Accept: */*", HTTP_ADDREQ_FLAG_ADD_IF_NEW, -1);
        request->SendRequest();
        DWORD status = 0;
        request->QueryInfoStatusCode(status);
        DWORD result = ERROR_SUCCESS;
        if (status != HTTP_STATUS_OK) {
            logStatus(status, object);
            result = status == HTTP_STATUS_NOT_FOUND ? ERROR_FILE_NOT_FOUND
                                                     : ERROR_INTERNET_EXTENDED_ERROR;
        } else {
            std::vector<char> buffer(kChunk);
            std::uint64_t unsynced = 0;
            while (const UINT got = request->Read(buffer.data(), kChunk)) {
                if (std::fwrite(buffer.data(), 1, got, out) != got) {
                    result = velmar::base::win32ErrorFromErrno(errno);
                    break;
                }
                // The disk works while the body arrives, so that the commit need not wait
                // for all of it at the end.
                unsynced += got;
                if (unsynced >= kWriteBackEvery) {
                    local.startWriteBack();
                    unsynced = 0;
                }
            }
        }
        request->Close();
        connection->Close();
        session.Close();
        return result;
    } catch (CInternetException* raised) {
        const std::unique_ptr<CInternetException, InternetExceptionRelease> exception(raised);
        return exception->m_dwError;
    }
}

} // namespace

bool downloadFromImageServer(const char* localPath, const char* url) {
    DWORD service = 0;
    CString server;
    CString object;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    if (localPath == nullptr || url == nullptr ||
        !AfxParseURL(url, service, server, object, port)) {
        SetLastError(ERROR_INTERNET_INVALID_URL);
        return false;
    }
    if (service != AFX_INET_SERVICE_HTTP && service != AFX_INET_SERVICE_HTTPS) {
        SetLastError(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
        return false;
    }
    // The new file exists before any traffic: a folder that is missing costs no connection.
    velmar::fs::ReplacementStream local;
    DWORD error = ERROR_SUCCESS;
    if (!local.open(velmar::text::ansiToWide(localPath), false, error)) {
        SetLastError(error);
        return false;
    }
    error = fetch(service, server, object, port, local);
    if (error == ERROR_SUCCESS && local.commit(error)) {
        return true;
    }
    local.abandon();
    SetLastError(error);
    return false;
}
