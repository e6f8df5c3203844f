// Starting programs: the command line and working folder the child gets, waiting and the
// handle given to the caller, the start-up information, the failure boxes, and the Explorer
// and Notepad openers with their programs in the prefix's Windows folder.
#include "misc/process/process.h"
#include "tests/misc/process/launch_reports.h"

#include "platform/process/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using velmar::test::binPath;
using velmar::test::launchReports;
using velmar::test::placeProgram;

namespace {

const std::string kNotFound = "The system cannot find the file specified.\r\n";

std::string failureBox(const std::string& text) {
    return "message-box \"GetLastError\" text=" + velmar::test::traceQuoted(text) +
           " buttons=OK default=OK icon=information";
}

class Launch : public ::testing::Test {
protected:
    std::string windowsFolder() {
        char folder[MAX_PATH];
        const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
        std::filesystem::create_directories(std::string(folder, length));
        return std::string(folder, length);
    }

    // launch_caller with the test's report file and the headless presenter; its output.
    velmar::test::ChildResult runCaller(const std::vector<std::string>& args) {
        std::vector<std::string> argv{binPath("launch_caller")};
        argv.insert(argv.end(), args.begin(), args.end());
        return velmar::test::runProgram(argv, {{"VELMAR_UI", "headless"},
                                               {"VELMAR_UI_TRACE", m_trace},
                                               {"VELMAR_LAUNCH_REPORT", m_report}});
    }

    std::vector<std::string> boxes() const { return velmar::test::boxesIn(m_trace); }

