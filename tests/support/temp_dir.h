// Temporary folders for tests, removed with everything in them when the object goes.
#pragma once

#include "tests/support/scoped_env.h"

#include <string>
#include <vector>

namespace velmar::test {

class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    // Host path, without a trailing separator.
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A private machine prefix for the current test: VELMAR_PREFIX points at a fresh folder and
// TMPDIR at a fresh temporary folder inside it, until the object goes.
class TempPrefix {
public:
    TempPrefix();
    TempPrefix(const TempPrefix&) = delete;
    TempPrefix& operator=(const TempPrefix&) = delete;

    const std::string& path() const { return m_root.path(); }
    // The folder VELMAR_PREFIX names (not created until the platform opens it).
    std::string prefix() const { return m_root.path() + "/prefix"; }
    std::string tmp() const { return m_root.path() + "/tmp"; }

private:
    TempDir m_root;
    ScopedEnv m_prefix;
    ScopedEnv m_tmp;
};

// Reads a whole file as bytes; empty when it cannot be read.
std::string readFileBytes(const std::string& path);
// Writes bytes to a file, replacing it.
void writeFileBytes(const std::string& path, const std::string& bytes);
// The names in a folder, sorted: what a failed operation may have left behind.
std::vector<std::string> entriesOf(const std::string& folder);

} // namespace velmar::test
