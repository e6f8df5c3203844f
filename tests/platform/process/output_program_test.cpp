// A host program's output read to its end, its exit status, and its end asked for by another
// thread.
#include "platform/process/process.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using velmar::process::OutputProgram;

TEST(OutputProgram, GivesTheOutputAndTheExitStatus) {
    struct Case {
        std::vector<std::string> argv;
        bool started;
        int status;
        std::string output;
    };
    const Case cases[] = {
        {{"sh", "-c", "printf 'one two'; exit 3"}, true, 3, "one two"},
        {{"sh", "-c", "printf '%s|' \"$@\"", "sh", "a b", "\"c\""}, true, 0, "a b|\"c\"|"},
        {{"sh", "-c", "kill -9 $$"}, true, -1, ""},
        {{"velmar-no-such-program"}, false, -1, ""},
        {{}, false, -1, ""},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.argv.empty() ? "(none)" : each.argv.back());
        OutputProgram program(each.argv);
        EXPECT_EQ(program.started(), each.started);
        std::string output = "sentinel";
        EXPECT_EQ(program.finish(output), each.status);
        EXPECT_EQ(output, each.output);
    }
}

TEST(OutputProgram, AnotherThreadCanEndIt) {
    OutputProgram program({"sleep", "600"});
    ASSERT_TRUE(program.started());
    int status = 0;
    std::string output;
    std::thread waiter([&] { status = program.finish(output); });
    program.terminate();
    waiter.join();
    EXPECT_EQ(status, -1);
    program.terminate(); // once it has ended, nothing happens
}

} // namespace
