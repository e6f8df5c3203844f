// The bootstrapper's own application run in this process (through the framework's entry, as
// the program runs it), so that another thread can talk to its dialog while the sample
// installer beside the tests runs.
#include "platform/framework/framework.h"
#include "platform/process/process.h"
#include "platform/registry/registry.h"
#include "platform/ui/internal/painting.h"
#include "setup/resource.h"
#include "tests/support/install_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

HWND findSetupDialog() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM out) {
            char text[64] = {};
            GetWindowTextA(window, text, sizeof text);
            if (std::string(text) == "Velmar Setup") {
                *reinterpret_cast<HWND*>(out) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

class SetupInProcess : public velmar::test::InstallTest {
protected:
    velmar::test::ScopedEnv m_headless{"VELMAR_UI", "headless"};
    velmar::test::ScopedEnv m_noScript{"VELMAR_UI_SCRIPT", nullptr};
    // The sample installer takes its time: the registration is its last step.
    velmar::test::ScopedEnv m_installerTime{"VELMAR_SAMPLE_SETUP_MS", "3000"};
};

// While it waits for the installer, the dialog answers a message sent from another thread, and
// its drag icon is icon 128.
TEST_F(SetupInProcess, TheDialogAnswersWhileTheInstallerRuns) {
    DWORD_PTR dragIcon = 0;
    bool answered = false;
    bool registeredWhenAnswered = true;
    std::thread talker([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 400 && dialog == nullptr; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            dialog = findSetupDialog();
        }
        answered =
            SendMessageTimeoutA(dialog, WM_QUERYDRAGICON, 0, 0, SMTO_NORMAL, 20000, &dragIcon) != 0;
        registeredWhenAnswered =
            velmar::test::storedValue(HKEY_LOCAL_MACHINE, velmar::test::kInstallationKey,
                                      "VelmarDir", KEY_WOW64_32KEY)
                .type != REG_NONE;
    });
    const int exitCode =
        AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
    talker.join();
    EXPECT_EQ(exitCode, 0);
    ASSERT_TRUE(answered);
    EXPECT_FALSE(registeredWhenAnswered) << "the answer came only after the installer's end";
    EXPECT_EQ(reinterpret_cast<HICON>(dragIcon),
              LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
    // The installer did run to its end.
    EXPECT_EQ(velmar::test::storedValue(HKEY_LOCAL_MACHINE, velmar::test::kInstallationKey,
                                        "VelmarDir", KEY_WOW64_32KEY)
                  .type,
              REG_SZ);
}

// Minimised while the installer runs, the dialog draws icon 128 centred in its client area.
TEST_F(SetupInProcess, MinimisedItDrawsItsIconCentred) {
    velmar::test::storeInstallationText("VelmarDir", "C:\\Velmar");
    velmar::test::TempDir files;
    velmar::test::writeFileBytes(files.file("steps"), "click Yes\n");
    velmar::test::ScopedEnv script("VELMAR_UI_SCRIPT", files.file("steps").c_str());
    velmar::test::ScopedEnv shorter("VELMAR_SAMPLE_SETUP_MS", "1000");
    std::vector<velmar::ui::DrawnIcon> drawn;
    RECT client{};
    std::thread talker([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 400 && (dialog == nullptr || !IsWindowVisible(dialog)); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            dialog = findSetupDialog();
        }
        // Once Yes has hidden the buttons, the installer runs.
        for (int i = 0; i < 400 && IsWindowVisible(GetDlgItem(dialog, IDC_YES)); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ShowWindow(dialog, SW_SHOWMINNOACTIVE);
        for (int i = 0; i < 400 && drawn.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            drawn = velmar::ui::drawnIcons(dialog);
        }
        GetClientRect(dialog, &client);
    });
    const int exitCode =
        AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
    talker.join();
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(drawn.size(), 1u);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    EXPECT_EQ(drawn[0].x, (width - GetSystemMetrics(SM_CXICON) + 1) / 2);
    EXPECT_EQ(drawn[0].y, (height - GetSystemMetrics(SM_CYICON) + 1) / 2);
    EXPECT_EQ(drawn[0].icon, LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
}

} // namespace
