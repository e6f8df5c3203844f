// velmar-choose-folder on a private session bus (dbus-daemon started by the test) with a
// stand-in portal: the folder chosen, cancel, what the portal was asked; without a bus or a
// portal it says so with status 2, so that the caller tries zenity.
#include "tests/support/child_process.h"
#include "tests/support/line_service.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using velmar::test::binPath;
using velmar::test::runProgram;
using velmar::test::Service;

class FolderPortal : public ::testing::Test {
protected:
    void SetUp() override {
        if (!velmar::test::haveProgram("dbus-daemon")) {
            GTEST_SKIP() << "dbus-daemon is not installed (apt-get install dbus-daemon)";
        }
    }
    velmar::test::TempDir m_files;
};

TEST_F(FolderPortal, ThePortalsAnswerAsZenityGivesIt) {
    const Service bus({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, {});
    ASSERT_FALSE(bus.line().empty()) << "dbus-daemon did not start";
    const velmar::test::EnvOverrides onBus{{"DBUS_SESSION_BUS_ADDRESS", bus.line()}};

    // No portal on the bus yet.
    EXPECT_EQ(runProgram({binPath("velmar-choose-folder")}, onBus).exitCode, 2);

    const struct {
        const char* answer;
        int status;
        const char* out;
    } cases[] = {
        {"file:///srv/Projets%20caf%C3%A9", 0, "/srv/Projets café\n"},
        {"cancel", 1, ""},
        {"http://example.com/x", 3, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        velmar::test::EnvOverrides env = onBus;
        env.emplace_back("STANDIN_PORTAL_ANSWER", c.answer);
        env.emplace_back("STANDIN_PORTAL_LOG", m_files.file("asked"));
        const Service portal({binPath("standin_portal")}, env);
        ASSERT_EQ(portal.line(), "ready");
        const velmar::test::ChildResult chosen = runProgram(
            {binPath("velmar-choose-folder"), "--title=Pick a folder", "--filename=/srv/data/"},
            onBus);
        EXPECT_EQ(chosen.exitCode, c.status);
        EXPECT_EQ(chosen.out, c.out);
        EXPECT_EQ(velmar::test::readFileBytes(m_files.file("asked")),
                  "title=Pick a folder\ndirectory=true\nmodal=true\ncurrent_folder=/srv/data\n");
    }
}

TEST_F(FolderPortal, WithoutASessionBusItSendsTheCallerElsewhere) {
    EXPECT_EQ(runProgram({binPath("velmar-choose-folder")},
                         {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_files.file("none")}})
                  .exitCode,
              2);
}

} // namespace
