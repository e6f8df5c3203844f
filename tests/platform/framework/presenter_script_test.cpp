// The framework's message box and a main dialog in a program of their own, driven by the
// headless presenter's script and seen in its trace.
#include "platform/ui/ui.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(FrameworkPresenter, MessageBoxAndMainDialogFollowTheScript) {
    struct Case {
        std::vector<std::string> args;
        std::string script;
        int exitCode;
        std::vector<std::string> traced;
    };
    const Case cases[] = {
        // AfxMessageBox: captioned with the application's title, no owner window.
        {{"box", "Delete it?"},
         "click No\n",
         IDNO,
         {"message-box \"Framework Child\" text=\"Delete it?\" buttons=Yes,No default=Yes "
          "icon=question",
          "dialog-ended \"Framework Child\" result=7 (No)"}},
        // Without a step the box takes its default answer.
        {{"box", "Go on?"}, "", IDYES, {"default-answer \"Framework Child\" Enter"}},
        // The main dialog's buttons reach its message map; Escape takes the cancel path.
        {{"dialog"}, "click Yes\n", 11, {"step 1: click Yes", "dialog-ended \"Child Question\""}},
        {{"dialog"}, "click No\n", 12, {"dialog-ended \"Child Question\" result=12"}},
        {{"dialog"},
         "key Escape\n",
         IDCANCEL,
         {"dialog-ended \"Child Question\" result=2 (Cancel)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " with script \"" + c.script + "\"");
        velmar::test::TempPrefix prefix;
        velmar::test::TempDir files;
        velmar::test::writeFileBytes(files.file("steps"), c.script);
        std::vector<std::string> argv{velmar::test::binPath("framework_ui_child")};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const velmar::test::ChildResult result =
            velmar::test::runProgram(argv, {{"VELMAR_UI", "headless"},
                                            {"VELMAR_UI_SCRIPT", files.file("steps")},
                                            {"VELMAR_UI_TRACE", files.file("trace")}});
        const std::string trace = velmar::test::readFileBytes(files.file("trace"));
        EXPECT_EQ(result.exitCode, c.exitCode) << trace << result.err;
        for (const std::string& line : c.traced) {
            EXPECT_NE(trace.find(line), std::string::npos) << "no \"" << line << "\" in\n" << trace;
        }
    }
}

} // namespace
