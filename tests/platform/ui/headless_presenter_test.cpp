// The headless presenter end to end: dialog_demo driven by scripts, its trace read back.
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using velmar::test::ChildResult;
using velmar::test::TempDir;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class HeadlessRun : public ::testing::Test {
protected:
    ChildResult run(const std::string& script, const std::vector<std::string>& args = {}) {
        std::vector<std::string> argv{velmar::test::binPath("dialog_demo")};
        argv.insert(argv.end(), args.begin(), args.end());
        velmar::test::EnvOverrides env{{"VELMAR_UI", "headless"}, {"VELMAR_UI_TRACE", trace()}};
        if (!script.empty()) {
            std::ofstream(m_dir.path() + "/script") << script;
            env.emplace_back("VELMAR_UI_SCRIPT", m_dir.path() + "/script");
        }
        ChildResult result = velmar::test::runProgram(argv, env);
        m_trace = readAll(trace());
        return result;
    }
    std::string trace() const { return m_dir.path() + "/trace"; }
    bool traced(const std::string& line) const {
        return ("\n" + m_trace).find("\n" + line + "\n") != std::string::npos;
    }

    TempDir m_dir;
    std::string m_trace;
};

TEST_F(HeadlessRun, AScriptAnswersEachWindowAndTheTraceShowsWhatHappened) {
    const std::string folder = m_dir.path();
    const ChildResult result = run("# fill in the form\n"
                                   "type Ada\n"
                                   "key Tab\n"
                                   "click Go\n"
                                   "key Alt+N\n"
                                   "folder " +
                                   folder + "\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "dialog: 1 name=Ada\nmessage box: 7\nfolder: " + folder + "\n");
    for (const std::string& line : std::vector<std::string>{
             "shown \"Demo\"",
             "shown \"Demo\"/#1 button \"Go\" default",
             "shown \"Demo\"/#10 edit = \"\"",
             "focus \"Demo\"/#10 edit",
             "step 2: type Ada",
             "text \"Demo\"/#10 edit = \"Ada\"",
             "focus \"Demo\"/#1 button \"Go\"",
             "dialog-ended \"Demo\" result=1 (OK)",
             "hidden \"Demo\"",
             "message-box \"Demo\" text=\"Go on to the folder?\" buttons=Yes,No default=Yes "
             "icon=question",
             "step 5: key Alt+N",
             "dialog-ended \"Demo\" result=7 (No)",
             "folder-browser title=\"Pick a folder\" initial=\"\"",
             "step 6: folder " + folder,
         }) {
        EXPECT_TRUE(traced(line)) << line << "\n--- trace:\n" << m_trace;
    }
}

TEST_F(HeadlessRun, WithoutAScriptEveryDialogGetsItsDefaultAnswer) {
    const std::string folder = m_dir.path();
    const ChildResult result = run("", {folder});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "dialog: 1 name=\nmessage box: 6\nfolder: cancelled\n");
    EXPECT_TRUE(traced("default-answer \"Demo\" Enter")) << m_trace;
    EXPECT_TRUE(traced("folder-browser title=\"Pick a folder\" initial=\"" + folder + "\""))
        << m_trace;
    EXPECT_TRUE(traced("default-answer \"Browse For Folder\" Escape")) << m_trace;
}

TEST_F(HeadlessRun, AFolderThatDoesNotExistIsRefused) {
    const ChildResult result = run("click Go\nclick Yes\nfolder /no/such/folder\nclick OK\n"
                                   "folder cancel\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "dialog: 1 name=\nmessage box: 6\nfolder: cancelled\n");
    EXPECT_TRUE(
        traced("message-box \"Browse For Folder\" text=\"The folder \\\"/no/such/folder\\\" "
               "does not exist.\" buttons=OK default=OK icon=warning"))
        << m_trace;
}

TEST_F(HeadlessRun, AStepThatCannotBeCarriedOutEndsTheRunWithStatus3) {
    struct Case {
        std::string script;
        std::string error;
    };
    const Case cases[] = {
        {"type x\nclick Nope\n", "error: script line 2: no button \"Nope\" in \"Demo\""},
        {"click Go\n\nfolder /tmp\n",
         "error: script line 3: no folder browser is shown (the window is \"Demo\")"},
        {"key Tab\nkey Tab\ntype x\n",
         "error: script line 3: the focus is not in an edit field in \"Demo\""},
        {"jump\n", "error: script line 1: unknown step \"jump\" (click, key, type, folder, close)"},
        {"key F13\n", "error: script line 1: unknown key \"F13\" (Tab, Shift+Tab, Enter, Escape, "
                      "Left, Right, Up, Down, Space, Backspace, Alt+<letter>)"},
    };
    for (const Case& each : cases) {
        std::remove(trace().c_str());
        const ChildResult result = run(each.script);
        EXPECT_EQ(result.exitCode, 3) << each.script;
        EXPECT_NE(result.err.find(each.error), std::string::npos) << result.err;
        EXPECT_TRUE(traced(each.error)) << m_trace;
    }
}

} // namespace
