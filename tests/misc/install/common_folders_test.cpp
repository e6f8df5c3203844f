// The suite's folders, the common folder and publishing the machine variables.
#include "misc/install/install.h"
#include "misc/registry/registry.h"
#include "platform/fs/fs.h"
#include "platform/ui/ui.h"
#include "tests/support/child_process.h"
#include "tests/support/install_fixture.h"

#include <atomic>
#include <future>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

using velmar::test::InstallTest;
using velmar::test::kMachineEnvironmentKey;
using velmar::test::ScopedEnv;
using velmar::test::storedValue;
using velmar::test::sz;
using velmar::test::TempDir;

namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

using CommonFolders = InstallTest;

TEST_F(CommonFolders, CommonDataFolderBelowTheShellFolder) {
    const std::string programData = m_prefix.prefix() + "/drive_c/ProgramData";
    const std::string longPath(300, 'p');
    struct Case {
        bool shared;
        const char* further;
        std::string folder;
    };
    const Case cases[] = {
        {false, nullptr, programData + "\\Velmar Systems"},
        {true, nullptr, programData + "\\Velmar Systems\\Common"},
        {true, "Images", programData + "\\Velmar Systems\\Common\\Images"},
        {false, "\\Images\\", programData + "\\Velmar Systems\\Images\\"},
        {true, longPath.c_str(), programData + "\\Velmar Systems\\Common\\" + longPath},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(getCommonDataFolder(c.shared, c.further), c.folder.c_str());
    }
    // Nothing is created on disk.
    EXPECT_FALSE(isFolder(programData + "/Velmar Systems"));
}

TEST_F(CommonFolders, CommonDataFolderFallsBackWhenTheShellHasNone) {
    // A prefix below a regular file cannot be opened, so the shell names no folder.
    TempDir blocked;
    velmar::test::writeFileBytes(blocked.file("file"), "x");
    ScopedEnv prefix("VELMAR_PREFIX", (blocked.file("file") + "/prefix").c_str());
    EXPECT_EQ(getCommonDataFolder(true, "Images"),
              "C:\\programData\\Velmar Systems\\Common\\Images");
    EXPECT_EQ(getCommonDataFolder(false), "C:\\programData\\Velmar Systems");
}

TEST_F(CommonFolders, UserDataFolderOfAProgramNamedWith64) {
    TempDir data;
    const std::string xdg = data.path() + "/share";
    for (const char* program : {"viewer_64", "viewer_64.exe"}) {
        SCOPED_TRACE(program);
        const auto viewer =
            velmar::test::runProgram({velmar::test::binPath(program)}, {{"XDG_DATA_HOME", xdg}});
        EXPECT_EQ(viewer.exitCode, 0) << viewer.err;
        EXPECT_EQ(viewer.out, xdg + "\\Velmar Systems\\viewer");
    }
    EXPECT_TRUE(isFolder(xdg + "/Velmar Systems/viewer"));

    // This program's own name has no "_64"; without XDG_DATA_HOME the folder is below HOME.
    ScopedEnv noXdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", data.path().c_str());
    EXPECT_EQ(getUserDataFolder(),
              (data.path() + "/.local/share\\Velmar Systems\\install_folder_tests").c_str());
    EXPECT_TRUE(isFolder(data.path() + "/.local/share/Velmar Systems/install_folder_tests"));
}

TEST_F(CommonFolders, UserDataFolderEmptyWithoutAShellFolder) {
    ScopedEnv noXdg("XDG_DATA_HOME", nullptr);
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(getUserDataFolder(), "");
}

TEST_F(CommonFolders, EnvironmentWinsOverTheSetting) {
    CString folder("sentinel");
    {
        ScopedEnv unset("VELMAR_COMMON_FOLDER", nullptr);
        EXPECT_FALSE(getCommonFolder(folder));
        EXPECT_EQ(folder, "");

        ASSERT_TRUE(setCommonFolderValue("\\\\server\\settings"));
        EXPECT_TRUE(getCommonFolder(folder));
        EXPECT_EQ(folder, "\\\\server\\settings");
        EXPECT_FALSE(setCommonFolderValue(nullptr));
    }
    const std::string longFolder = "C:\\" + std::string(600, 'f');
    struct Case {
        const char* variable;
        const char* found;
    };
    const Case cases[] = {
        {"D:\\Exchange", "D:\\Exchange"},
        {longFolder.c_str(), longFolder.c_str()}, // used whole, whatever its length
        {"", "\\\\server\\settings"},             // an empty variable counts as not set
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable);
        ScopedEnv variable("VELMAR_COMMON_FOLDER", c.variable);
        folder = "sentinel";
        EXPECT_TRUE(getCommonFolder(folder));
        EXPECT_EQ(folder, c.found);
    }
    EXPECT_FALSE(velmar::fs::isFsRedirectionDisabled());
}

