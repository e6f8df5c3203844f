#include "platform/fs/internal/drive_table.h"

#include "platform/host/host.h"
#include "platform/prefix/prefix.h"

#include <array>
#include <mutex>
#include <sys/stat.h>

namespace velmar::fs {

namespace {

struct Table {
    std::string file;
    bool present = false;
    struct timespec mtime {};
    off_t size = 0;
    ino_t inode = 0;
    std::array<std::string, 26> folders;
};

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

void load(Table& table, const std::string& prefix) {
    table.folders.fill("");
    bool cSeen = false;
    // A table that cannot be read maps C: alone.
    std::string text;
    host::readFile(table.file.c_str(), text);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.size() < 2 || line[0] == '#' || line[0] == ';' || line[1] != ':') {
            continue;
        }
        const char letter = static_cast<char>(line[0] | 0x20);
        if (letter < 'a' || letter > 'z') {
            continue;
        }
        std::string folder = trimmed(line.substr(2));
        while (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        if (!folder.empty() && folder[0] != '/') {
            folder = prefix + "/" + folder;
        }
        table.folders[static_cast<std::size_t>(letter - 'a')] = folder;
        cSeen = cSeen || letter == 'c';
    }
    if (!cSeen) {
        table.folders[2] = prefix + "/drive_c";
    }
}

} // namespace

std::string driveTablePath() {
    return prefix::prefixPath() + "/drives";
}

std::string driveFolder(wchar_t letter) {
    const wchar_t lower = letter | 0x20;
    if (lower < L'a' || lower > L'z') {
        return "";
    }
    static std::mutex mutex;
    static Table table;
    const std::string prefixFolder = prefix::prefixPath();
    const std::string file = prefixFolder + "/drives";
    struct stat st {};
    const bool present = host::stat(file.c_str(), &st) == 0;
    std::lock_guard lock(mutex);
    const bool changed = file != table.file || present != table.present ||
                         (present && (st.st_mtim.tv_sec != table.mtime.tv_sec ||
                                      st.st_mtim.tv_nsec != table.mtime.tv_nsec ||
                                      st.st_size != table.size || st.st_ino != table.inode));
    if (changed) {
        table.file = file;
        table.present = present;
        table.mtime = present ? st.st_mtim : timespec{};
        table.size = present ? st.st_size : 0;
        table.inode = present ? st.st_ino : 0;
        load(table, prefixFolder);
    }
    return table.folders[static_cast<std::size_t>(lower - L'a')];
}

} // namespace velmar::fs
