// The terminal presenter in a real terminal: dialog_demo in a detached tmux session of 80 x 24,
// keys sent with send-keys, the screen read back with capture-pane.
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using velmar::test::TempDir;

namespace {

bool haveTmux() {
    return velmar::test::runProgram({"/bin/sh", "-c", "command -v tmux"}).exitCode == 0;
}

class TmuxSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveTmux()) {
            GTEST_SKIP() << "tmux is not installed";
        }
        m_name = "velmar-ui-" + std::to_string(::getpid());
        // The tmux server keeps the environment of whoever started it: say everything here.
        const std::string command = "VELMAR_PREFIX=" + m_dir.path() +
                                    "/prefix VELMAR_UI=terminal VELMAR_SCREEN=1920x1080@96 " +
                                    velmar::test::binPath("dialog_demo") + " " + m_dir.path() +
                                    "; echo '--- ended'; sleep 30";
        tmux({"new-session", "-d", "-x", "80", "-y", "24", "-s", m_name, command});
    }
    void TearDown() override {
        if (!m_name.empty()) {
            tmux({"kill-session", "-t", m_name});
        }
    }

    void tmux(std::vector<std::string> args) {
        args.insert(args.begin(), {"tmux", "-L", "velmar-test"});
        std::vector<std::string> argv{"/usr/bin/env"};
        argv.insert(argv.end(), args.begin(), args.end());
        velmar::test::runProgram(argv);
    }
    std::string screen() {
        std::vector<std::string> argv{"/usr/bin/env", "tmux", "-L", "velmar-test", "capture-pane",
                                      "-p",           "-J",   "-t", m_name};
        return velmar::test::runProgram(argv).out;
    }
    // Waits until the screen shows text (20 seconds at most, for a loaded machine); the screen.
    std::string waitFor(const std::string& text) {
        std::string shown;
        for (int i = 0; i < 400; ++i) {
            shown = screen();
            if (shown.find(text) != std::string::npos) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return shown;
    }
    void keys(const std::string& keys) { tmux({"send-keys", "-t", m_name, keys}); }

    TempDir m_dir;
    std::string m_name;
};

TEST_F(TmuxSession, TheDialogsAreDrawnAndAnsweredFromTheKeyboard) {
    std::string shown = waitFor("[ Quit ]");
    EXPECT_NE(shown.find("+- Demo "), std::string::npos) << shown;
    EXPECT_NE(shown.find("Name:"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[___"), std::string::npos) << "the edit has the focus\n" << shown;
    EXPECT_NE(shown.find("[ Go ]"), std::string::npos) << shown;

    keys("Ada");
    shown = waitFor("[Ada_");
    EXPECT_NE(shown.find("[Ada_"), std::string::npos) << shown;
    keys("Tab");
    shown = waitFor("[[ Go ]]");
    EXPECT_NE(shown.find("[[ Go ]]"), std::string::npos) << "Tab moves the focus brackets\n"
                                                         << shown;
    EXPECT_EQ(shown.find("[Ada_"), std::string::npos) << shown;
    keys("Tab");
    shown = waitFor("[[ Quit ]]");
    EXPECT_NE(shown.find("[[ Quit ]]"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[ Go ]"), std::string::npos) << shown;
    keys("BTab");
    waitFor("[[ Go ]]");
    keys("Enter");

    shown = waitFor("Go on to the folder?");
    EXPECT_NE(shown.find("Go on to the folder?"), std::string::npos) << "the message box\n"
                                                                     << shown;
    EXPECT_NE(shown.find("[[ Yes ]]"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[ No ]"), std::string::npos) << shown;
    EXPECT_NE(shown.find("(?)"), std::string::npos) << shown;
    keys("n"); // the underlined letter of &No

    shown = waitFor("Pick a folder");
    EXPECT_NE(shown.find("Browse For Folder"), std::string::npos) << shown;
    EXPECT_NE(shown.find(m_dir.path().substr(m_dir.path().size() - 6)), std::string::npos)
        << "the initial folder is in the path field\n"
        << shown;
    keys("Escape");

    shown = waitFor("--- ended");
    EXPECT_NE(shown.find("dialog: 1 name=Ada"), std::string::npos) << shown;
    EXPECT_NE(shown.find("message box: 7"), std::string::npos) << shown;
    EXPECT_NE(shown.find("folder: cancelled"), std::string::npos) << shown;
}

TEST_F(TmuxSession, TheFolderBrowserCompletesFolderNamesWithTab) {
    ASSERT_EQ(::mkdir((m_dir.path() + "/completion-target").c_str(), 0755), 0);
    waitFor("[ Quit ]");
    keys("Enter");
    waitFor("Go on to the folder?");
    keys("Enter");
    waitFor("Pick a folder");
    keys(m_dir.path() + "/comp"); // replaces the selected initial folder
    keys("Tab");
    keys("Enter");
    const std::string shown = waitFor("--- ended");
    EXPECT_NE(shown.find("folder: " + m_dir.path() + "/completion-target"), std::string::npos)
        << shown;
}

} // namespace
