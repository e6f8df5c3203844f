// Finding a sibling program: the variants' order, the developer tree above the caller with its
// "Path", the "Program Files (x86)" twin of a named folder, and the box when nothing is found.
// The walk starts from the caller's own folder, so those tests copy a calling program into a
// tree of their own.
#include "misc/process/process.h"
#include "tests/misc/process/launch_reports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

using velmar::test::binPath;
using velmar::test::launchReports;
using velmar::test::placeProgram;

namespace {

std::string fileNameOfPath(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The value after "<key> " in a caller's output.
std::string valueIn(const std::string& output, const std::string& key) {
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key + " ", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return "(no " + key + ")";
}

class ExecutableSearch : public ::testing::Test {
protected:
    velmar::test::ChildResult runCaller(const std::string& caller,
                                        const std::vector<std::string>& args) {
        std::vector<std::string> argv{caller};
        argv.insert(argv.end(), args.begin(), args.end());
        return velmar::test::runProgram(argv, {{"VELMAR_UI", "headless"},
                                               {"VELMAR_UI_TRACE", m_trace},
                                               {"VELMAR_LAUNCH_REPORT", m_report},
                                               {"userprofile", "/home/ada"}});
    }

    std::vector<std::string> boxes() const { return velmar::test::boxesIn(m_trace); }

    velmar::test::TempPrefix m_prefix;
    std::string m_tmp = m_prefix.path();
    std::string m_report = m_tmp + "/report.txt";
    std::string m_trace = m_tmp + "/trace.txt";
    velmar::test::ScopedEnv m_reportEnv{"VELMAR_LAUNCH_REPORT", m_report.c_str()};
};

TEST_F(ExecutableSearch, TheFirstVariantThatStartsWins) {
    struct Case {
        std::vector<std::string> present; // "!" before a name: there but not a program
        std::string started;              // empty: none
    };
    const std::vector<Case> cases{
        {{"tool_64", "tool.2022", "tool"}, "tool_64.exe"},
        {{"tool.2022", "tool"}, "tool.2022.exe"},
        {{"tool"}, "tool.exe"},
        {{"!tool_64", "tool"}, "tool.exe"},
        {{"!tool"}, ""},
        {{}, ""},
    };
    int round = 0;
    for (const Case& c : cases) {
        const std::string base = m_tmp + "/round" + std::to_string(++round) + "/";
        std::filesystem::create_directories(base);
        for (const std::string& name : c.present) {
            if (name[0] == '!') {
                velmar::test::writeFileBytes(base + name.substr(1) + ".exe", "not a program");
            } else {
                placeProgram("launch_report_child", base + name + ".exe");
            }
        }
        std::filesystem::remove(m_report);
        bool started = !c.started.empty();
        EXPECT_EQ(launchFirstVariant(false, base.c_str(), "tool", nullptr, false, true, nullptr,
                                     false, nullptr, started),
                  !c.started.empty());
        EXPECT_EQ(started, !c.started.empty());
        const auto reports = launchReports(m_report);
        ASSERT_EQ(reports.size(), c.started.empty() ? 0U : 1U) << "round " << round;
        if (!c.started.empty()) {
            EXPECT_EQ(fileNameOfPath(reports[0].self), c.started);
        }
    }
    // A file that is there but does not start still counts as present.
    bool started = true;
    EXPECT_TRUE(launchIfPresent(false, (m_tmp + "/round5/").c_str(), "tool", nullptr, false, false,
                                nullptr, false, nullptr, started));
    EXPECT_FALSE(started);
}

TEST_F(ExecutableSearch, ADeveloperTreeAboveTheCallerLeadsPathWhileItsProgramRuns) {
    // The personal build folder, then the tree's libraries; "Path" keeps them as host folders.
    const std::string developerPath =
        "/home/ada/VEL_Pack/x64/2017Build/Release;" + m_tmp + "/tree/dlls/release;";
    struct Case {
        std::string callerFolder;
        std::vector<std::string> programs;
        std::string started; // relative to the tree; empty: none
        bool developerTree;
    };
    const std::vector<Case> cases{
        {"src/bin", {"Executables/tool.exe"}, "Executables/tool.exe", true},
        {"src", {"Executables/tool.exe"}, "Executables/tool.exe", true},
        {"Src.old/a/b",
         {"Executables/tool.exe", "Executables/tool_64.exe"},
         "Executables/tool_64.exe",
         true},
        {"bin", {"Executables/tool.exe"}, "", false},
        {"src/bin", {"Executables/tool.exe", "src/bin/tool.exe"}, "src/bin/tool.exe", false},
    };
    for (const Case& c : cases) {
        const std::string tree = m_tmp + "/tree";
        std::filesystem::remove_all(tree);
        std::filesystem::remove(m_report);
        const std::string caller = tree + "/" + c.callerFolder + "/launch_caller";
        placeProgram("launch_caller", caller);
        for (const std::string& program : c.programs) {
            placeProgram("launch_report_child", tree + "/" + program);
        }
        const auto result = runCaller(caller, {"find", "tool", "-", "-", "0", "1"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const std::string before = valueIn(result.out, "path-before");
        EXPECT_EQ(valueIn(result.out, "result"), c.started.empty() ? "0" : "1") << c.callerFolder;
        EXPECT_EQ(valueIn(result.out, "path-after"), before) << c.callerFolder;
        const auto reports = launchReports(m_report);
        ASSERT_EQ(reports.size(), c.started.empty() ? 0U : 1U) << c.callerFolder;
        if (!c.started.empty()) {
            EXPECT_EQ(fileNameOfPath(reports[0].self), fileNameOfPath(c.started));
            EXPECT_EQ(reports[0].path, (c.developerTree ? developerPath : "") + before)
                << c.callerFolder;
        }
    }
}

TEST_F(ExecutableSearch, TheProgramFilesTwinIsTriedAfterTheNamedFolder) {
    const std::string name = "velmar_twin_probe";
    const std::string x64 = m_tmp + "/Program Files/Velmar";
    const std::string x86 = m_tmp + "/Program Files (x86)/Velmar";
    struct Case {
        std::string extra;
        std::vector<std::string> folders; // where the program is
        std::string started;              // empty: none
    };
    const std::vector<Case> cases{
        {x64, {x86}, x86},
        {x64 + "/", {x86}, x86},
        {x64 + "\\", {x64, x86}, x64},
        // Already the 32-bit folder: no second attempt, which would look here.
        {x86, {m_tmp + "/Program Files (x86) (x86)/Velmar"}, ""},
        {x64, {}, ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(m_tmp + "/Program Files");
        std::filesystem::remove_all(m_tmp + "/Program Files (x86)");
        std::filesystem::remove_all(m_tmp + "/Program Files (x86) (x86)");
        std::filesystem::remove(m_report);
        for (const std::string& folder : c.folders) {
            placeProgram("launch_report_child", folder + "/" + name + ".exe");
        }
        EXPECT_EQ(findAndLaunch(name.c_str(), nullptr, c.extra.c_str(), false, true, nullptr, false,
                                nullptr),
                  !c.started.empty())
            << c.extra;
        const auto reports = launchReports(m_report);
        ASSERT_EQ(reports.size(), c.started.empty() ? 0U : 1U) << c.extra;
        if (!c.started.empty()) {
            EXPECT_EQ(reports[0].self, c.started + "/" + name + ".exe");
        }
    }
}

TEST_F(ExecutableSearch, NothingFoundIsReportedOnlyWhenAsked) {
    const std::string extra = m_tmp + "/extra";
    std::filesystem::create_directories(m_tmp + "/broken");
    velmar::test::writeFileBytes(m_tmp + "/broken/velmar_broken.exe", "not a program");
    const std::string launchFailed =
        "message-box \"GetLastError\" text=" +
        velmar::test::traceQuoted("Failed to launch \"" + m_tmp +
                                  "/broken\\velmar_broken.exe x\"\nAccess is denied.\r\n") +
        " buttons=OK default=OK icon=information";
    struct Case {
        std::string name;
        std::string extra;
        std::string report;
        std::vector<std::string> boxes;
    };
    const std::vector<Case> cases{
        {"velmar_nowhere",
         extra,
         "1",
         {"message-box \"launch_caller\" text=\"Failed to find: velmar_nowhere\" buttons=OK "
          "default=OK"}},
        {"velmar_nowhere", "-", "0", {}},
        {"velmar_broken",
         m_tmp + "/broken",
         "1",
         {launchFailed,
          "message-box \"launch_caller\" text=\"Failed to find: velmar_broken\" buttons=OK "
          "default=OK"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(m_trace);
        const auto result =
            runCaller(binPath("launch_caller"), {"find", c.name, "x", c.extra, c.report, "0"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(valueIn(result.out, "result"), "0");
        EXPECT_EQ(boxes(), c.boxes) << c.name;
    }
}

} // namespace