// A window on its own thread that records the setting-change notices it gets.
class NoticeWindow {
public:
    explicit NoticeWindow(bool answers) {
        std::promise<HWND> made;
        std::future<HWND> handle = made.get_future();
        m_thread = std::thread([this, answers, &made] {
            made.set_value(velmar::ui::createTopLevelWindow(&NoticeWindow::procedure));
            while (!m_stop) {
                if (answers) {
                    MSG message;
                    PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        handle.get();
    }
    NoticeWindow(const NoticeWindow&) = delete;
    NoticeWindow& operator=(const NoticeWindow&) = delete;
    ~NoticeWindow() {
        m_stop = true;
        m_thread.join();
    }

    static std::vector<std::string> notices() {
        std::lock_guard lock(s_mutex);
        return s_notices;
    }
    static void clear() {
        std::lock_guard lock(s_mutex);
        s_notices.clear();
    }

private:
    static LRESULT procedure(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_SETTINGCHANGE && wParam == 0) {
            std::lock_guard lock(s_mutex);
            s_notices.emplace_back(reinterpret_cast<const char*>(lParam));
        }
        return 0;
    }

    static inline std::mutex s_mutex;
    static inline std::vector<std::string> s_notices;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class Publishing : public InstallTest {
protected:
    void SetUp() override { NoticeWindow::clear(); }
};

TEST_F(Publishing, StoresThePathUnchangedAndTellsTheWindows) {
    NoticeWindow window(true);
    const std::string longPath = "\\\\server\\" + std::string(1000, 'p');
    struct Case {
        const char* path;
    };
    const Case cases[] = {
        {longPath.c_str()},
        {"\\\\server\\share\\velmar"}, // both leading backslashes stay
        {"dword:12"},                  // text, not a number
        {"hex:00,01"},
        {"C:\\Data\\\"quoted\" = x"},
        {"C:\\Daten\\M\xFC"
         "ller"},
        {""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        NoticeWindow::clear();
        EXPECT_TRUE(publishCommonFolder(c.path));
        const auto value =
            storedValue(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, "VELMAR_COMMON_FOLDER");
        EXPECT_EQ(value.type, REG_SZ);
        EXPECT_EQ(value.data, sz(c.path));
        EXPECT_EQ(NoticeWindow::notices(), std::vector<std::string>{"Environment"});
    }

    EXPECT_TRUE(publishDefaultSettingsFile("\\\\server\\share\\defaults.reg"));
    const auto file =
        storedValue(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, "VELMAR_DEFAULT_SETTINGS_FILE");
    EXPECT_EQ(file.type, REG_SZ);
    EXPECT_EQ(file.data, sz("\\\\server\\share\\defaults.reg"));
}

TEST_F(Publishing, ProcessWithoutWindowsCountsAsDelivered) {
    EXPECT_TRUE(publishDefaultSettingsFile("C:\\defaults.reg"));
}

TEST_F(Publishing, RunningProcessKeepsItsOwnEnvironment) {
    ScopedEnv variable("VELMAR_COMMON_FOLDER", "D:\\AtStart");
    EXPECT_TRUE(publishCommonFolder("E:\\Published"));
    CString folder;
    EXPECT_TRUE(getCommonFolder(folder));
    EXPECT_EQ(folder, "D:\\AtStart");
}

TEST_F(Publishing, NotElevatedStoresNothingAndSendsNothing) {
    NoticeWindow window(true);
    ScopedEnv ordinary("VELMAR_ELEVATED", "0");
    EXPECT_FALSE(publishCommonFolder("\\\\server\\share"));
    EXPECT_FALSE(publishDefaultSettingsFile("C:\\defaults.reg"));
    EXPECT_TRUE(NoticeWindow::notices().empty());
    EXPECT_EQ(storedValue(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, "VELMAR_COMMON_FOLDER").type,
              REG_NONE);
}

TEST_F(Publishing, HungWindowMakesItFalseAfterStoring) {
    NoticeWindow answering(true);
    NoticeWindow hung(false);
    EXPECT_FALSE(publishCommonFolder("C:\\Exchange"));
    EXPECT_EQ(storedValue(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, "VELMAR_COMMON_FOLDER").data,
              sz("C:\\Exchange"));
    EXPECT_EQ(NoticeWindow::notices(), std::vector<std::string>{"Environment"});
}

} // namespace
