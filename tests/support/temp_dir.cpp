#include "tests/support/temp_dir.h"

#include <algorithm>
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
std::string makeTmp(const TempDir& root) {
    const std::string tmp = root.path() + "/tmp";
    ::mkdir(tmp.c_str(), 0700);
    return tmp;
}
} // namespace

TempPrefix::TempPrefix()
    : m_prefix("VELMAR_PREFIX", (m_root.path() + "/prefix").c_str()),
      m_tmp("TMPDIR", makeTmp(m_root).c_str()) {}

std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace velmar::test
