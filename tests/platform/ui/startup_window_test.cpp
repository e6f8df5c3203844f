// The start-up information that CreateProcessA passes on decides where the child's first
// window goes and how SW_SHOWDEFAULT shows it.
#include "platform/host/host.h"
#include "platform/process/process.h"
#include "platform/ui/ui.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The child's report, or "" when it failed.
std::string runChild(const std::string& out, STARTUPINFOA* startup) {
    std::string line = std::string(VELMAR_BIN_DIR) + "/startup_window_child " + out;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, startup,
                        &process)) {
        return {};
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string report;
    velmar::host::readFile(out.c_str(), report);
    return code == 0 ? report : std::string();
}

TEST(StartupWindow, FirstWindowTakesThePlaceAndShowStateGiven) {
    velmar::test::TempPrefix prefix;
    const std::string out = prefix.path() + "/out";
    const std::string given = "30 40 300 200 ";
    const std::string plain = runChild(out, nullptr);
    ASSERT_FALSE(plain.empty());
    EXPECT_NE(plain.substr(0, given.size()), given);
    EXPECT_NE(plain.find(" normal\n"), std::string::npos) << plain;

    struct Case {
        DWORD flags;
        WORD show;
        const char* first; // the first window's line, or null to check its state only
    };
    const Case cases[] = {
        {STARTF_USEPOSITION | STARTF_USESIZE, SW_SHOWMAXIMIZED, "30 40 300 200 normal\n"},
        {STARTF_USEPOSITION | STARTF_USESIZE | STARTF_USESHOWWINDOW, SW_HIDE,
         "30 40 300 200 hidden\n"},
        {STARTF_USEPOSITION | STARTF_USESIZE | STARTF_USESHOWWINDOW, SW_SHOWMINIMIZED, nullptr},
        {STARTF_USESHOWWINDOW, SW_SHOWMAXIMIZED, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.flags) + " " + std::to_string(c.show));
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = c.flags;
        startup.wShowWindow = c.show;
        startup.dwX = 30;
        startup.dwY = 40;
        startup.dwXSize = 300;
        startup.dwYSize = 200;
        const std::string report = runChild(out, &startup);
        ASSERT_FALSE(report.empty());
        const std::string first = report.substr(0, report.find('\n') + 1);
        if (c.first != nullptr) {
            EXPECT_EQ(first, c.first);
        } else {
            const std::string state = c.show == SW_SHOWMINIMIZED ? "iconic\n" : "zoomed\n";
            EXPECT_EQ(first.substr(first.rfind(' ') + 1), state);
        }
        // The second window goes to the default place.
        EXPECT_NE(report.substr(report.find('\n') + 1, given.size()), given);
    }
}

} // namespace
