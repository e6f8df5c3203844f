#include "platform/fs/fs.h"

#include "platform/host/host.h"

#include <cerrno>
#include <fcntl.h>

namespace velmar::fs {

AppendFileBuffer::~AppendFileBuffer() {
    close();
}

bool AppendFileBuffer::open(const std::string& hostPath, bool textMode) {
    if (m_fd >= 0) {
        return false;
    }
    m_fd = host::open(hostPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    m_textMode = textMode;
    return m_fd >= 0;
}

void AppendFileBuffer::close() {
    if (m_fd >= 0) {
        sync();
        host::close(m_fd);
        m_fd = -1;
    }
    m_pending.clear();
}

AppendFileBuffer::int_type AppendFileBuffer::overflow(int_type ch) {
    if (m_fd < 0) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        const char c = traits_type::to_char_type(ch);
        if (m_textMode && c == '\n') {
            m_pending += '\r';
        }
        m_pending += c;
    }
    return traits_type::not_eof(ch);
}

std::streamsize AppendFileBuffer::xsputn(const char* s, std::streamsize n) {
    if (m_fd < 0) {
        return 0;
    }
    for (std::streamsize i = 0; i < n; ++i) {
        if (m_textMode && s[i] == '\n') {
            m_pending += '\r';
        }
        m_pending += s[i];
    }
    return n;
}

int AppendFileBuffer::sync() {
    if (m_fd < 0) {
        return -1;
    }
    std::size_t done = 0;
    while (done < m_pending.size()) {
        const ssize_t n = host::write(m_fd, m_pending.data() + done, m_pending.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_pending.clear();
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    m_pending.clear();
    return 0;
}

bool AppendFileStream::open(const std::string& hostPath, bool textMode) {
    if (!m_buffer.open(hostPath, textMode)) {
        setstate(std::ios_base::failbit);
        return false;
    }
    clear();
    return true;
}

void AppendFileStream::close() {
    m_buffer.close();
    setstate(std::ios_base::failbit);
}

} // namespace velmar::fs
