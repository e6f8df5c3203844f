// Environment variables with Windows' names and buffer rules.
#include "platform/process/process.h"

#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

using velmar::test::ScopedEnv;

namespace {

TEST(Environment, ReadsWithWindowsBufferRules) {
    ScopedEnv set("VelmarTestVar", "value");
    ScopedEnv empty("VELMAR_TEST_EMPTY", "");
    struct Case {
        const char* name;
        DWORD size;
        DWORD result;
        const char* buffer; // what the buffer holds afterwards
        DWORD error;
    };
    const Case cases[] = {
        {"VelmarTestVar", 64, 5, "value", ERROR_SUCCESS},
        {"VELMARTESTVAR", 64, 5, "value", ERROR_SUCCESS}, // names ignore case
        {"velmartestvar", 6, 5, "value", ERROR_SUCCESS},  // exactly fits its terminator
        {"VelmarTestVar", 5, 6, "#####", ERROR_SUCCESS},  // too small: size needed, untouched
        {"VELMAR_TEST_EMPTY", 64, 0, "", ERROR_SUCCESS},
        {"VELMAR_TEST_MISSING", 64, 0, "#####", ERROR_ENVVAR_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " size " + std::to_string(c.size));
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        buffer[5] = '\0';
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetEnvironmentVariableA(c.name, buffer, c.size), c.result);
        EXPECT_STREQ(buffer, c.buffer);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(GetEnvironmentVariableA("VelmarTestVar", nullptr, 0), 6u);
}

TEST(Environment, SettingKeepsTheNameOfAnExistingVariable) {
    ScopedEnv set("VelmarMixedCase", "old");
    ASSERT_TRUE(SetEnvironmentVariableA("VELMARMIXEDCASE", "new"));
    EXPECT_STREQ(std::getenv("VelmarMixedCase"), "new");
    EXPECT_EQ(std::getenv("VELMARMIXEDCASE"), nullptr);

    ASSERT_TRUE(SetEnvironmentVariableA("velmarmixedcase", nullptr));
    EXPECT_EQ(std::getenv("VelmarMixedCase"), nullptr);
    char buffer[8] = "#";
    EXPECT_EQ(GetEnvironmentVariableA("VelmarMixedCase", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);

    for (const char* bad : {"", "A=B"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(SetEnvironmentVariableA(bad, "x"));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_FALSE(SetEnvironmentVariableA(nullptr, "x"));
}

TEST(Environment, TextCrossesAsUtf8AndPathAsAWindowsList) {
    ScopedEnv cleanup("VELMAR_TEST_DEGREE", nullptr);
    ASSERT_TRUE(SetEnvironmentVariableA("VELMAR_TEST_DEGREE", "45\xB0"));
    EXPECT_STREQ(std::getenv("VELMAR_TEST_DEGREE"), "45\xC2\xB0");
    char buffer[16] = {};
    EXPECT_EQ(GetEnvironmentVariableA("VELMAR_TEST_DEGREE", buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "45\xB0");

    ScopedEnv path("PATH", "/usr/bin:/bin");
    char list[64] = {};
    EXPECT_EQ(GetEnvironmentVariableA("Path", list, sizeof list), 13u);
    EXPECT_STREQ(list, "/usr/bin;/bin");
    ASSERT_TRUE(SetEnvironmentVariableA("path", "/opt/x;/usr/bin"));
    EXPECT_STREQ(std::getenv("PATH"), "/opt/x:/usr/bin");
}

TEST(Environment, LongValuesComeBackWhole) {
    const std::string value(5000, 'v');
    ScopedEnv set("VELMAR_TEST_LONG", value.c_str());
    std::string read;
    ASSERT_TRUE(velmar::process::environmentValue("velmar_test_long", read));
    EXPECT_EQ(read, value);
    EXPECT_FALSE(velmar::process::environmentValue("VELMAR_TEST_MISSING", read));
    EXPECT_EQ(read, value);
}

} // namespace
