// Where CreateProcessA finds a bare program name: after the program's and the current folder,
// the prefix's system folders (system32, then windows), then PATH.
#include "platform/prefix/prefix.h"
#include "platform/process/process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {

void writeProgram(const std::string& path, int code) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    velmar::test::writeFileBytes(path, "#!/bin/sh\nexit " + std::to_string(code) + "\n");
    ::chmod(path.c_str(), 0755);
}

TEST(ProgramSearch, SystemFoldersThenPathWithWindowsFolders) {
    velmar::test::TempPrefix prefix;
    const std::string windows = velmar::prefix::driveCPath() + "/windows";
    writeProgram(windows + "/system32/velmar_probe_a", 8);
    writeProgram(windows + "/velmar_probe_a", 7);
    writeProgram(windows + "/velmar_probe_b", 6);
    const std::string tools = prefix.path() + "/Tools";
    writeProgram(tools + "/velmar_probe_c.exe", 9);
    // A file that is not executable is never started: the search goes on past it.
    writeProgram(windows + "/system32/velmar_probe_e", 4);
    ::chmod((windows + "/system32/velmar_probe_e").c_str(), 0644);
    writeProgram(tools + "/velmar_probe_e", 5);
    writeProgram(windows + "/velmar_probe_f.exe", 3);
    ::chmod((windows + "/velmar_probe_f.exe").c_str(), 0644);
    // PATH as the host holds it, one folder typed the Windows way (and in another case).
    std::string windowsTools = prefix.path() + "/tools";
    std::replace(windowsTools.begin(), windowsTools.end(), '/', '\\');
    velmar::test::ScopedEnv path("PATH", ("/velmar/no/such/folder:" + windowsTools).c_str());
    struct Case {
        const char* name;
        long code;
    };
    const Case cases[] = {
        {"velmar_probe_a", 8},  {"velmar_probe_b", 6}, {"velmar_probe_c", 9},
        {"velmar_probe_d", -1}, {"velmar_probe_e", 5}, {"velmar_probe_f", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string line = c.name;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            nullptr, &process)) {
            EXPECT_EQ(c.code, -1);
            // Found but not executable says more than nothing found.
            EXPECT_EQ(GetLastError(), std::string(c.name) == "velmar_probe_f"
                                          ? ERROR_ACCESS_DENIED
                                          : ERROR_FILE_NOT_FOUND);
            continue;
        }
        EXPECT_EQ(WaitForSingleObject(process.hProcess, INFINITE), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
        EXPECT_EQ(static_cast<long>(code), c.code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

} // namespace
