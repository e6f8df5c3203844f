// velmar-sc as a user runs it: a real child process on a private prefix.
#include "platform/services/services.h"
#include "tests/support/child_process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/service_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using velmar::test::ChildResult;
using velmar::test::EnvOverrides;

namespace {

ChildResult sc(std::vector<std::string> args, const EnvOverrides& env = {}) {
    args.insert(args.begin(), velmar::test::binPath("velmar-sc"));
    return velmar::test::runProgram(args, env);
}

const EnvOverrides kElevated = {{"VELMAR_ELEVATED", "1"}};

std::string statusBlock(const char* name, const char* state, const char* stoppable) {
    return std::string("\nSERVICE_NAME: ") + name +
           "\n"
           "        TYPE               : 10  WIN32_OWN_PROCESS\n"
           "        STATE              : " +
           state +
           "\n"
           "                                (" +
           stoppable +
           ", NOT_PAUSABLE, IGNORES_SHUTDOWN)\n"
           "        WIN32_EXIT_CODE    : 0  (0x0)\n"
           "        SERVICE_EXIT_CODE  : 0  (0x0)\n"
           "        CHECKPOINT         : 0x0\n"
           "        WAIT_HINT          : 0x0\n";
}

class ScTool : public ::testing::Test {
protected:
    velmar::test::TempPrefix m_prefix;
    velmar::test::ScopedEnv m_elevated{"VELMAR_ELEVATED", "1"};
};

} // namespace

TEST_F(ScTool, CreatesQueriesStartsStopsAndDeletes) {
    const std::string program = velmar::test::binPath("velmar_test_service");
    ChildResult result = sc({"create", "Tool", "binPath=", "\"" + program + "\" Tool",
                             "start=", "demand", "DisplayName=", "The tool's service"},
                            kElevated);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "[SC] CreateService SUCCESS\n");

    result = sc({"query", "tool"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, statusBlock("tool", "1  STOPPED", "NOT_STOPPABLE"));

    const velmar::test::ServiceGuard guard("Tool");
    result = sc({"start", "Tool"}, kElevated);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("\nSERVICE_NAME: Tool\n", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("        PID                : "), std::string::npos);
    ASSERT_TRUE(velmar::test::waitForServiceState("Tool", SERVICE_RUNNING));

    result = sc({"query", "Tool"});
    EXPECT_EQ(result.out, statusBlock("Tool", "4  RUNNING", "STOPPABLE"));

    result = sc({"stop", "Tool"}, kElevated);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, statusBlock("Tool", "3  STOP_PENDING", "NOT_STOPPABLE"));
    ASSERT_TRUE(velmar::test::waitForServiceState("Tool", SERVICE_STOPPED));

    result = sc({"delete", "Tool"}, kElevated);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "[SC] DeleteService SUCCESS\n");
}

TEST_F(ScTool, FailuresExitWithTheWin32CodeAndItsText) {
    velmar::test::registerTestService("Present");
    const struct {
        std::vector<std::string> args;
        EnvOverrides env;
        DWORD code;
        const char* err;
    } cases[] = {
        {{"query", "Absent"},
         {},
         ERROR_SERVICE_DOES_NOT_EXIST,
         "[SC] OpenService FAILED 1060:\n\nThe specified service does not exist as an installed "
         "service.\n\n"},
        {{"stop", "Present"},
         kElevated,
         ERROR_SERVICE_NOT_ACTIVE,
         "[SC] ControlService FAILED 1062:\n\nThe service has not been started.\n\n"},
        {{"start", "Present"},
         {{"VELMAR_ELEVATED", "0"}},
         ERROR_ACCESS_DENIED,
         "[SC] OpenService FAILED 5:\n\nAccess is denied.\n\n"},
        {{"create", "Other", "binPath=", "/bin/true"},
         {{"VELMAR_ELEVATED", "0"}},
         ERROR_ACCESS_DENIED,
         "[SC] OpenSCManager FAILED 5:\n\nAccess is denied.\n\n"},
        {{"create", "present", "binPath=", "/bin/true"},
         kElevated,
         ERROR_SERVICE_EXISTS,
         "[SC] CreateService FAILED 1073:\n\nThe specified service already exists.\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const ChildResult result = sc(c.args, c.env);
        EXPECT_EQ(result.exitCode, static_cast<int>(c.code % 256));
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(ScTool, StartedServiceKeepsNoPipeOfTheStarter) {
    velmar::test::registerTestService("Piped");
    const velmar::test::ServiceGuard guard("Piped");
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const std::string tool = velmar::test::binPath("velmar-sc");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::execl(tool.c_str(), tool.c_str(), "start", "Piped", nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    // As $(velmar-sc start ...) does: read to the end, which comes when the tool ends.
    std::string out;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        pollfd fd{fds[0], POLLIN, 0};
        if (::poll(&fd, 1, 100) > 0) {
            char buffer[512];
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            ended = n <= 0;
            out.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        }
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(ended) << "the service holds the starter's output open";
    EXPECT_EQ(out.rfind("\nSERVICE_NAME: Piped\n", 0), 0u) << out;
    EXPECT_TRUE(velmar::test::waitForServiceState("Piped", SERVICE_RUNNING));
}
