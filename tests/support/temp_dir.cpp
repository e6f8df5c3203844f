#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

namespace velmar::test {

TempDir::TempDir() {
    const char* base = std::getenv("VELMAR_TEST_TMP");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/velmar-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed for " + pattern);
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make read-only folders removable again before removing the tree.
    for (auto it = std::filesystem::recursive_directory_iterator(
             m_path, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            ::chmod(it->path().c_str(), 0700);
        }
    }
    ::chmod(m_path.c_str(), 0700);
    std::filesystem::remove_all(m_path, ec);
}

namespace {
bool saveEnv(const char* name, std::string& value) {
    const char* old = std::getenv(name);
    if (old != nullptr) {
        value = old;
    }
    return old != nullptr;
}
void restoreEnv(const char* name, bool had, const std::string& value) {
    if (had) {
        ::setenv(name, value.c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}
} // namespace

TempPrefix::TempPrefix() {
    m_hadPrefix = saveEnv("VELMAR_PREFIX", m_oldPrefix);
    m_hadTmp = saveEnv("TMPDIR", m_oldTmp);
    ::mkdir(tmp().c_str(), 0700);
    ::setenv("VELMAR_PREFIX", (m_root.path() + "/prefix").c_str(), 1);
    ::setenv("TMPDIR", tmp().c_str(), 1);
}

TempPrefix::~TempPrefix() {
    restoreEnv("VELMAR_PREFIX", m_hadPrefix, m_oldPrefix);
    restoreEnv("TMPDIR", m_hadTmp, m_oldTmp);
}

std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace velmar::test
