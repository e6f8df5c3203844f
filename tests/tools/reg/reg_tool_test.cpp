#include "misc/registry/registry.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

using velmar::test::ChildResult;
using velmar::test::EnvOverrides;
using velmar::test::TempPrefix;

namespace {

ChildResult reg(std::vector<std::string> args, const EnvOverrides& env = {}) {
    args.insert(args.begin(), velmar::test::binPath("velmar-reg"));
    return velmar::test::runProgram(args, env);
}

const char* kOk = "The operation completed successfully.\n";
const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";

class RegTool : public ::testing::Test {
protected:
    TempPrefix m_prefix;
};

} // namespace

TEST_F(RegTool, AddsValuesOfEveryTypeAndQueriesThem) {
    const struct {
        std::vector<std::string> args;
    } adds[] = {
        {{"add", "HKCU\\Software\\Demo", "/v", "Name", "/d", "Zo\xC3\xAB"}},
        {{"add", "HKEY_CURRENT_USER\\Software\\Demo", "/v", "Count", "/t", "REG_DWORD", "/d",
          "0x2A"}},
        {{"add", "hkcu\\software\\demo", "/v", "Big", "/t", "reg_qword", "/d", "4294967296"}},
        {{"add", "HKCU\\Software\\Demo", "/v", "Multi", "/t", "REG_MULTI_SZ", "/d", "a\\0b"}},
        {{"add", "HKCU\\Software\\Demo", "/v", "Bin", "/t", "REG_BINARY", "/d", "00ff10"}},
        {{"add", "HKCU\\Software\\Demo\\Sub", "/ve", "/d", "default"}},
        {{"add", "HKCU\\Software\\Demo\\Empty"}},
    };
    for (const auto& add : adds) {
        SCOPED_TRACE(add.args.back());
        const ChildResult result = reg(add.args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, kOk);
    }
    // What the tool wrote is what the library reads.
    CString name;
    ASSERT_TRUE(readKeyText(HKEY_CURRENT_USER, "Software\\Demo", "name", name, false));
    EXPECT_EQ(name, "Zo\xEB");

    ChildResult result = reg({"query", "HKCU\\Software\\Demo"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "\nHKEY_CURRENT_USER\\Software\\Demo\n"
                          "    Name    REG_SZ    Zo\xC3\xAB\n"
                          "    Count    REG_DWORD    0x2a\n"
                          "    Big    REG_QWORD    0x100000000\n"
                          "    Multi    REG_MULTI_SZ    a\\0b\n"
                          "    Bin    REG_BINARY    00FF10\n"
                          "\n"
                          "HKEY_CURRENT_USER\\Software\\Demo\\Empty\n"
                          "HKEY_CURRENT_USER\\Software\\Demo\\Sub\n");

    result = reg({"query", "HKCU\\Software\\Demo", "/v", "COUNT"});
    EXPECT_EQ(result.out,
              "\nHKEY_CURRENT_USER\\Software\\Demo\n    Count    REG_DWORD    0x2a\n\n");
    result = reg({"query", "HKCU\\Software\\Demo\\Sub", "/ve"});
    EXPECT_EQ(result.out,
              "\nHKEY_CURRENT_USER\\Software\\Demo\\Sub\n    (Default)    REG_SZ    default\n\n");
    result = reg({"query", "HKCU\\Software\\Demo\\Sub", "/s"});
    EXPECT_EQ(result.out, "\nHKEY_CURRENT_USER\\Software\\Demo\\Sub\n"
                          "    (Default)    REG_SZ    default\n\n");
    result = reg({"query", "HKCU\\Software", "/s"});
    EXPECT_NE(result.out.find("\nHKEY_CURRENT_USER\\Software\\Demo\\Sub\n    (Default)"),
              std::string::npos);
}

TEST_F(RegTool, DeletesValuesAndKeys) {
    for (const char* value : {"a", "b", "c"}) {
        ASSERT_EQ(reg({"add", "HKCU\\Software\\Del", "/v", value, "/d", "1"}).exitCode, 0);
    }
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Del\\Child\\Deep"}).exitCode, 0);

    EXPECT_EQ(reg({"delete", "HKCU\\Software\\Del", "/v", "a", "/f"}).out, kOk);
    std::vector<CString> names;
    ASSERT_TRUE(listValueNames(HKEY_CURRENT_USER, "Software\\Del", names, false));
    EXPECT_EQ(names, (std::vector<CString>{"b", "c"}));
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\Del", "/va", "/f"}).exitCode, 0);
    EXPECT_FALSE(listValueNames(HKEY_CURRENT_USER, "Software\\Del", names, false));

    // Without /f the tool asks; no answer is no.
    ChildResult result = reg({"delete", "HKCU\\Software\\Del"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "ERROR: The operation was cancelled.\n");
    EXPECT_TRUE(listSubkeys(HKEY_CURRENT_USER, "Software\\Del", names, 0));

    EXPECT_EQ(reg({"delete", "HKCU\\Software\\Del", "/f"}).out, kOk);
    EXPECT_FALSE(listSubkeys(HKEY_CURRENT_USER, "Software", names, 0));
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\Del", "/f"}).err, kNotFound);
}

TEST_F(RegTool, CopiesKeysWithOrWithoutSubkeys) {
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Src", "/v", "top", "/d", "1"}).exitCode, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Src\\Sub", "/v", "deep", "/d", "2"}).exitCode, 0);
    EXPECT_EQ(reg({"copy", "HKCU\\Software\\Src", "HKCU\\Software\\Flat"}).out, kOk);
    std::vector<CString> names;
    EXPECT_FALSE(listSubkeys(HKEY_CURRENT_USER, "Software\\Flat", names, 0));
    ASSERT_TRUE(listValueNames(HKEY_CURRENT_USER, "Software\\Flat", names, false));
    EXPECT_EQ(names, std::vector<CString>{"top"});

    const EnvOverrides elevated{{"VELMAR_ELEVATED", "1"}};
    EXPECT_EQ(reg({"copy", "HKCU\\Software\\Src", "HKLM\\Software\\Deep", "/s"}, elevated).out,
              kOk);
    CString deep;
    EXPECT_TRUE(readKeyText(HKEY_LOCAL_MACHINE, "Software\\Deep\\Sub", "deep", deep, false));
    EXPECT_EQ(deep, "2");

    ChildResult result = reg({"copy", "HKCU\\Software\\Src", "HKCU\\Software\\Flat"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "ERROR: The operation was cancelled.\n");
    EXPECT_EQ(reg({"copy", "HKCU\\Software\\Src", "HKCU\\Software\\Flat", "/f"}).exitCode, 0);
    EXPECT_EQ(reg({"copy", "HKCU\\Software\\Src", "hkcu\\software\\src"}).exitCode, 1);
}

