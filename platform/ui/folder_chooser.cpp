// The out-of-process folder chooser: the desktop portal's (through velmar-choose-folder), else
// zenity's. A thread of ours waits for the chooser; what it answered
// reaches the browser's thread as a message to a hidden window owned by the browser, so that
// the path field, the buttons and any message box are handled on the browser's own thread,
// and so that the chooser is ended when the browser goes.
#include "platform/ui/internal/folder_chooser.h"

#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velmar::ui {

namespace {

constexpr char kHelperClass[] = "VelmarFolderChooser";
constexpr char kCaption[] = "Browse For Folder";
// Posted to the helper window when the chooser has ended (or could not start).
constexpr UINT kChooserEnded = WM_APP + 0x0F01;
// zenity's exit statuses: a folder chosen, Cancel or the window closed.
constexpr int kChosen = 0;
constexpr int kCancelled = 1;

struct Chooser {
    HWND browser = nullptr;
    std::unique_ptr<process::OutputProgram> program;
    std::thread waiter;
    // Written by the waiter before it posts kChooserEnded; read after joining it.
    int status = -1;
    std::string output;

    ~Chooser() {
        if (program != nullptr) {
            program->terminate();
        }
        if (waiter.joinable()) {
            waiter.join();
        }
    }
};

// The choosers running, by their helper window; those left at exit are ended and waited for.
class Choosers {
public:
    void add(HWND helper, std::unique_ptr<Chooser> chooser) {
        std::lock_guard lock(m_mutex);
        m_running[helper] = std::move(chooser);
    }
    std::unique_ptr<Chooser> take(HWND helper) {
        std::lock_guard lock(m_mutex);
        const auto found = m_running.find(helper);
        if (found == m_running.end()) {
            return nullptr;
        }
        std::unique_ptr<Chooser> chooser = std::move(found->second);
        m_running.erase(found);
        return chooser;
    }

private:
    std::mutex m_mutex;
    std::map<HWND, std::unique_ptr<Chooser>> m_running;
};

Choosers& choosers() {
    static Choosers running;
    return running;
}

void pressButton(HWND browser, int id) {
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(browser, id)));
}

void refuse(HWND browser, const std::string& text) {
    MessageBoxA(browser, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
    pressButton(browser, IDCANCEL);
}

void answer(const Chooser& chooser) {
    HWND browser = chooser.browser;
    if (!IsWindow(browser)) {
        return;
    }
    if (chooser.program == nullptr || !chooser.program->started()) {
        refuse(browser, "No folder chooser could be started. Install zenity to choose folders.");
        return;
    }
    if (chooser.status == kCancelled) {
        pressButton(browser, IDCANCEL);
        return;
    }
    if (chooser.status != kChosen) {
        refuse(browser, "The folder chooser failed" +
                            (chooser.status >= 0
                                 ? " with exit status " + std::to_string(chooser.status) + "."
                                 : "."));
        return;
    }
    std::string folder = chooser.output;
    while (!folder.empty() && (folder.back() == '\n' || folder.back() == '\r')) {
        folder.pop_back();
    }
    const std::string ansi = text::utf8ToAnsi(folder);
    if (folder.empty() || text::ansiToUtf8(ansi) != folder) {
        refuse(browser, "The folder \"" + ansi +
                            "\" has a name that this program cannot use. Choose another folder.");
        return;
    }
    SetDlgItemTextA(browser, kFolderBrowserPathId, ansi.c_str());
    pressButton(browser, IDOK);
}

LRESULT helperProcedure(HWND helper, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kChooserEnded) {
        const std::unique_ptr<Chooser> chooser = choosers().take(helper);
        if (chooser != nullptr) {
            if (chooser->waiter.joinable()) {
                chooser->waiter.join();
            }
            answer(*chooser);
        }
        DestroyWindow(helper);
        return 0;
    }
    if (message == WM_DESTROY) {
        // The browser went first: its chooser goes with it.
        choosers().take(helper);
    }
    return DefWindowProcA(helper, message, wParam, lParam);
}

HWND createHelper(HWND browser) {
    static std::once_flag registered;
    std::call_once(registered, [] {
        WNDCLASSA helperClass;
        helperClass.lpfnWndProc = helperProcedure;
        helperClass.lpszClassName = kHelperClass;
        RegisterClassA(&helperClass);
    });
    return CreateWindowExA(0, kHelperClass, "", WS_POPUP, 0, 0, 0, 0, browser, nullptr, nullptr,
                           nullptr);
}

// Our own program that asks the desktop portal, when the portal answers on the session bus.
std::string portalChooser() {
    const std::string program = prefix::ownProgramPath("velmar-choose-folder");
    std::string ignored;
    return !program.empty() && process::readProgramOutput({program, "--probe"}, ignored)
               ? program
               : std::string();
}

// The portal's chooser when it answers, else zenity's; both take zenity's options and answer
// as zenity does.
std::vector<std::string> chooserArguments(const std::string& title,
                                          const std::string& initialFolder) {
    std::vector<std::string> arguments;
    if (const std::string portal = portalChooser(); !portal.empty()) {
        arguments = {portal};
    } else {
        arguments = {"zenity", "--file-selection", "--directory"};
    }
    arguments.push_back("--title=" + text::ansiToUtf8(title.empty() ? kCaption : title));
    if (!initialFolder.empty()) {
        const fs::HostPath folder = fs::hostPathOfAnsi(initialFolder);
        if (folder && !folder.path.empty()) {
            // The trailing separator opens the chooser inside the folder.
            arguments.push_back("--filename=" + folder.path +
                                (folder.path.back() == '/' ? "" : "/"));
        }
    }
    return arguments;
}

} // namespace

bool folderChooserAvailable() {
    return !process::findHostProgram("zenity").empty() || !portalChooser().empty();
}

void chooseFolderOutOfProcess(HWND browser, std::string title, std::string initialFolder) {
    HWND helper = createHelper(browser);
    if (helper == nullptr) {
        refuse(browser, "The folder chooser could not be started.");
        return;
    }
    auto chooser = std::make_unique<Chooser>();
    chooser->browser = browser;
    chooser->program =
        std::make_unique<process::OutputProgram>(chooserArguments(title, initialFolder));
    Chooser* waited = chooser.get();
    // Added before the waiter can post: the helper's message is handled on this thread, later.
    choosers().add(helper, std::move(chooser));
    if (!waited->program->started()) {
        PostMessageA(helper, kChooserEnded, 0, 0);
        return;
    }
    waited->waiter = std::thread([waited, helper] {
        waited->status = waited->program->finish(waited->output);
        PostMessageA(helper, kChooserEnded, 0, 0);
    });
}

} // namespace velmar::ui
