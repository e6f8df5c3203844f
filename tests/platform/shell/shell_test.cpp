// The shell's known folders and its path joining.
#include "platform/prefix/prefix.h"
#include "platform/shell/shell.h"

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

using velmar::test::ScopedEnv;
using velmar::test::TempDir;
using velmar::test::TempPrefix;

namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(KnownFolders, CommonApplicationDataIsThePrefixProgramData) {
    TempPrefix prefix;
    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path),
              S_OK);
    EXPECT_EQ(path, prefix.prefix() + "/drive_c/ProgramData");
    EXPECT_TRUE(isFolder(path));
}

TEST(KnownFolders, LocalApplicationDataFollowsXdgDataHome) {
    TempPrefix prefix;
    TempDir data;
    const std::string xdg = data.path() + "/xdg";
    ScopedEnv xdgHome("XDG_DATA_HOME", xdg.c_str());

    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path), S_FALSE);
    EXPECT_EQ(path, xdg);
    EXPECT_FALSE(isFolder(xdg));

    std::memset(path, 0, sizeof path);
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path),
              S_OK);
    EXPECT_EQ(path, xdg);
    EXPECT_TRUE(isFolder(xdg));
}

TEST(KnownFolders, LocalApplicationDataFallsBackToHome) {
    TempPrefix prefix;
    TempDir home;
    ScopedEnv xdgHome("XDG_DATA_HOME", nullptr);
    ScopedEnv homeDir("HOME", home.path().c_str());
    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path),
              S_OK);
    EXPECT_EQ(path, home.path() + "/.local/share");
    EXPECT_TRUE(isFolder(path));
}

TEST(KnownFolders, FailuresLeaveThePathAlone) {
    TempPrefix prefix;
    TempDir data;
    const std::string file = data.file("plain");
    velmar::test::writeFileBytes(file, "x");
    ScopedEnv xdgHome("XDG_DATA_HOME", (file + "/below").c_str());
    struct Case {
        int csidl;
        HRESULT result;
    };
    const Case cases[] = {
        {0x0005, E_INVALIDARG}, // a folder this shell does not know
        {CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.csidl);
        char path[MAX_PATH] = "untouched";
        const HRESULT result = SHGetFolderPathA(nullptr, c.csidl, nullptr, 0, path);
        EXPECT_LT(result, 0);
        EXPECT_EQ(result, c.result);
        EXPECT_STREQ(path, "untouched");
    }
}

TEST(PathAppend, JoinsWithOneBackslash) {
    struct Case {
        const char* path;
        const char* more;
        const char* joined;
    };
    const Case cases[] = {
        {"C:\\data", "x", "C:\\data\\x"},
        {"C:\\data\\", "x", "C:\\data\\x"},
        {"C:\\data", "\\x\\y", "C:\\data\\x\\y"},
        {"C:\\data", "D:\\y", "D:\\y"},
        {"C:\\data", "\\\\srv\\share", "\\\\srv\\share"},
        {"/srv/prefix/drive_c/ProgramData", "Velmar Systems",
         "/srv/prefix/drive_c/ProgramData\\Velmar Systems"},
        {"/srv/", "x", "/srv/x"},
        {"", "x", "x"},
        {"C:\\data", "", "C:\\data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " + " + c.more);
        char buffer[MAX_PATH] = {};
        std::strcpy(buffer, c.path);
        EXPECT_TRUE(PathAppendA(buffer, c.more));
        EXPECT_STREQ(buffer, c.joined);
    }
}

TEST(PathAppend, RefusesWhatDoesNotFitMaxPath) {
    char buffer[MAX_PATH + 8] = {};
    const std::string base(250, 'a');
    std::strcpy(buffer, base.c_str());
    EXPECT_FALSE(PathAppendA(buffer, "0123456789"));
    EXPECT_EQ(buffer, base);
    EXPECT_TRUE(PathAppendA(buffer, "12345678")); // 259 characters and the terminator
    EXPECT_EQ(std::strlen(buffer), 259u);

    std::string unlimited = base;
    velmar::shell::appendShellPath(unlimited, "0123456789");
    EXPECT_EQ(unlimited, base + "\\0123456789");
}

} // namespace
