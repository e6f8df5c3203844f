// A second program for the dialog helpers' tests, for what needs a process of its own: the
// scale factor's first computation, the error log of a fresh process, a clipboard held by
// another program.
//
//   dialogs_test_child scale <screen after the first call>
//       prints the scale factor, then again after VELMAR_SCREEN changed
//   dialogs_test_child lock-failures
//       runs the unlock failures one after another; exit 0 when each threw as expected
//   dialogs_test_child pick <folder>...
//       one folder picker over a window per argument, each given that folder ("-" for an empty
//       one); prints "1 <folder>" or "0 <folder>" with what the picker left in it
//   dialogs_test_child hold-clipboard <ready file> <release file>
//       holds the clipboard open from the creation of the ready file until the release file
//       exists
#include "misc/diagnostics/diagnostics.h"
#include "misc/dialogs/dialogs.h"
#include "tests/misc/dialogs/test_windows.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

int scale(const char* laterScreen) {
    std::printf("%.3f\n", static_cast<double>(screenScaleFactor()));
    ::setenv("VELMAR_SCREEN", laterScreen, 1);
    std::printf("%.3f\n", static_cast<double>(screenScaleFactor()));
    return 0;
}

// The location the unlock threw at, or -1.
int unlockFailure() {
    try {
        CLockMfcControls::unlockChildWindows();
    } catch (const CVelmarFileException& e) {
        return static_cast<int>(e.getFileLocation());
    }
    return -1;
}

int lockFailures() {
    velmar::test::TestDialog dialog;
    CLockMfcControls::lockChildWindows(dialog.window, {});
    ShowWindow(dialog.hidden, SW_SHOW);
    if (unlockFailure() != 1) {
        return 1;
    }
    dialog.destroy();
    if (unlockFailure() != 0) {
        return 2;
    }
    return 0;
}

int pick(int count, char** folders) {
    HWND owner = velmar::test::makeTopLevelWindow("Owner");
    for (int i = 0; i < count; ++i) {
        std::string folder = std::strcmp(folders[i], "-") == 0 ? "" : folders[i];
        const bool chosen = browseForFolder(owner, folder);
        std::printf("%d %s\n", chosen ? 1 : 0, folder.c_str());
    }
    return 0;
}

bool exists(const char* path) {
    return ::access(path, F_OK) == 0;
}

int holdClipboard(const char* readyFile, const char* releaseFile) {
    if (!OpenClipboard(nullptr)) {
        return 1;
    }
    std::ofstream(readyFile) << "ready";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!exists(releaseFile) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    CloseClipboard();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "scale" && argc == 3) {
        return scale(argv[2]);
    }
    if (command == "lock-failures") {
        return lockFailures();
    }
    if (command == "pick") {
        return pick(argc - 2, argv + 2);
    }
    if (command == "hold-clipboard" && argc == 4) {
        return holdClipboard(argv[2], argv[3]);
    }
    return 64;
}
