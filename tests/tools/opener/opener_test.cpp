#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/process/process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using velmar::test::ScopedEnv;

// Records the arguments it gets into $SHELL_OPEN_CHILD_OUT.
const std::string kRecorder = std::string(VELMAR_BIN_DIR) + "/shell_open_child";

class Opener : public ::testing::Test {
protected:
    Opener() {
        EXPECT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
        std::filesystem::create_directories(m_driveC + "/Docs");
    }

    // Runs a Windows command line to its end as the launcher would start it; what the handler
    // got, or "exit <code>" when the program failed.
    std::string run(std::string line) const {
        std::filesystem::remove(m_out);
        PROCESS_INFORMATION started{};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                            nullptr, nullptr, nullptr, &started)) {
            return "not started: " + std::to_string(GetLastError());
        }
        WaitForSingleObject(started.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(started.hProcess, &code);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        std::string got;
        velmar::host::readFile(m_out.c_str(), got);
        return code == 0 ? got : "exit " + std::to_string(code);
    }

    velmar::test::TempPrefix m_prefix;
    const std::string m_driveC = velmar::prefix::driveCPath();
    const std::string m_windows = m_driveC + "/windows";
    const std::string m_out = m_prefix.path() + "/handler-out";
    ScopedEnv m_recorderOut{"SHELL_OPEN_CHILD_OUT", m_out.c_str()};
    ScopedEnv m_openWith{"VELMAR_OPEN_WITH", kRecorder.c_str()};
    ScopedEnv m_editWith{"VELMAR_EDIT_WITH", kRecorder.c_str()};
};

TEST_F(Opener, PlacedInTheWindowsFolderAndPutBackWhenMissing) {
    for (const char* name : {"explorer.exe", "notepad.exe"}) {
        const std::string path = m_windows + "/" + name;
        EXPECT_EQ(::access(path.c_str(), X_OK), 0) << name;
        std::filesystem::remove(path);
    }
    ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
    for (const char* name : {"explorer.exe", "notepad.exe"}) {
        EXPECT_EQ(::access((m_windows + "/" + name).c_str(), X_OK), 0) << name;
    }
}

TEST_F(Opener, HandlersGetTheHostPath) {
    const std::string explorer = "\"" + m_windows + "/explorer.exe\" ";
    const std::string notepad = "\"" + m_windows + "/notepad.exe\" ";
    const std::string deep = "C:\\" + std::string(120, 'a') + "\\" + std::string(120, 'b') + "\\" +
                             std::string(120, 'c') + "\\notes.txt";
    struct Case {
        std::string line;
        std::string handed;
    };
    const Case cases[] = {
        {explorer + "C:\\Docs", m_driveC + "/Docs"},
        {explorer + "/select,C:\\Docs\\a.txt", m_driveC + "/Docs"},
        {explorer + "/n,/E,\"C:\\Two Words\"", m_driveC + "/Two Words"},
        {explorer + "C:\\Two Words", m_driveC + "/Two Words"},
        {explorer + m_prefix.path(), m_prefix.path()},
        {notepad + "C:\\Docs\\a b.txt", m_driveC + "/Docs/a b.txt"},
        {notepad + deep, m_driveC + "/" + std::string(120, 'a') + "/" + std::string(120, 'b') +
                             "/" + std::string(120, 'c') + "/notes.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(run(c.line), c.handed + "\n");
    }
}

} // namespace
