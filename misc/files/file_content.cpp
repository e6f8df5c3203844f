// File sizes and what a file holds: plain text, a given text on some line.
#include "misc/files/files.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <cstring>

namespace {

constexpr std::size_t kTextProbeBytes = 1000;
constexpr int kLineBuffer = 512;

char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

void toUpper(char* text) {
    for (; *text != '\0'; ++text) {
        *text = asciiUpper(*text);
    }
}

// A stream reading path, a text stream (CR LF read as LF) or a binary one.
std::FILE* openStream(const char* path, bool text) {
    DWORD error = ERROR_SUCCESS;
    return velmar::fs::openStream(velmar::text::ansiToWide(path), velmar::fs::OpenMode{}, text,
                                  error);
}

} // namespace

LONGLONG fileSizeOf(const char* path) {
    velmar::fs::FileStatus status;
    DWORD error = ERROR_SUCCESS;
    if (path == nullptr || !velmar::fs::fileStatus(velmar::text::ansiToWide(path), status, error) ||
        status.kind == velmar::fs::FileKind::directory) {
        return 0;
    }
    return static_cast<LONGLONG>(status.size);
}

CString fileSizeText(const char* path) {
    return formatByteSize(fileSizeOf(path));
}
std::string fileSizeTextSC(const char* path) {
    return formatByteSizeS(static_cast<ULONGLONG>(fileSizeOf(path)));
}

bool isTextFile(const char* path) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    std::FILE* file = openStream(path, false);
    if (file == nullptr) {
        return false;
    }
    unsigned char bytes[kTextProbeBytes];
    const std::size_t n = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    if (n == 0) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char b = bytes[i];
        if (!((b >= 0x20 && b <= 0x7E) || b == '\t' || b == '\n' || b == '\r')) {
            return false;
        }
    }
    return true;
}

bool fileContainsText(const char* path, const char* text, bool ignoreCase) {
    if (path == nullptr || text == nullptr) {
        return false;
    }
    std::FILE* file = openStream(path, true);
    if (file == nullptr) {
        return false;
    }
    std::string wanted = text;
    if (ignoreCase) {
        toUpper(wanted.data());
    }
    char line[kLineBuffer];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, file) != nullptr) {
        const std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] != '\n' && !std::feof(file)) {
            // The buffer is full: the line fits only when its end is right here.
            const int next = std::fgetc(file);
            if (next != '\n' && next != EOF) {
                break;
            }
        }
        if (ignoreCase) {
            toUpper(line);
        }
        found = std::strstr(line, wanted.c_str()) != nullptr;
    }
    std::fclose(file);
    return found;
}
