#include "platform/fs/fs.h"

#include "platform/fs/internal/wildcard.h"
#include "platform/host/host.h"
#include "platform/text/text.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace velmar::fs {

FileFinder::~FileFinder() {
    close();
}

void FileFinder::close() {
    if (m_dir != nullptr) {
        host::closedir(m_dir);
        m_dir = nullptr;
    }
    m_single = false;
}

bool FileFinder::open(std::wstring_view pattern, DWORD& error) {
    close();
    if (pattern.empty() || text::winpath::isSeparator(pattern.back())) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    const std::wstring_view last = pattern.substr(text::winpath::patternNameStart(pattern));
    const bool wildcard = hasWildcards(last);
    const HostPath host = hostPathOf(pattern, wildcard);
    if (!host) {
        error = host.error;
        return false;
    }
    const std::size_t slash = host.path.rfind('/');
    std::string& folder = m_entry.m_folder;
    folder = slash == std::string::npos ? std::string() : host.path.substr(0, slash + 1);
    const std::string leaf = slash == std::string::npos ? host.path : host.path.substr(slash + 1);
    m_entry.m_statusRead = false;
    if (!wildcard) {
        struct stat st {};
        if (host::lstat(host.path.c_str(), &st) != 0) {
            error = errorForHostPath(errno, host.path);
            return false;
        }
        m_entry.m_name = leaf;
        m_entry.m_type = 0;
        m_single = true;
        error = ERROR_SUCCESS;
        return true;
    }
    m_pattern = leaf;
    m_dir = host::opendir(folder.empty() ? "." : folder.c_str());
    if (m_dir == nullptr) {
        error = errorForHostPath(errno, folder.empty() ? std::string(".") : folder);
        if (error == ERROR_FILE_NOT_FOUND) {
            error = ERROR_PATH_NOT_FOUND;
        }
        return false;
    }
    if (!next()) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

bool FileFinder::next() {
    if (m_single) {
        m_single = false;
        return false;
    }
    if (m_dir == nullptr) {
        return false;
    }
    while (const dirent* entry = host::readdir(m_dir)) {
        if (matchesWildcard(m_pattern, entry->d_name)) {
            m_entry.m_name = entry->d_name;
            m_entry.m_type = entry->d_type == DT_UNKNOWN ? 0 : entry->d_type;
            m_entry.m_statusRead = false;
            return true;
        }
    }
    close();
    return false;
}

// Links are followed; a dangling one has no status.
bool FileFinder::Entry::loadStatus() {
    if (!m_statusRead) {
        m_statusRead = true;
        struct stat st {};
        m_statusOk = host::stat(hostPath().c_str(), &st) == 0;
        if (m_statusOk) {
            m_size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
            m_mtime = st.st_mtime;
            m_atime = st.st_atime;
            m_ctime = st.st_ctime;
            m_isDirectory = S_ISDIR(st.st_mode);
        }
    }
    return m_statusOk;
}

bool FileFinder::Entry::isDirectory() {
    if (m_type == DT_DIR) {
        return true;
    }
    if (m_type != 0 && m_type != DT_LNK) {
        return false;
    }
    return loadStatus() && m_isDirectory;
}

DWORD FileFinder::Entry::attributes() const {
    DWORD error = ERROR_SUCCESS;
    return hostFileAttributes(hostPath(), error);
}

std::uint64_t FileFinder::Entry::size() {
    return loadStatus() ? m_size : 0;
}
std::time_t FileFinder::Entry::lastWriteTime() {
    return loadStatus() ? m_mtime : 0;
}
std::time_t FileFinder::Entry::lastAccessTime() {
    return loadStatus() ? m_atime : 0;
}
std::time_t FileFinder::Entry::creationTime() {
    return loadStatus() ? m_ctime : 0;
}

DWORD FileFinder::attributes() {
    const DWORD attributes = m_entry.attributes();
    return attributes == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_NORMAL : attributes;
}

} // namespace velmar::fs
