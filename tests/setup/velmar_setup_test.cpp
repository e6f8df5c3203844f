// VelmarSetup end to end: the real program, copied into a folder of its own with a recording
// setup.exe, driven headless by a script, in a private prefix. What it started and when is in
// the installer's log; what the user saw is in the presenter's trace. Times are checked only as
// lower bounds.
#include "platform/registry/registry.h"
#include "tests/support/child_process.h"
#include "tests/support/install_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using velmar::test::kInstallationKey;

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Launch {
    std::string what; // "start" or "end"
    std::string args; // "[/uninst]" or ""
    long long ms = 0;
};

struct SetupRun {
    int exitCode = -1;
    long long endedMs = 0;
    std::string trace;
    std::vector<Launch> launches;

    std::string launchList() const {
        std::string list;
        for (const Launch& launch : launches) {
            list += launch.what + " " + launch.args + ";";
        }
        return list;
    }
    // Where the line is in the trace; npos when it is not.
    std::size_t at(const std::string& line) const { return trace.find(line); }
    int count(const std::string& line) const {
        int n = 0;
        for (std::size_t at = trace.find(line); at != std::string::npos;
             at = trace.find(line, at + 1)) {
            ++n;
        }
        return n;
    }
};

constexpr const char* kUninstalling = R"(= "Uninstalling...")";
constexpr const char* kUninstalled = R"(= "Uninstall complete...  Beginning new installation.")";
constexpr const char* kInstalled = R"(= "Installation complete...  Exiting.")";
constexpr const char* kMissingInstall =
    R"(message-box "Failed to launch executable" text="Failed to launch \"\"setup.exe\"\"" buttons=OK)";
constexpr const char* kMissingUninstall =
    R"(message-box "Failed to launch executable" text="Failed to launch \"setup.exe /uninst\"" buttons=OK)";

class Bootstrapper : public velmar::test::InstallTest {
protected:
    Bootstrapper() { std::filesystem::copy_file(velmar::test::binPath("VelmarSetup"), program()); }

    std::string program() const { return m_programFolder.file("VelmarSetup"); }

    // The recording installer as setup.exe in folder.
    static void placeInstaller(const std::string& folder) {
        std::filesystem::copy_file(velmar::test::binPath("recording_installer"),
                                   folder + "/setup.exe");
    }
    void placeInstallerBesideProgram() { placeInstaller(m_programFolder.path()); }

    // Runs VelmarSetup in folder (a folder without setup.exe unless given) to its end.
    SetupRun run(const std::string& script, int installerMs = 0, std::string folder = "") {
        if (folder.empty()) {
            folder = m_files.path();
        }
        velmar::test::writeFileBytes(m_files.file("steps"), script);
        // Each run is seen on its own: the presenter and the installer append.
        std::filesystem::remove(m_files.file("trace"));
        std::filesystem::remove(m_files.file("log"));
        const std::vector<std::pair<std::string, std::string>> env{
            {"VELMAR_UI", "headless"},
            {"VELMAR_UI_SCRIPT", m_files.file("steps")},
            {"VELMAR_UI_TRACE", m_files.file("trace")},
            {"VELMAR_TEST_INSTALLER_LOG", m_files.file("log")},
            {"VELMAR_TEST_INSTALLER_MS", std::to_string(installerMs)}};
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (const auto& [name, value] : env) {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
            if (::chdir(folder.c_str()) != 0) {
                ::_exit(126);
            }
            ::execl(program().c_str(), program().c_str(), nullptr);
            ::_exit(127);
        }
        SetupRun result;
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.endedMs = nowMs();
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.trace = velmar::test::readFileBytes(m_files.file("trace"));
        std::istringstream log(velmar::test::readFileBytes(m_files.file("log")));
        std::string line;
        while (std::getline(log, line)) {
            Launch launch;
            const std::size_t first = line.find(' ');
            const std::size_t last = line.rfind(' ');
            launch.what = line.substr(0, first);
            launch.args = line.substr(first + 1, last - first - 1);
            launch.ms = std::stoll(line.substr(last + 1));
            result.launches.push_back(launch);
        }
        return result;
    }

    velmar::test::TempDir m_programFolder;
    velmar::test::TempDir m_files;
};

// Without a readable VelmarDir in the machine's 32-bit view the installer runs at once, with
// the quoted name alone as its command line, and the question is never put.
TEST_F(Bootstrapper, WithoutARegisteredInstallationInstallsAtOnce) {
    const struct {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"no key", [] {}},
        {"key without VelmarDir",
         [] { velmar::test::storeInstallationText("VelmarDir64", "C:\\Velmar"); }},
        {"VelmarDir of 260 characters",
         [] { velmar::test::storeInstallationText("VelmarDir", std::string(260, 'v')); }},
        {"64-bit view only",
         [] { velmar::test::storeInstallationText("VelmarDir", "C:\\Velmar", KEY_WOW64_64KEY); }},
        {"current user only",
         [] {
             velmar::registry::Key key;
             ASSERT_EQ(key.create(HKEY_CURRENT_USER, kInstallationKey, KEY_ALL_ACCESS),
                       ERROR_SUCCESS);
             ASSERT_EQ(key.setValue("VelmarDir", REG_SZ, "C:\\Velmar", 10), ERROR_SUCCESS);
         }},
    };
    placeInstallerBesideProgram();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        velmar::test::TempPrefix prefix;
        c.arrange();
        const SetupRun result = run("");
        EXPECT_EQ(result.exitCode, 0) << result.trace;
        EXPECT_EQ(result.launchList(), "start ;end ;") << result.trace;
        EXPECT_EQ(result.at(kUninstalling), std::string::npos) << result.trace;
        EXPECT_EQ(result.at("message-box"), std::string::npos) << result.trace;
    }
}