    // The reports once there are count of them: the openers do not wait for their programs.
    std::vector<velmar::test::LaunchReport> reportsOnceThere(std::size_t count) const {
        for (int i = 0; i < 1000 && launchReports(m_report).size() < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return launchReports(m_report);
    }

    velmar::test::TempPrefix m_prefix;
    std::string m_report = m_prefix.path() + "/report.txt";
    std::string m_trace = m_prefix.path() + "/trace.txt";
    velmar::test::ScopedEnv m_reportEnv{"VELMAR_LAUNCH_REPORT", m_report.c_str()};
};

TEST_F(Launch, StartsTheQuotedProgramWithItsArgumentsUnchangedInTheWorkingFolder) {
    const std::string program = m_prefix.path() + "/with space/report child";
    placeProgram("launch_report_child", program);
    const std::string folder = m_prefix.path() + "/work folder";
    std::filesystem::create_directories(folder);
    struct Case {
        const char* arguments;
        const char* workingFolder;
        std::vector<std::string> args;
    };
    const std::vector<Case> cases{
        {nullptr, nullptr, {}},
        {"one  two", folder.c_str(), {"one", "two"}},
        {R"("a b" c\"d "")", nullptr, {"a b", "c\"d", ""}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(m_report);
        ASSERT_TRUE(
            launchProgram(program.c_str(), c.arguments, false, true, c.workingFolder, false));
        const auto reports = launchReports(m_report);
        ASSERT_EQ(reports.size(), 1U) << "waited for the child";
        EXPECT_EQ(reports[0].self, program);
        EXPECT_EQ(reports[0].args, c.args);
        EXPECT_EQ(reports[0].cwd, c.workingFolder != nullptr
                                      ? std::string(c.workingFolder)
                                      : std::filesystem::current_path().string());
    }
}

TEST_F(Launch, TheSecondFormHandsOverTheOpenHandleWithoutWaiting) {
    HANDLE process = nullptr;
    ASSERT_TRUE(launchProgram(binPath("launch_exit_child").c_str(), "7 1500", false, true, nullptr,
                              false, &process));
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 7U);
    EXPECT_TRUE(CloseHandle(process));
}

TEST_F(Launch, AFailedStartShowsItsBoxOnlyWhenAsked) {
    const std::string missing = m_prefix.path() + "/missing program";
    struct Case {
        std::string arguments;
        std::string report;
        std::vector<std::string> boxes;
    };
    const std::vector<Case> cases{
        {"-", "1", {failureBox("Failed to launch \"\"" + missing + "\"\"\n" + kNotFound)}},
        {"-x \"y z\"",
         "1",
         {failureBox("Failed to launch \"" + missing + " -x \"y z\"\"\n" + kNotFound)}},
        {"-x", "0", {}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(m_trace);
        const auto result = runCaller({"launch", missing, c.arguments, c.report, "1", "0"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, "result 0\n");
        EXPECT_EQ(boxes(), c.boxes);
    }
}

TEST_F(Launch, TheChildIsShownAsTheCallerWasUnlessShownNormally) {
    struct Case {
        const char* showNormal;
        unsigned long flags;
        unsigned long show;
    };
    for (const Case& c : {Case{"0", STARTF_USESHOWWINDOW | STARTF_USEPOSITION, 7},
                          Case{"1", STARTF_USESHOWWINDOW, SW_SHOW}}) {
        std::filesystem::remove(m_report);
        // The caller itself started minimised (SW_SHOWMINNOACTIVE) at a given place.
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USEPOSITION;
        startup.wShowWindow = 7;
        startup.dwX = 10;
        startup.dwY = 20;
        std::string commandLine = "\"" + binPath("launch_caller") + "\" launch \"" +
                                  binPath("launch_report_child") + "\" - 0 1 " + c.showNormal;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &info));
        EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        const auto reports = launchReports(m_report);
        ASSERT_EQ(reports.size(), 1U);
        EXPECT_EQ(reports[0].flags, c.flags) << "show normally: " << c.showNormal;
        EXPECT_EQ(reports[0].show, c.show) << "show normally: " << c.showNormal;
    }
}

TEST_F(Launch, ExplorerGetsItsArgumentAsItStandsInASizedWindow) {
    placeProgram("launch_report_child", windowsFolder() + "/explorer.exe");
    const std::string folder = m_prefix.path() + "/a b";
    const std::string longName(300, 'x');
    struct Case {
        std::string argument;
        std::vector<std::string> args;
    };
    const std::vector<Case> cases{
        {"\"" + folder + "\"", {folder}},
        {"/select," + folder, {"/select," + m_prefix.path() + "/a", "b"}},
        {longName, {longName}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(m_report);
        ASSERT_TRUE(openInExplorer(c.argument.c_str()));
        const auto reports = reportsOnceThere(1);
        ASSERT_EQ(reports.size(), 1U);
        EXPECT_EQ(reports[0].args, c.args);
        EXPECT_NE(reports[0].flags & STARTF_USESIZE, 0U);
        EXPECT_EQ(reports[0].width, 700U);
        EXPECT_EQ(reports[0].height, 450U);
    }
}

TEST_F(Launch, AnExplorerThatCannotStartShowsTheSystemsText) {
    // Newer than the prefix's own, so the prefix leaves it in place.
    const std::string explorer = windowsFolder() + "/explorer.exe";
    std::filesystem::remove(explorer);
    velmar::test::writeFileBytes(explorer, "not a program");
    const auto result = runCaller({"explorer", m_prefix.path()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "result 0\n");
    EXPECT_EQ(boxes(), std::vector<std::string>{failureBox("Access is denied.\r\n")});
}

TEST_F(Launch, NotepadOpensAnExistingFileWhoseCommandLineFits) {
    const std::string notepad = windowsFolder() + "\\notepad.exe";
    placeProgram("launch_report_child", windowsFolder() + "/notepad.exe");
    // A file whose name makes the command line "<notepad> <file>" size characters long.
    const auto fileOfLength = [&](std::size_t size) {
        const std::size_t fixed = notepad.size() + 1 + m_prefix.path().size() + 1;
        EXPECT_LT(fixed, size) << "the temporary folder's path is too long for this test";
        const std::string file = m_prefix.path() + "/" + std::string(size - fixed, 'n');
        velmar::test::writeFileBytes(file, "text");
        return file;
    };
    const std::string tooLong = fileOfLength(260);
    const std::string fits = fileOfLength(259);
    // The refusals first: had they started anything, it would report before the last one.
    for (const std::string& refused : {m_prefix.path() + "/missing.txt", tooLong}) {
        const auto result = runCaller({"notepad", refused});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, "result 0\n") << refused;
    }
    const auto result = runCaller({"notepad", fits});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "result 1\n");
    const auto reports = reportsOnceThere(1);
    ASSERT_EQ(reports.size(), 1U);
    EXPECT_EQ(reports[0].args, std::vector<std::string>{fits});
    EXPECT_EQ(reports[0].width, 700U);
    EXPECT_TRUE(boxes().empty());
}

} // namespace
