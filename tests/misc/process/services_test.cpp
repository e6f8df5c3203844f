// isServiceRunning and startService against real services of a private prefix.
#include "misc/process/process.h"
#include "platform/services/services.h"
#include "tests/support/scoped_env.h"
#include "tests/support/service_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

using velmar::test::registerTestService;
using velmar::test::ScopedEnv;
using velmar::test::ServiceGuard;
using velmar::test::serviceStatus;
using velmar::test::waitForServiceState;

namespace {

class ServiceQueries : public ::testing::Test {
protected:
    velmar::test::TempPrefix m_prefix;
    ScopedEnv m_elevated{"VELMAR_ELEVATED", "1"};
};

} // namespace

TEST_F(ServiceQueries, StartsAStoppedServiceAndSeesItRunning) {
    registerTestService("Worker");
    const ServiceGuard guard("Worker");
    EXPECT_FALSE(isServiceRunning(CString("Worker")));
    EXPECT_TRUE(startService(std::string("Worker")));
    ASSERT_TRUE(waitForServiceState("Worker", SERVICE_RUNNING));
    EXPECT_TRUE(isServiceRunning(CString("worker")));
    EXPECT_TRUE(isServiceRunning(std::string("WORKER")));

    // Running already, it is not opened for starting: even an ordinary user gets true.
    const ScopedEnv ordinary("VELMAR_ELEVATED", "0");
    EXPECT_TRUE(startService(CString("Worker")));
}

TEST_F(ServiceQueries, StartPendingIsNotRunningAndRefusesAStart) {
    registerTestService("Sluggish", SERVICE_DEMAND_START, 3000);
    const ServiceGuard guard("Sluggish");
    ASSERT_TRUE(startService(CString("Sluggish")));
    ASSERT_EQ(serviceStatus("Sluggish").dwCurrentState, SERVICE_START_PENDING);
    EXPECT_FALSE(isServiceRunning(CString("Sluggish")));
    EXPECT_FALSE(startService(CString("Sluggish")));
    EXPECT_FALSE(startService(std::string("Sluggish")));
}

TEST_F(ServiceQueries, FailuresGiveFalse) {
    registerTestService("Off", SERVICE_DISABLED);
    registerTestService("Idle");
    const struct {
        const char* name;
        const char* elevated;
    } cases[] = {
        {"Missing", "1"}, // no such service
        {"Off", "1"},     // disabled
        {"Idle", "0"},    // stopped, and the caller may not start services
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedEnv elevated("VELMAR_ELEVATED", c.elevated);
        EXPECT_FALSE(isServiceRunning(CString(c.name)));
        EXPECT_FALSE(isServiceRunning(std::string(c.name)));
        EXPECT_FALSE(startService(CString(c.name)));
        EXPECT_FALSE(startService(std::string(c.name)));
    }
    EXPECT_EQ(serviceStatus("Idle").dwCurrentState, SERVICE_STOPPED);
}
