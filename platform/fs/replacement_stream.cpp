#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <cerrno>
#include <string>

namespace velmar::fs {

ReplacementStream::~ReplacementStream() {
    abandon();
}

bool ReplacementStream::open(std::wstring_view target, bool text, DWORD& error) {
    abandon();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring temporary(target);
        temporary += L"." + std::to_wstring(attempt) + L".tmp";
        m_stream = openStream(temporary, {Access::write, Creation::createNew}, text, error);
        if (m_stream != nullptr) {
            m_target.assign(target);
            m_temporary = std::move(temporary);
            return true;
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return false;
}

bool ReplacementStream::commit(DWORD& error) {
    if (m_stream == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    const bool written = commitStream(m_stream, error);
    const bool closed = std::fclose(m_stream) == 0;
    m_stream = nullptr;
    if (written && !closed) {
        error = base::win32ErrorFromErrno(errno);
    }
    if (written && closed &&
        moveFile(m_temporary, m_target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH,
                 error)) {
        m_temporary.clear();
        return true;
    }
    abandon();
    return false;
}

void ReplacementStream::abandon() {
    if (m_stream != nullptr) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    if (!m_temporary.empty()) {
        // Best effort: the target is untouched either way.
        DWORD ignored = ERROR_SUCCESS;
        static_cast<void>(deleteFile(m_temporary, ignored));
        m_temporary.clear();
    }
}

} // namespace velmar::fs
