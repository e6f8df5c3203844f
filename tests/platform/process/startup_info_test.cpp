// The start-up information: its text and its journey to a child through CreateProcessA.
#include "platform/host/host.h"
#include "platform/process/internal/startup_info.h"
#include "platform/process/process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using velmar::process::parseStartupText;
using velmar::process::startupText;

const std::string kChild = std::string(VELMAR_BIN_DIR) + "/spawn_child";

TEST(StartupInfo, TextRoundTripsAndMalformedTextCountsAsAbsent) {
    STARTUPINFOA info{};
    info.dwFlags = STARTF_USESHOWWINDOW | STARTF_USEPOSITION;
    info.wShowWindow = 65535;
    info.dwX = 4294967295u;
    info.dwY = 0x80000000u;
    info.dwXSize = 640;
    info.dwYSize = 480;
    const std::string text = startupText(info);
    EXPECT_EQ(text, "5 65535 4294967295 2147483648 640 480");
    STARTUPINFOA back{};
    ASSERT_TRUE(parseStartupText(text, back));
    EXPECT_EQ(startupText(back), text);

    for (const char* bad : {"", "1 2 3 4 5", "1 2 3 4 5 6 7", "1 2 3 4 5 6 ", " 1 2 3 4 5 6",
                            "1  2 3 4 5 6", "1 2 3 4 5 x", "1 -2 3 4 5 6", "+1 2 3 4 5 6",
                            "1 65536 3 4 5 6", "1 2 4294967296 4 5 6", "1,2,3,4,5,6"}) {
        SCOPED_TRACE(bad);
        STARTUPINFOA untouched{};
        untouched.dwX = 77;
        EXPECT_FALSE(parseStartupText(bad, untouched));
        EXPECT_EQ(untouched.dwX, 77u);
    }
}

TEST(StartupInfo, TravelsToTheChildAndReplacesAnInheritedOne) {
    velmar::test::ScopedEnv inherited("VELMAR_STARTUPINFO", "7 7 7 7 7 7");
    velmar::test::TempDir dir;
    const std::string out = dir.file("out");
    STARTUPINFOA given{};
    given.cb = sizeof given;
    given.dwFlags = STARTF_USESHOWWINDOW | STARTF_USEPOSITION | STARTF_USESIZE;
    given.wShowWindow = 3;
    given.dwX = 10;
    given.dwY = 20;
    given.dwXSize = 640;
    given.dwYSize = 480;
    // A caller's block may carry its own variable, in any letter case.
    const char block[] = "velmar_startupinfo=1 2 3 4 5 6\0VELMAR_OTHER=x\0";
    struct Case {
        const char* block;
        STARTUPINFOA* startup;
        const char* reported;
    };
    const Case cases[] = {
        {nullptr, &given, "ok 7 3 10 20 640 480\n"},
        {nullptr, nullptr, "ok 0 0 0 0 0 0\n"},
        {block, &given, "ok 7 3 10 20 640 480\n"},
        {block, nullptr, "ok 0 0 0 0 0 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.block != nullptr ? "block" : "ours") +
                     (c.startup != nullptr ? " with" : " without") + " start-up information");
        std::string line = kChild + " " + out + " startup";
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                                   const_cast<char*>(c.block), nullptr, c.startup, &process));
        EXPECT_EQ(WaitForSingleObject(process.hProcess, INFINITE), WAIT_OBJECT_0);
        DWORD code = 1;
        EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
        EXPECT_EQ(code, 0u);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::string reported;
        velmar::host::readFile(out.c_str(), reported);
        EXPECT_EQ(reported, c.reported);
    }
}

} // namespace