TEST_F(RegTool, ViewsAndElevation) {
    const EnvOverrides elevated{{"VELMAR_ELEVATED", "1"}};
    ASSERT_EQ(reg({"add", "HKLM\\Software\\Maker", "/v", "bits", "/d", "32", "/reg:32"}, elevated)
                  .exitCode,
              0);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\Maker", "/v", "bits", "/reg:64"}).err, kNotFound);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\Maker", "/v", "bits", "/reg:32"}).exitCode, 0);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\WOW6432Node\\Maker", "/v", "bits"}).exitCode, 0);

    const EnvOverrides ordinary{{"VELMAR_ELEVATED", "0"}};
    ChildResult result = reg({"add", "HKLM\\Software\\Maker", "/v", "x", "/d", "1"}, ordinary);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "ERROR: Access is denied.\n");
    result = reg({"delete", "HKLM\\Software\\WOW6432Node\\Maker", "/f"}, ordinary);
    EXPECT_EQ(result.err, "ERROR: Access is denied.\n");
    EXPECT_EQ(reg({"query", "HKLM\\Software\\Maker", "/reg:32"}, ordinary).exitCode, 0);
}

TEST_F(RegTool, EveryFailureSaysWhyAndExitsWithOne) {
    ASSERT_EQ(reg({"add", "HKCU\\Software\\X", "/v", "v", "/d", "1"}).exitCode, 0);
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{}, "Usage: velmar-reg <verb> ..."},
        {{"frob"}, "ERROR: Invalid verb: frob"},
        {{"query"}, "ERROR: Invalid syntax: query needs one key."},
        {{"query", "HKXX\\Software"}, "ERROR: Invalid key name: HKXX\\Software"},
        {{"query", "HKCU\\Software\\Nope"}, kNotFound},
        {{"query", "HKCU\\Software\\X", "/v", "nope"}, kNotFound},
        {{"query", "HKCU\\Software\\X", "/v"}, "ERROR: Invalid syntax: /v needs a value."},
        {{"query", "HKCU\\Software\\X", "/z"}, "ERROR: Invalid syntax: unknown option /z."},
        {{"query", "HKCU\\Software\\X", "/reg:32", "/reg:64"},
         "ERROR: Only one of /reg:32 and /reg:64 may be given."},
        {{"add", "HKCU\\Software\\X", "/v", "n", "/t", "REG_FOO"}, "ERROR: Invalid type: REG_FOO"},
        {{"add", "HKCU\\Software\\X", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296"},
         "ERROR: Invalid data for REG_DWORD: 4294967296"},
        {{"add", "HKCU\\Software\\X", "/v", "n", "/t", "REG_BINARY", "/d", "abc"},
         "ERROR: Invalid data for REG_BINARY: give an even number of hex digits."},
        {{"add", "HKCU\\Software\\X", "/v", "n", "/ve"},
         "ERROR: Invalid syntax: give only one of /v, /ve and /va."},
        {{"add", "HKCU\\" + std::string(256, 'k')}, "ERROR: The parameter is incorrect."},
        {{"delete", "HKCU", "/f"}, "ERROR: A hive cannot be deleted."},
        {{"copy", "HKCU\\Software\\Nope", "HKCU\\Software\\Y"}, kNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const ChildResult result = reg(c.args);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err.substr(0, std::string(c.error).size()), c.error);
    }
}