// A readable VelmarDir of any type is an installation: the question is put, and No, Escape or
// the close box start nothing.
TEST_F(Bootstrapper, NoOrEscapeOnTheQuestionStartsNothing) {
    const struct {
        const char* name;
        DWORD type;
        std::string bytes;
        const char* script;
    } cases[] = {
        {"259 characters, No", REG_SZ, velmar::test::sz(std::string(259, 'v')), "click No\n"},
        {"a number, No", REG_DWORD, std::string("\x01\x00\x00\x00", 4), "click No\n"},
        {"a text, Escape", REG_SZ, velmar::test::sz("C:\\Velmar"), "key Escape\n"},
        {"a text, the close box", REG_SZ, velmar::test::sz("C:\\Velmar"), "close\n"},
    };
    placeInstallerBesideProgram();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        velmar::test::TempPrefix prefix;
        velmar::test::storeInstallationBytes("VelmarDir", c.type, c.bytes);
        const SetupRun result = run(c.script);
        EXPECT_EQ(result.exitCode, 0) << result.trace;
        EXPECT_EQ(result.launchList(), "") << result.trace;
        EXPECT_NE(result.at(R"(shown "Velmar Setup")"), std::string::npos) << result.trace;
        EXPECT_EQ(result.at(kUninstalling), std::string::npos) << result.trace;
    }
}

// Yes: the buttons go, the uninstaller runs, then after the pause the installer; the program
// ends a second after the last text.
TEST_F(Bootstrapper, YesUninstallsThenInstallsWithTheTextsInOrder) {
    placeInstallerBesideProgram();
    velmar::test::storeInstallationText("VelmarDir", "C:\\Velmar");
    const SetupRun result = run("click Yes\n", 300);
    EXPECT_EQ(result.exitCode, 0) << result.trace;
    ASSERT_EQ(result.launchList(), "start [/uninst];end [/uninst];start ;end ;") << result.trace;
    EXPECT_GE(result.launches[2].ms - result.launches[1].ms, 500);
    EXPECT_GE(result.endedMs - result.launches[3].ms, 1000);

    const std::size_t hiddenNo = result.at(R"(hidden "Velmar Setup"/#1002)");
    const std::size_t uninstalling = result.at(kUninstalling);
    const std::size_t uninstalled = result.at(kUninstalled);
    const std::size_t installed = result.at(kInstalled);
    ASSERT_NE(hiddenNo, std::string::npos) << result.trace;
    ASSERT_NE(installed, std::string::npos) << result.trace;
    EXPECT_LT(result.at(R"(hidden "Velmar Setup"/#1001)"), hiddenNo) << result.trace;
    EXPECT_LT(hiddenNo, uninstalling) << result.trace;
    EXPECT_LT(uninstalling, uninstalled) << result.trace;
    EXPECT_LT(uninstalled, installed) << result.trace;
}

// A setup.exe that cannot be found: one box in the direct path; in the Yes path the box for
// the uninstall, then the one for the install, with both progress texts shown all the same.
TEST_F(Bootstrapper, MissingInstallerIsReportedAndTheFlowGoesOn) {
    const SetupRun direct = run("");
    EXPECT_EQ(direct.exitCode, 0) << direct.trace;
    EXPECT_EQ(direct.count("message-box"), 1) << direct.trace;
    EXPECT_NE(direct.at(kMissingInstall), std::string::npos) << direct.trace;

    velmar::test::storeInstallationText("VelmarDir", "C:\\Velmar");
    const SetupRun yes = run("click Yes\n");
    EXPECT_EQ(yes.exitCode, 0) << yes.trace;
    EXPECT_EQ(yes.count("message-box"), 2) << yes.trace;
    const std::size_t uninstallBox = yes.at(kMissingUninstall);
    const std::size_t uninstalled = yes.at(kUninstalled);
    const std::size_t installBox = yes.at(kMissingInstall);
    const std::size_t installed = yes.at(kInstalled);
    ASSERT_NE(uninstallBox, std::string::npos) << yes.trace;
    ASSERT_NE(installBox, std::string::npos) << yes.trace;
    EXPECT_LT(yes.at(kUninstalling), uninstallBox) << yes.trace;
    EXPECT_LT(uninstallBox, uninstalled) << yes.trace;
    EXPECT_LT(uninstalled, installBox) << yes.trace;
    EXPECT_LT(installBox, installed) << yes.trace;
}

// Not beside the program, setup.exe is found in the current folder.
TEST_F(Bootstrapper, FindsTheInstallerInTheCurrentFolder) {
    velmar::test::TempDir current;
    placeInstaller(current.path());
    const SetupRun result = run("", 0, current.path());
    EXPECT_EQ(result.exitCode, 0) << result.trace;
    EXPECT_EQ(result.launchList(), "start ;end ;") << result.trace;
}

} // namespace
