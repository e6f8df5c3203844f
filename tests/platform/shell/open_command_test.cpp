#include "platform/shell/internal/open_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using velmar::shell::desktopExecOf;
using velmar::shell::expandDesktopExec;
using velmar::shell::expandRegistryCommand;

TEST(OpenCommand, RegistryCommandTemplates) {
    struct Case {
        const char* command;
        const char* line;
    };
    const Case cases[] = {
        {"\"C:\\app.exe\" \"%1\"", "\"C:\\app.exe\" \"C:\\d x.txt\""},
        {"app.exe %L /p", "app.exe C:\\d x.txt /p"},
        {"app.exe", "app.exe \"C:\\d x.txt\""},
        {"app.exe %* -- \"%1\"", "app.exe /s \"q r\" -- \"C:\\d x.txt\""},
        {"app.exe [%2] [%3] \"%1\"", "app.exe [/s] [q r] \"C:\\d x.txt\""},
        {"app.exe 50% %x \"%1\"%", "app.exe 50% %x \"C:\\d x.txt\"%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expandRegistryCommand(c.command, "C:\\d x.txt", "/s \"q r\""), c.line)
            << c.command;
    }
}

TEST(OpenCommand, DesktopExecLines) {
    using Args = std::vector<std::string>;
    struct Case {
        const char* exec;
        Args args;
    };
    const Case cases[] = {
        {"gedit %U", {"gedit", "/d x.txt"}},
        {"  app   --new-window %f  ", {"app", "--new-window", "/d x.txt"}},
        {"app %i %c %k %F", {"app", "/d x.txt"}},
        {"\"/opt/my app/run\" \"a \\\"q\\\" \\$HOME \\\\\" %u",
         {"/opt/my app/run", "a \"q\" $HOME \\", "/d x.txt"}},
        {"app --file=%f 100%% \"\"", {"app", "--file=/d x.txt", "100%", ""}},
        {"app \"open", {}}, // an unclosed quote
        {"app %z", {}},     // an unknown field code
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expandDesktopExec(c.exec, "/d x.txt"), c.args) << c.exec;
    }
}

TEST(OpenCommand, ExecKeyOfTheDesktopEntryGroup) {
    const std::string entry = "[Other]\nExec=not this\n"
                              "[Desktop Entry]\r\nName=T\r\nExec[de]=nor this\r\nExecute=no\r\n"
                              "Exec = run\\sthis \\\\n\\t%f\r\n"
                              "[Desktop Action new]\nExec=not this either\n";
    EXPECT_EQ(desktopExecOf(entry), "run this \\n\t%f");
    EXPECT_EQ(desktopExecOf("[Desktop Entry]\nName=T\n"), "");
}

} // namespace
