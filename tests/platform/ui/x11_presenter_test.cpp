// The X11 presenter on a private Xvfb, driven as a person would: the pointer and the keyboard
// through XTEST (xdotool), never synthetic events. The programs are real: dialog_demo, and
// VelmarSetup with a recording setup.exe. Buttons are found on the screen by their face colour,
// so the tests also check that they are drawn.
#include "tests/support/child_process.h"
#include "tests/support/install_fixture.h"
#include "tests/support/line_service.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using velmar::test::runProgram;

constexpr unsigned kButtonFace = 0xE1E1E1;
constexpr unsigned kCaption = 0x2B579A;

std::string tool(std::vector<std::string> args) {
    args.insert(args.begin(), "/usr/bin/env");
    return runProgram(args).out;
}

// The X window with this title, waited for up to 20 seconds; "" when none came.
std::string windowNamed(const std::string& title) {
    for (int i = 0; i < 200; ++i) {
        const std::string found = tool({"xdotool", "search", "--name", "^" + title + "$"});
        if (!found.empty()) {
            return found.substr(0, found.find('\n'));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

bool windowGone(const std::string& window) {
    for (int i = 0; i < 200; ++i) {
        if (runProgram({"/usr/bin/env", "xdotool", "getwindowname", window}).exitCode != 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void keys(const std::vector<std::string>& names) {
    std::vector<std::string> args{"xdotool", "key", "--delay", "50"};
    args.insert(args.end(), names.begin(), names.end());
    tool(args);
}

struct Box {
    int left, top, right, bottom;
    int centreX() const { return (left + right) / 2; }
    int centreY() const { return (top + bottom) / 2; }
};

// A window's pixels as the X server has them (xwd, converted by ImageMagick).
struct Image {
    int width = 0;
    int height = 0;
    std::string rgb;

    unsigned at(int x, int y) const {
        const auto i = static_cast<std::size_t>((y * width + x) * 3);
        return (static_cast<unsigned char>(rgb[i]) << 16) |
               (static_cast<unsigned char>(rgb[i + 1]) << 8) |
               static_cast<unsigned char>(rgb[i + 2]);
    }
    int count(unsigned colour) const {
        int n = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                n += at(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }
    // The areas of one colour at least 15 pixels wide and 8 high, left to right.
    std::vector<Box> areas(unsigned colour) const {
        std::vector<Box> found;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width;) {
                int end = x;
                while (end < width && at(end, y) == colour) {
                    ++end;
                }
                if (end - x >= 15) {
                    auto joined = std::find_if(found.begin(), found.end(), [&](const Box& box) {
                        return box.bottom == y && x < box.right && end > box.left;
                    });
                    if (joined != found.end()) {
                        joined->left = std::min(joined->left, x);
                        joined->right = std::max(joined->right, end);
                        joined->bottom = y + 1;
                    } else {
                        found.push_back(Box{x, y, end, y + 1});
                    }
                }
                x = std::max(end, x + 1);
            }
        }
        // A label splits a face's rows: pieces that touch are one area.
        for (bool merged = true; merged;) {
            merged = false;
            for (std::size_t i = 0; i < found.size() && !merged; ++i) {
                for (std::size_t j = i + 1; j < found.size() && !merged; ++j) {
                    const Box& a = found[i];
                    const Box& b = found[j];
                    if (a.left <= b.right && b.left <= a.right && a.top <= b.bottom &&
                        b.top <= a.bottom) {
                        found[i] = Box{std::min(a.left, b.left), std::min(a.top, b.top),
                                       std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
                        found.erase(found.begin() + static_cast<std::ptrdiff_t>(j));
                        merged = true;
                    }
                }
            }
        }
        std::erase_if(found, [](const Box& box) { return box.bottom - box.top < 8; });
        std::sort(found.begin(), found.end(),
                  [](const Box& a, const Box& b) { return a.left < b.left; });
        return found;
    }
};

// The window's picture; also kept as a PNG when keep names a file.
Image capture(const std::string& window, const std::string& keep = "") {
    const std::string xwd = "xwd -silent -id " + window;
    if (!keep.empty()) {
        runProgram({"/bin/sh", "-c", xwd + " | convert xwd:- png:'" + keep + "'"});
    }
    const std::string ppm = runProgram({"/bin/sh", "-c", xwd + " | convert xwd:- ppm:-"}).out;
    // "P6", width, height, the largest value, then the pixels; "#" starts a comment line.
    Image image;
    std::vector<int> numbers;
    std::size_t at = 2;
    while (numbers.size() < 3 && at < ppm.size()) {
        if (ppm[at] == '#') {
            at = ppm.find('\n', at);
        } else if (std::isdigit(static_cast<unsigned char>(ppm[at])) != 0) {
            std::size_t end = at;
            numbers.push_back(std::stoi(ppm.substr(at), &end));
            at += end;
            continue;
        }
        ++at;
    }
    if (ppm.compare(0, 2, "P6") == 0 && numbers.size() == 3 && numbers[2] == 255) {
        image.width = numbers[0];
        image.height = numbers[1];
        image.rgb = ppm.substr(at + 1); // one white space ends the header
    }
    if (image.rgb.size() < static_cast<std::size_t>(image.width * image.height * 3)) {
        image = Image{};
    }
    return image;
}

// The window's buttons, waited for until count of them are drawn.
std::vector<Box> buttonsOf(const std::string& window, std::size_t count) {
    std::vector<Box> buttons;
    for (int i = 0; i < 100 && buttons.size() != count; ++i) {
        buttons = capture(window).areas(kButtonFace);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return buttons;
}

void click(const std::string& window, const Box& box) {
    tool({"xdotool", "mousemove", "--window", window, std::to_string(box.centreX()),
          std::to_string(box.centreY()), "click", "1"});
}

// A program started with its standard output in a file, as a person would start it.
class Started {
public:
    Started(const std::string& program, const std::string& out,
            const std::vector<std::pair<std::string, std::string>>& env,
            const std::string& folder = "") {
        m_pid = ::fork();
        if (m_pid == 0) {
            for (const auto& [name, value] : env) {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 1);
            if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
                ::_exit(126);
            }
            ::execl(program.c_str(), program.c_str(), nullptr);
            ::_exit(127);
        }
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    ~Started() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    // The exit status, waiting at most 30 seconds; -1 when it did not end.
    int wait() {
        for (int i = 0; i < 300; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
};

class X11Presenter : public velmar::test::InstallTest {
protected:
    void SetUp() override {
        if (!m_xvfb.usable()) {
            GTEST_SKIP() << "no X server for this test: " << m_xvfb.why();
        }
        for (const char* program : {"xdotool", "xwd", "convert"}) {
            if (!velmar::test::haveProgram(program)) {
                GTEST_SKIP() << program
                             << " is not installed (apt-get install xdotool x11-apps imagemagick)";
            }
        }
    }
    std::vector<std::pair<std::string, std::string>> env() const {
        return {{"VELMAR_UI", "x11"}, {"DISPLAY", m_xvfb.display()}};
    }
    std::string output() const { return velmar::test::readFileBytes(m_files.file("out")); }
    // dialog_demo's first steps: Escape on its dialog, a click on Yes in its message box.
    void cancelTheDialogAndSayYes(const std::string& dialog) {
        keys({"Escape"});
        ASSERT_TRUE(windowGone(dialog));
        const std::string box = windowNamed("Demo");
        ASSERT_FALSE(box.empty()) << "the message box never showed";
        const std::vector<Box> boxButtons = buttonsOf(box, 2);
        ASSERT_EQ(boxButtons.size(), 2u) << "Yes and No are not drawn";
        click(box, boxButtons[0]);
    }

    velmar::test::Xvfb m_xvfb{1280, 1024, 96};
    velmar::test::TempDir m_files;
};

// A click into the name field, typing there and a click on Go; a click on No, the message box's
// right button; Escape in the folder browser.
TEST_F(X11Presenter, DialogsAnswerThePointerAndTheKeyboard) {
    Started demo(velmar::test::binPath("dialog_demo"), m_files.file("out"), env());
    const std::string dialog = windowNamed("Demo");
    ASSERT_FALSE(dialog.empty()) << "the dialog never showed";
    const std::vector<Box> dialogButtons = buttonsOf(dialog, 2);
    ASSERT_EQ(dialogButtons.size(), 2u) << "Go and Quit are not drawn";
    // Tab takes the focus from the name field; a click brings it back.
    keys({"Tab"});
    const std::vector<Box> fields = capture(dialog).areas(0xFFFFFF);
    ASSERT_EQ(fields.size(), 1u) << "the name field is not drawn";
    click(dialog, fields[0]);
    tool({"xdotool", "type", "--delay", "50", "Ada"});
    click(dialog, dialogButtons[0]);
    ASSERT_TRUE(windowGone(dialog));

    const std::string box = windowNamed("Demo");
    ASSERT_FALSE(box.empty()) << "the message box never showed";
    const std::vector<Box> boxButtons = buttonsOf(box, 2);
    ASSERT_EQ(boxButtons.size(), 2u) << "Yes and No are not drawn";
    click(box, boxButtons[1]);

    ASSERT_FALSE(windowNamed("Browse For Folder").empty());
    keys({"Escape"});
    ASSERT_EQ(demo.wait(), 0) << output();
    EXPECT_NE(output().find("dialog: 1 name=Ada\n"), std::string::npos) << output();
    EXPECT_NE(output().find("message box: 7\n"), std::string::npos) << output();
    EXPECT_NE(output().find("folder: cancelled\n"), std::string::npos) << output();
}

// Escape cancels a dialog; the close box closes one.
TEST_F(X11Presenter, EscapeAndTheCloseBoxCancel) {
    Started demo(velmar::test::binPath("dialog_demo"), m_files.file("out"), env());
    const std::string dialog = windowNamed("Demo");
    ASSERT_FALSE(dialog.empty()) << "the dialog never showed";
    ASSERT_EQ(buttonsOf(dialog, 2).size(), 2u);
    cancelTheDialogAndSayYes(dialog);
    if (HasFatalFailure()) {
        return;
    }

    const std::string browser = windowNamed("Browse For Folder");
    ASSERT_FALSE(browser.empty());
    const Image picture = capture(browser);
    ASSERT_GT(picture.width, 30);
    // The close box: the caption's right end.
    click(browser, Box{picture.width - 14, 6, picture.width - 10, 10});
    ASSERT_EQ(demo.wait(), 0) << output();
    EXPECT_NE(output().find("dialog: 2 name=\n"), std::string::npos) << output();
    EXPECT_NE(output().find("message box: 6\n"), std::string::npos) << output();
    EXPECT_NE(output().find("folder: cancelled\n"), std::string::npos) << output();
}

// The folder browser answered by the desktop portal (a stand-in on a private session bus):
// no browser window is shown, and the folder the portal gives comes back.
TEST_F(X11Presenter, TheDesktopPortalAnswersTheFolderBrowser) {
    if (!velmar::test::haveProgram("dbus-daemon")) {
        GTEST_SKIP() << "dbus-daemon is not installed (apt-get install dbus-daemon)";
    }
    const velmar::test::Service bus({"dbus-daemon", "--session", "--nofork", "--print-address=1"},
                                    {});
    ASSERT_FALSE(bus.line().empty()) << "dbus-daemon did not start";
    velmar::test::TempDir chosen;
    const velmar::test::Service portal({velmar::test::binPath("standin_portal")},
                                       {{"DBUS_SESSION_BUS_ADDRESS", bus.line()},
                                        {"STANDIN_PORTAL_ANSWER", "file://" + chosen.path()},
                                        {"STANDIN_PORTAL_LOG", m_files.file("asked")}});
    ASSERT_EQ(portal.line(), "ready");
    auto variables = env();
    variables.emplace_back("DBUS_SESSION_BUS_ADDRESS", bus.line());
    Started demo(velmar::test::binPath("dialog_demo"), m_files.file("out"), variables);
    const std::string dialog = windowNamed("Demo");
    ASSERT_FALSE(dialog.empty());
    cancelTheDialogAndSayYes(dialog);
    if (HasFatalFailure()) {
        return;
    }
    ASSERT_EQ(demo.wait(), 0) << output();
    EXPECT_NE(output().find("folder: " + chosen.path() + "\n"), std::string::npos) << output();
    EXPECT_NE(velmar::test::readFileBytes(m_files.file("asked")).find("directory=true\n"),
              std::string::npos);
    EXPECT_TRUE(tool({"xdotool", "search", "--name", "^Browse For Folder$"}).empty());
}

// A message box found by its title and closed by a click on OK: the bootstrapper without its
// installer says so and ends.
TEST_F(X11Presenter, MessageBoxClosedByAClickOnOk) {
    velmar::test::TempDir program;
    std::filesystem::copy_file(velmar::test::binPath("VelmarSetup"), program.file("VelmarSetup"));
    Started setup(program.file("VelmarSetup"), m_files.file("out"), env(), m_files.path());
    const std::string box = windowNamed("Failed to launch executable");
    ASSERT_FALSE(box.empty()) << "the message box never showed";
    const std::vector<Box> buttons = buttonsOf(box, 1);
    ASSERT_EQ(buttons.size(), 1u) << "OK is not drawn";
    click(box, buttons[0]);
    EXPECT_EQ(setup.wait(), 0);
}

// The bootstrapper's question drawn on the display and answered Yes by a click: the installer
// runs "/uninst", then itself, and the program ends. The picture is kept beside the tests.
TEST_F(X11Presenter, VelmarSetupAnsweredYesByAClick) {
    velmar::test::TempDir program;
    std::filesystem::copy_file(velmar::test::binPath("VelmarSetup"), program.file("VelmarSetup"));
    std::filesystem::copy_file(velmar::test::binPath("recording_installer"),
                               program.file("setup.exe"));
    velmar::test::storeInstallationText("VelmarDir", "C:\\Velmar");
    auto variables = env();
    variables.emplace_back("VELMAR_TEST_INSTALLER_LOG", m_files.file("log"));
    Started setup(program.file("VelmarSetup"), m_files.file("out"), variables, m_files.path());

    const std::string dialog = windowNamed("Velmar Setup");
    ASSERT_FALSE(dialog.empty()) << "the question never showed";
    const std::vector<Box> buttons = buttonsOf(dialog, 2);
    const std::string artefacts = std::string(VELMAR_BIN_DIR) + "/../test-artefacts";
    std::filesystem::create_directories(artefacts);
    const Image picture = capture(dialog, artefacts + "/velmar-setup-x11.png");
    ASSERT_EQ(buttons.size(), 2u) << "Yes and No are not drawn";
    // Both buttons side by side at the bottom right, the caption across the top, and text:
    // dark pixels in the upper half of the client area.
    EXPECT_LE(std::abs(buttons[0].top - buttons[1].top), 3); // the focused one has a wider rim
    EXPECT_GT(buttons[0].left, picture.width / 2);
    EXPECT_GT(buttons[0].top, picture.height / 2);
    EXPECT_GT(picture.count(kCaption), picture.width * 10);
    int dark = 0;
    for (int y = 30; y < picture.height / 2; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            dark += picture.at(x, y) < 0x404040 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 200) << "the question's text is not drawn";

    // The caption moves the window; the buttons go with it.
    const std::string before = tool({"xdotool", "getwindowgeometry", dialog});
    tool({"xdotool", "mousemove", "--window", dialog, "60", "10", "mousedown", "1", "mousemove",
          "--window", dialog, "160", "60", "mouseup", "1"});
    std::string after = before;
    for (int i = 0; i < 40 && after == before; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        after = tool({"xdotool", "getwindowgeometry", dialog});
    }
    EXPECT_NE(after, before);
    click(dialog, buttons[0]);
    ASSERT_EQ(setup.wait(), 0);
    const std::string log = velmar::test::readFileBytes(m_files.file("log"));
    const std::size_t uninstall = log.find("start [/uninst]");
    ASSERT_NE(uninstall, std::string::npos) << log;
    EXPECT_NE(log.find("start  ", uninstall), std::string::npos) << log;
}

} // namespace
