#include "platform/prefix/internal/windows_programs.h"

#include "platform/host/host.h"

#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#ifndef VELMAR_WINDOWS_PROGRAM_DIRS
#define VELMAR_WINDOWS_PROGRAM_DIRS ""
#endif

namespace velmar::prefix {

namespace {

struct Program {
    const char* built;  // the name in the build's or installation's program folder
    const char* placed; // the name in the Windows folder
};

constexpr Program kPrograms[] = {
    {"velmar-explorer", "explorer.exe"},
    {"velmar-notepad", "notepad.exe"},
};

// The folder of the running program, "" when it cannot be read.
std::string programFolder() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = host::readlink("/proc/self/exe", path.data(), path.size());
        if (n <= 0) {
            return "";
        }
        if (static_cast<std::size_t>(n) < path.size()) {
            path.resize(static_cast<std::size_t>(n));
            return path.substr(0, path.rfind('/'));
        }
        path.resize(path.size() * 2);
    }
}

// The first regular file of that name in the folders of the list. A relative folder is taken
// from the running program's folder, so that an installation moved as a whole (a package
// installed below another root) still finds its programs.
bool findBuilt(const char* name, std::string& path, struct stat& status) {
    std::string_view list(VELMAR_WINDOWS_PROGRAM_DIRS);
    std::string ownFolder;
    bool ownFolderRead = false;
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view folder = list.substr(0, colon);
        list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
        if (folder.empty()) {
            continue;
        }
        if (folder.front() == '/') {
            path = std::string(folder) + "/" + name;
        } else {
            if (!ownFolderRead) {
                ownFolder = programFolder();
                ownFolderRead = true;
            }
            if (ownFolder.empty()) {
                continue;
            }
            path = ownFolder + "/" + std::string(folder) + "/" + name;
        }
        if (host::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            return true;
        }
    }
    return false;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = host::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A hard link where the file system allows one (no copy for every test's prefix), else a
// copy. Made beside the target and renamed: another process opening the prefix at the same
// moment sees the old program or the new one, never half of one.
void placeProgram(const std::string& from, const std::string& to) {
    const std::string partial = to + ".new." + std::to_string(::getpid());
    host::unlink(partial.c_str());
    if (host::link(from.c_str(), partial.c_str()) == 0) {
        if (host::rename(partial.c_str(), to.c_str()) != 0) {
            host::unlink(partial.c_str());
        }
        return;
    }
    std::string bytes;
    if (!host::readFile(from.c_str(), bytes)) {
        return;
    }
    const int fd = host::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    if (fd < 0) {
        return;
    }
    const bool written = writeAll(fd, bytes);
    if (host::close(fd) != 0 || !written || host::rename(partial.c_str(), to.c_str()) != 0) {
        host::unlink(partial.c_str());
    }
}

} // namespace

std::string ownProgramPath(const std::string& name) {
    std::string path;
    struct stat status {};
    return findBuilt(name.c_str(), path, status) ? path : std::string();
}

void placeWindowsPrograms(const std::string& windowsFolder) {
    for (const Program& program : kPrograms) {
        std::string built;
        struct stat source {};
        if (!findBuilt(program.built, built, source)) {
            continue;
        }
        const std::string placed = windowsFolder + "/" + program.placed;
        struct stat target {};
        if (host::stat(placed.c_str(), &target) == 0 && target.st_size == source.st_size &&
            target.st_mtime >= source.st_mtime) {
            continue;
        }
        placeProgram(built, placed);
    }
}

} // namespace velmar::prefix
