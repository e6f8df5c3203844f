// Backing up and restoring the module settings on a failing host: a failure is reported, the
// earlier backup files and the settings stay as they were.
#include "misc/install/install.h"
#include "misc/registry/registry.h"
#include "tests/support/host_fault.h"
#include "tests/support/install_fixture.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using velmar::host::SystemCalls;
using velmar::registry::Key;
using velmar::test::FaultRepeat;
using velmar::test::InstallTest;
using velmar::test::readFileBytes;
using velmar::test::ScopedEnv;
using velmar::test::ScopedSyscallFault;
using velmar::test::sz;
using velmar::test::TempDir;

namespace {

using Fault = std::optional<ScopedSyscallFault>;

const std::string kSuite = "Software\\VELMAR Systems International";

void store(const std::string& section, const std::string& text) {
    Key key;
    ASSERT_EQ(key.create(HKEY_CURRENT_USER, kSuite + "\\" + section, KEY_ALL_ACCESS),
              ERROR_SUCCESS);
    const std::string data = sz(text);
    ASSERT_EQ(key.setValue("Setting", REG_SZ, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

std::string settingOf(const std::string& section) {
    return velmar::test::storedValue(HKEY_CURRENT_USER, kSuite + "\\" + section, "Setting").data;
}

// Every file of the folder with its bytes.
std::vector<std::pair<std::string, std::string>> filesOf(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files.emplace_back(entry.path().filename().string(), readFileBytes(entry.path()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

class SettingsFaults : public InstallTest {
protected:
    void SetUp() override {
        store("Key Assignments", "F1 Help");
        store("Model Viewer\\AT", "blocks 10");
        ASSERT_TRUE(backupModuleSettings());
        m_earlier = filesOf(m_exchange.path());
        ASSERT_EQ(m_earlier.size(), 7u);
        store("Key Assignments", "F1 Search");
        store("Model Viewer\\AT", "blocks 20");
    }
    TempDir m_exchange;
    ScopedEnv m_folder{"VELMAR_COMMON_FOLDER", m_exchange.path().c_str()};
    ScopedEnv m_noDefaults{"VELMAR_DEFAULT_SETTINGS_FILE", nullptr};
    std::vector<std::pair<std::string, std::string>> m_earlier;
};

struct BackupFault {
    const char* what;
    void (*arm)(Fault& fault);
    const char* failedFile; // the one file that keeps its earlier bytes, or null for all
};

const BackupFault kBackupFaults[] = {
    {"one file cannot take the new one's place",
     [](Fault& f) {
         f.emplace(&SystemCalls::rename, 1, EIO, FaultRepeat::fromThenOn, "KeyAssignments.reg");
     },
     "KeyAssignments.reg"},
    {"one file's copy cannot be made",
     [](Fault& f) { f.emplace(&SystemCalls::open, 1, EACCES, FaultRepeat::fromThenOn, "AT.reg"); },
     "AT.reg"},
    {"the disk is full",
     [](Fault& f) { f.emplace(&SystemCalls::write, 1, ENOSPC, FaultRepeat::fromThenOn); }, nullptr},
};

TEST_F(SettingsFaults, AFailedBackupIsReportedAndKeepsTheEarlierFile) {
    for (const BackupFault& row : kBackupFaults) {
        SCOPED_TRACE(row.what);
        {
            Fault fault;
            row.arm(fault);
            EXPECT_FALSE(backupModuleSettings());
            EXPECT_GE(fault->failures(), 1u);
        }
        const auto files = filesOf(m_exchange.path());
        ASSERT_EQ(files.size(), m_earlier.size()); // nothing left over beside them
        for (std::size_t i = 0; i < files.size(); ++i) {
            const auto& [name, bytes] = files[i];
            SCOPED_TRACE(name);
            EXPECT_EQ(name, m_earlier[i].first);
            if (row.failedFile == nullptr || name == row.failedFile) {
                EXPECT_TRUE(bytes == m_earlier[i].second); // byte for byte
            }
        }
        // The other files were written.
        for (const auto& [name, changed] :
             {std::pair{"KeyAssignments.reg", "F1 Search"}, std::pair{"AT.reg", "blocks 20"}}) {
            const bool written = row.failedFile != nullptr && std::string(row.failedFile) != name;
            EXPECT_EQ(readFileBytes(m_exchange.file(name)).find(changed) != std::string::npos,
                      written)
                << name;
        }
        // Put the earlier backup back for the next row.
        for (const auto& [name, bytes] : m_earlier) {
            velmar::test::writeFileBytes(m_exchange.file(name), bytes);
        }
    }
    ASSERT_TRUE(backupModuleSettings());
    EXPECT_NE(readFileBytes(m_exchange.file("KeyAssignments.reg")).find("F1 Search"),
              std::string::npos);
}

TEST_F(SettingsFaults, ARestoreThatCannotReadAFileIsReportedAndChangesNothing) {
    for (const unsigned failingRead : {1u, 2u}) {
        SCOPED_TRACE(failingRead);
        {
            ScopedSyscallFault fault(&SystemCalls::read, failingRead, EIO);
            EXPECT_FALSE(restoreSettings());
            EXPECT_EQ(fault.failures(), 1u);
        }
        EXPECT_EQ(settingOf("Key Assignments"), sz("F1 Search"));
        EXPECT_EQ(settingOf("Model Viewer\\AT"), sz("blocks 20"));
    }
    ASSERT_TRUE(restoreSettings());
    EXPECT_EQ(settingOf("Key Assignments"), sz("F1 Help"));
    EXPECT_EQ(settingOf("Model Viewer\\AT"), sz("blocks 10"));
}

} // namespace
