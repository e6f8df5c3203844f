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

// The C runtime's own examples, the program name's rules, and what a shell would treat
// specially but the runtime does not.
TEST(CommandLine, SplitsAsTheRuntimeDoes) {
    struct Case {
        std::string line;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
        {R"(p "ab\"c" "\\" d)", {"p", R"(ab"c)", R"(\)", "d"}},
        {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
        {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        {R"(p a"b"" c d)", {"p", R"(ab")", "c", "d"}},
        {R"("C:\Program Files\x.exe" a)", {R"(C:\Program Files\x.exe)", "a"}},
        {R"("C:\a b\x.exe"tail a)", {R"(C:\a b\x.exetail)", "a"}},
        {R"(C:\dir\x.exe"q" a)", {R"(C:\dir\x.exe"q")", "a"}},
        {R"("C:\dir\" a)", {R"(C:\dir\)", "a"}},
        {"p \"\" \t x  ", {"p", "", "x"}},
        {"p $(touch x) `id` ; | > 'q' *",
         {"p", "$(touch", "x)", "`id`", ";", "|", ">", "'q'", "*"}},
        {"", {}},
        {"   ", {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(velmar::process::splitCommandLine(c.line), c.args);
    }
}

TEST(CommandLine, JoinedArgumentsSplitBackUnchanged) {
    const std::vector<std::string> args = {"prog",   "",     " ",         "a b",
                                           "\"",     "\\",   "a\\",       "a \\",
                                           "x\\\"y", "\"\"", "tab\there", "$(x);|>"};
    EXPECT_EQ(velmar::process::splitCommandLine(
                  velmar::process::joinCommandLine(args.data(), args.size())),
              args);
}

TEST(CommandLine, ProcessCommandLineStartsWithTheProgram) {
    const std::string line = GetCommandLineA();
    EXPECT_NE(line.find("platform_process_tests"), std::string::npos) << line;
}
