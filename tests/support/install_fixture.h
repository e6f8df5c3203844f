// What the installation tests share: a private prefix, an elevated process by default, and
// the installer's values written straight into the store.
#pragma once

#include "platform/registry/registry.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace velmar::test {

inline const std::string kInstallationKey =
    "Software\\VELMAR Systems International\\VELMAR Software\\CurrentVersion";
inline const std::string kMachineEnvironmentKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// Stores raw bytes as a value of the installation key in the given view.
inline void storeInstallationBytes(const char* name, DWORD type, const std::string& bytes,
                                   REGSAM view = KEY_WOW64_32KEY) {
    registry::Key key;
    ASSERT_EQ(key.create(HKEY_LOCAL_MACHINE, kInstallationKey, KEY_ALL_ACCESS | view),
              ERROR_SUCCESS);
    ASSERT_EQ(key.setValue(name, type, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

// Stores a REG_SZ text, terminator included.
inline void storeInstallationText(const char* name, const std::string& text,
                                  REGSAM view = KEY_WOW64_32KEY) {
    storeInstallationBytes(name, REG_SZ, std::string(text.c_str(), text.size() + 1), view);
}

// The value as stored; REG_NONE and "<missing>" when there is none.
inline registry::Value storedValue(HKEY hive, const std::string& keyPath, const char* name,
                                   REGSAM view = 0) {
    registry::Key key;
    registry::Value value{REG_NONE, "<missing>"};
    if (key.open(hive, keyPath, KEY_READ | view) == ERROR_SUCCESS) {
        static_cast<void>(key.queryValue(name, value)); // unchanged when missing
    }
    return value;
}

inline std::string sz(const std::string& text) {
    return std::string(text.c_str(), text.size() + 1);
}

class InstallTest : public ::testing::Test {
protected:
    TempPrefix m_prefix;
    ScopedEnv m_elevated{"VELMAR_ELEVATED", "1"};
};

} // namespace velmar::test
