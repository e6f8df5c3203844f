#include "platform/process/process.h"

#include <gtest/gtest.h>

TEST(CommandLine, ArgumentsAreQuotedAsTheRuntimeSplitsThem) {
    struct Case {
        std::vector<std::string> args;
        std::string line;
    };
    const Case cases[] = {
        {{"prog", "plain"}, "prog plain"},
        {{"C:\\Program Files\\a.exe", "x"}, "\"C:\\Program Files\\a.exe\" x"},
        {{"prog", ""}, "prog \"\""},
        {{"prog", "say \"hi\""}, "prog \"say \\\"hi\\\"\""},
        {{"prog", "dir\\"}, "prog dir\\"},
        {{"prog", "a dir\\"}, "prog \"a dir\\\\\""},
        {{"prog", "a\\\\b c"}, "prog \"a\\\\b c\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(velmar::process::joinCommandLine(c.args.data(), c.args.size()), c.line);
    }
}

TEST(CommandLine, ProcessCommandLineStartsWithTheProgram) {
    const std::string line = GetCommandLineA();
    EXPECT_NE(line.find("platform_process_tests"), std::string::npos) << line;
}
