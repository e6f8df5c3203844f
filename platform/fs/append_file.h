// An output stream that appends to a file shared with other processes.
//
// Nothing reaches the file until the stream is flushed; each flush is one write(2) on a
// descriptor opened with O_APPEND, so lines flushed one at a time by several processes
// never tear inside a line. In text mode "\n" is stored as CR LF, as a Windows text stream
// stores it.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace velmar::host {

class AppendFileBuffer : public std::streambuf {
public:
    AppendFileBuffer() = default;
    AppendFileBuffer(const AppendFileBuffer&) = delete;
    AppendFileBuffer& operator=(const AppendFileBuffer&) = delete;
    ~AppendFileBuffer() override;

    // hostPath is UTF-8. Creates the file (mode 0666 less the umask) when it is missing.
    bool open(const std::string& hostPath, bool textMode);
    bool isOpen() const { return m_fd >= 0; }
    void close();

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    int m_fd = -1;
    bool m_textMode = true;
    std::string m_pending;
};

class AppendFileStream : public std::ostream {
public:
    AppendFileStream() : std::ostream(nullptr) { rdbuf(&m_buffer); }
    bool open(const std::string& hostPath, bool textMode = true);
    bool is_open() const { return m_buffer.isOpen(); }
    void close();

private:
    AppendFileBuffer m_buffer;
};

} // namespace velmar::host
