#include "platform/fs/internal/drive_table.h"

#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/text/text.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace velmar::fs {

namespace {

struct Table {
    std::string file;
    bool present = false;
    struct timespec mtime {};
    off_t size = 0;
    ino_t inode = 0;
    std::array<std::string, 26> folders;
    // Network shares: server and share in lower case (UTF-8), and the host folder.
    struct Share {
        std::string server;
        std::string share;
        std::string folder;
    };
    std::vector<Share> shares;
};

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Lower case for comparing names without regard to case, as Windows compares server and share.
std::string folded(std::string_view utf8) {
    std::wstring wide = text::utf8ToWide(utf8);
    for (wchar_t& c : wide) {
        c = text::wideToLower(c);
    }
    return text::wideToUtf8(wide);
}

std::string hostFolder(std::string folder, const std::string& prefix) {
    folder = trimmed(folder);
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    if (!folder.empty() && folder[0] != '/') {
        folder = prefix + "/" + folder;
    }
    return folder;
}

// "\\server\share <folder>" (either separator): false for a line that is not a share's.
bool readShare(const std::string& line, const std::string& prefix, Table::Share& share) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (line.size() < 3 || !separator(line[0]) || !separator(line[1]) || separator(line[2])) {
        return false;
    }
    const std::size_t blank = line.find_first_of(" \t");
    const std::string name =
        line.substr(2, blank == std::string::npos ? std::string::npos : blank - 2);
    std::size_t cut = 0;
    while (cut < name.size() && !separator(name[cut])) {
        ++cut;
    }
    if (cut == name.size() || cut + 1 >= name.size()) {
        return false;
    }
    std::string shareName = name.substr(cut + 1);
    while (!shareName.empty() && separator(shareName.back())) {
        shareName.pop_back();
    }
    if (shareName.empty() || std::any_of(shareName.begin(), shareName.end(), separator)) {
        return false;
    }
    share.server = folded(name.substr(0, cut));
    share.share = folded(shareName);
    share.folder = blank == std::string::npos ? "" : hostFolder(line.substr(blank), prefix);
    return true;
}

void load(Table& table, const std::string& prefix) {
    table.folders.fill("");
    table.shares.clear();
    bool cSeen = false;
    // A table that cannot be read maps C: alone.
    std::string text;
    host::readFile(table.file.c_str(), text);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (Table::Share share; readShare(line, prefix, share)) {
            table.shares.push_back(share);
            continue;
        }
        if (line.size() < 2 || line[0] == '#' || line[0] == ';' || line[1] != ':') {
            continue;
        }
        const char letter = static_cast<char>(line[0] | 0x20);
        if (letter < 'a' || letter > 'z') {
            continue;
        }
        table.folders[static_cast<std::size_t>(letter - 'a')] = hostFolder(line.substr(2), prefix);
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

namespace {

// Answers from the table as it is now (read again when the file changed).
template <typename Answer>
std::string fromTable(Answer answer) {
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
    return answer(table);
}

} // namespace

std::string driveFolder(wchar_t letter) {
    const wchar_t lower = letter | 0x20;
    if (lower < L'a' || lower > L'z') {
        return "";
    }
    return fromTable(
        [&](const Table& table) { return table.folders[static_cast<std::size_t>(lower - L'a')]; });
}

std::string shareFolder(std::string_view server, std::string_view share) {
    const std::string foldedServer = folded(server);
    const std::string foldedShare = folded(share);
    return fromTable([&](const Table& table) {
        for (const Table::Share& entry : table.shares) {
            if (entry.server == foldedServer && entry.share == foldedShare) {
                return entry.folder;
            }
        }
        return std::string();
    });
}

} // namespace velmar::fs
