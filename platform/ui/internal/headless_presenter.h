// The presenter without a screen: every visible change goes to a trace file
// (VELMAR_UI_TRACE), and a script (VELMAR_UI_SCRIPT) stands in for the person. Internal to
// platform/ui.
#pragma once

#include "platform/ui/internal/presenter.h"
#include "platform/ui/internal/ui_script.h"

#include <map>
#include <mutex>
#include <set>
#include <string>

namespace velmar::ui {

class HeadlessPresenter final : public Presenter {
public:
    // tracePath and scriptPath may be empty: no trace, no script.
    HeadlessPresenter(const std::string& tracePath, const std::string& scriptPath);
    ~HeadlessPresenter() override;
    HeadlessPresenter(const HeadlessPresenter&) = delete;
    HeadlessPresenter& operator=(const HeadlessPresenter&) = delete;

    void windowChanged(HWND window, WindowChange change) override;
    void dialogEnded(HWND dialog, INT_PTR result) override;
    void messageBoxShown(HWND box, std::string_view caption, std::string_view text,
                         UINT type) override;
    void folderBrowserShown(HWND browser, std::string_view title,
                            std::string_view initialFolder) override;
    void clipboardSet(std::string_view text) override;
    bool idle(HWND modal) override;

private:
    void trace(const std::string& line);
    [[noreturn]] void fail(int line, const std::string& message);
    void reportShown(HWND window);
    void forget(HWND window);
    // Carries out the step on target (a window of the calling thread); an error text when it
    // cannot be.
    std::string run(const ScriptStep& step, HWND target, HWND modal);
    bool answerByDefault(HWND modal);

    std::mutex m_mutex;
    int m_trace = -1;
    Script m_script;
    std::size_t m_next = 0;
    std::map<HWND, std::string> m_reported; // visible windows traced, with their names
    std::set<HWND> m_browsers;
    std::map<HWND, int> m_defaultAnswers; // per modal dialog, the default answers given
};

} // namespace velmar::ui
