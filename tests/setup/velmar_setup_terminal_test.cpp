// VelmarSetup in a real terminal: a detached tmux session of 80 x 24, the question answered
// with Enter on the focused Yes. The installation is removed while the question is up, so
// Yes runs the installer alone.
#include "platform/registry/registry.h"
#include "tests/support/child_process.h"
#include "tests/support/install_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

bool haveTmux() {
    return velmar::test::runProgram({"/bin/sh", "-c", "command -v tmux"}).exitCode == 0;
}

class TerminalSetup : public velmar::test::InstallTest {
protected:
    void SetUp() override {
        if (!haveTmux()) {
            GTEST_SKIP() << "tmux is not installed (apt-get install tmux)";
        }
        std::filesystem::copy_file(velmar::test::binPath("VelmarSetup"),
                                   m_program.file("VelmarSetup"));
        std::filesystem::copy_file(velmar::test::binPath("recording_installer"),
                                   m_program.file("setup.exe"));
    }
    void TearDown() override {
        if (!m_name.empty()) {
            tmux({"kill-session", "-t", m_name});
        }
    }

    void start() {
        m_name = "velmar-setup-" + std::to_string(::getpid());
        // The tmux server keeps the environment of whoever started it: say everything here.
        const std::string command =
            "cd " + m_files.path() + " && VELMAR_PREFIX=" + m_prefix.prefix() +
            " VELMAR_ELEVATED=1 VELMAR_UI=terminal VELMAR_SCREEN=1920x1080@96"
            " VELMAR_TEST_INSTALLER_LOG=" +
            m_files.file("log") + " " + m_program.file("VelmarSetup") +
            "; echo \"--- ended $?\"; sleep 30";
        tmux({"new-session", "-d", "-x", "80", "-y", "24", "-s", m_name, command});
    }
    void tmux(std::vector<std::string> args) {
        args.insert(args.begin(), {"/usr/bin/env", "tmux", "-L", "velmar-test"});
        velmar::test::runProgram(args);
    }
    // Waits until the screen shows text (20 seconds at most, for a loaded machine); the screen.
    std::string waitFor(const std::string& text) {
        std::string shown;
        for (int i = 0; i < 400; ++i) {
            shown = velmar::test::runProgram({"/usr/bin/env", "tmux", "-L", "velmar-test",
                                              "capture-pane", "-p", "-J", "-t", m_name})
                        .out;
            if (shown.find(text) != std::string::npos) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return shown;
    }

    velmar::test::TempDir m_program;
    velmar::test::TempDir m_files;
    std::string m_name;
};

TEST_F(TerminalSetup, EnterOnTheFocusedYesAfterTheInstallationWentRunsOnlyTheInstaller) {
    velmar::test::storeInstallationText("VelmarDir", "C:\\Velmar");
    start();
    std::string shown = waitFor("[[ Yes ]]");
    EXPECT_NE(shown.find("A previous version of Velmar Software has been detected."),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("[ No ]"), std::string::npos) << shown;

    velmar::registry::Key key;
    ASSERT_EQ(key.open(HKEY_LOCAL_MACHINE, velmar::test::kInstallationKey,
                       KEY_ALL_ACCESS | KEY_WOW64_32KEY),
              ERROR_SUCCESS);
    ASSERT_EQ(key.deleteValue("VelmarDir"), ERROR_SUCCESS);
    tmux({"send-keys", "-t", m_name, "Enter"});

    shown = waitFor("--- ended");
    EXPECT_NE(shown.find("--- ended 0"), std::string::npos) << shown;
    // The installer alone, with its name as its whole command line.
    const std::string log = velmar::test::readFileBytes(m_files.file("log"));
    EXPECT_EQ(log.find("[/uninst]"), std::string::npos) << log;
    EXPECT_NE(log.find("start  "), std::string::npos) << log;
    EXPECT_NE(log.find("end  "), std::string::npos) << log;
}

} // namespace
