#include "fuzz/fuzz_prefix.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

namespace velmar::fuzz {

namespace {

std::string makePrivateFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/velmar-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed for " + pattern);
    }
    const std::string tmp = pattern + "/tmp";
    ::mkdir(tmp.c_str(), 0700);
    ::setenv("VELMAR_PREFIX", (pattern + "/prefix").c_str(), 1);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    return pattern;
}

struct Folder {
    std::string path = makePrivateFolder();
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

} // namespace

const std::string& privateFolder() {
    static const Folder folder;
    return folder.path;
}

} // namespace velmar::fuzz
