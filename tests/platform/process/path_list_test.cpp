// PATH as a Windows list: set and read back through the host's list, and given to a child.
#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/process/process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(PathList, WindowsFoldersAreKeptAsTheirHostFolders) {
    velmar::test::TempPrefix prefix;
    velmar::test::ScopedEnv restore("PATH", std::getenv("PATH"));
    const std::string drive = velmar::prefix::driveCPath();
    struct Case {
        std::string set;
        std::string host;
        std::string read;
    };
    const Case cases[] = {
        {"C:\\x;/usr/bin", drive + "/x:/usr/bin", drive + "/x;/usr/bin"},
        {"c:/Tools/Bin;C:\\a\\..\\b", drive + "/Tools/Bin:" + drive + "/b",
         drive + "/Tools/Bin;" + drive + "/b"},
        {"/opt/a;;/usr/bin", "/opt/a::/usr/bin", "/opt/a;;/usr/bin"},
        {"/opt/45\xB0", "/opt/45\xC2\xB0", "/opt/45\xB0"},
        {"", "", ""},
        // Folders that cannot be mapped stay as typed; a drive's colon then splits its folder.
        {"Q:\\none;/bin", "Q:\\none:/bin", "Q;\\none;/bin"},
        {"\\\\server\\share;/bin", "\\\\server\\share:/bin", "\\\\server\\share;/bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        ASSERT_TRUE(SetEnvironmentVariableA("Path", c.set.c_str()));
        EXPECT_EQ(std::getenv("PATH"), c.host);
        std::string read;
        ASSERT_TRUE(velmar::process::environmentValue("path", read));
        EXPECT_EQ(read, c.read);
    }
}

TEST(PathList, AChildGetsTheHostListOfItsBlocksPath) {
    velmar::test::TempPrefix prefix;
    const std::string drive = velmar::prefix::driveCPath();
    const std::string out = prefix.path() + "/out";
    const char block[] = "Path=C:\\x;/usr/bin\0VELMAR_OTHER=x\0";
    std::string line = std::string(VELMAR_BIN_DIR) + "/spawn_child " + out + " path";
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                               const_cast<char*>(block), nullptr, nullptr, &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, INFINITE), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string reported;
    velmar::host::readFile(out.c_str(), reported);
    EXPECT_EQ(reported, drive + "/x:/usr/bin\n" + drive + "/x;/usr/bin\n");
}

} // namespace
