// Directory operations on real folders.
#include "misc/files/files.h"

#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"
#include "platform/text/text.h"

#include "tests/support/helper_process.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sys/stat.h>

namespace {

using velmar::test::readFileBytes;
using velmar::test::writeFileBytes;

class Directories : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
        c = velmar::prefix::driveCPath();
    }
    bool hostExists(const std::string& path) {
        struct stat st {};
        return ::lstat((c + "/" + path).c_str(), &st) == 0;
    }
    void tree() {
        // C:\a holds b (holding c) and d; files at every level.
        ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/a/b/c"));
        ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/a/d"));
        writeFileBytes(c + "/a/top.tif", "1");
        writeFileBytes(c + "/a/top.txt", "1");
        writeFileBytes(c + "/a/b/mid.TIF", "1");
        writeFileBytes(c + "/a/b/c/deep.tif", "1");
        writeFileBytes(c + "/a/b/c/deep.tif.bak", "1");
        writeFileBytes(c + "/a/d/side.tif", "1");
    }
    velmar::test::TempPrefix prefix;
    std::string c;
};

template <typename T>
std::vector<T> sorted(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST_F(Directories, CreateDirectories) {
    EXPECT_TRUE(createDirectories("C:\\x\\y\\z"));
    EXPECT_TRUE(hostExists("x/y/z"));
    EXPECT_TRUE(createDirectories(L"C:\\X\\Y\\z\\w"));
    EXPECT_TRUE(hostExists("x/y/z/w"));
    EXPECT_TRUE(createDirectories(std::string("C:\\x\\y")));
    EXPECT_TRUE(createDirectories(std::wstring(L"c:/New/Case")));
    EXPECT_TRUE(hostExists("New/Case"));
    writeFileBytes(c + "/file", "x");
    EXPECT_FALSE(createDirectories("C:\\file\\sub"));
    EXPECT_FALSE(createDirectories("Q:\\x"));
    EXPECT_FALSE(createDirectories("C:\\bad|name"));
    EXPECT_FALSE(createDirectories(std::string("C:\\") + std::string(5000, 'x')));
}

TEST_F(Directories, RemoveTreeAndEmptyFolder) {
    tree();
    ASSERT_EQ(::chmod((c + "/a/b/mid.TIF").c_str(), 0444), 0);
    EXPECT_EQ(removeTree(std::string("C:\\A\\B")), 5u);
    EXPECT_FALSE(hostExists("a/b"));
    EXPECT_EQ(removeTree(std::wstring(L"C:\\a\\b")), 0u);
    EXPECT_EQ(removeTree(std::string("Q:\\a")), 0u);
    removeTree("C:\\a\\top.txt");
    EXPECT_FALSE(hostExists("a/top.txt"));

    EXPECT_TRUE(emptyFolder(std::string("C:\\a")));
    EXPECT_TRUE(hostExists("a"));
    EXPECT_TRUE(isEmptyFolder(std::string("C:\\a")));
    EXPECT_FALSE(emptyFolder(std::wstring(L"C:\\none")));
    writeFileBytes(c + "/a/x", "1");
    emptyFolder("C:\\a");
    EXPECT_FALSE(hostExists("a/x"));
}

TEST_F(Directories, FailuresGiveZeroAndStopTheEmptying) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/locked/inner"));
    writeFileBytes(c + "/locked/inner/x", "1");
    ASSERT_EQ(::chmod((c + "/locked/inner").c_str(), 0755), 0);
    ASSERT_EQ(::chmod((c + "/locked").c_str(), 0755), 0);
    velmar::test::openWayTo(c + "/locked/inner");
    // Root's folders: an ordinary user can look but not remove.
    EXPECT_TRUE(velmar::test::asOrdinaryUser([] {
        return removeTree(std::string("C:\\locked")) == 0 &&
               !emptyFolder(std::wstring(L"C:\\locked")) &&
               !removePath(std::string("C:\\locked\\inner\\x"));
    }));
    if (::geteuid() == 0) {
        EXPECT_TRUE(hostExists("locked/inner/x"));
    }
}

TEST_F(Directories, RemovePath) {
    tree();
    EXPECT_FALSE(removePath(std::string("C:\\a\\b")));
    EXPECT_TRUE(hostExists("a/b/mid.TIF"));
    ASSERT_EQ(::chmod((c + "/a/top.tif").c_str(), 0444), 0);
    EXPECT_TRUE(removePath(std::string("C:\\a\\TOP.tif")));
    EXPECT_TRUE(removePath(std::wstring(L"C:\\a\\d\\side.tif")));
    EXPECT_TRUE(removePath(std::wstring(L"C:\\a\\d")));
    EXPECT_FALSE(removePath(std::string("C:\\a\\d")));
}

TEST_F(Directories, RenameAndCopy) {
    writeFileBytes(c + "/from.txt", "from");
    writeFileBytes(c + "/to.txt", "to");
    EXPECT_TRUE(renamePath(std::string("C:\\from.txt"), std::string("C:\\TO.txt")));
    EXPECT_EQ(readFileBytes(c + "/to.txt"), "from");
    EXPECT_FALSE(renamePath(std::string("C:\\from.txt"), std::string("C:\\x.txt")));
    EXPECT_TRUE(
        renamePath(std::wstring(L"C:\\to.txt"), std::wstring(L"C:\\ProgramData\\moved.txt")));

    writeFileBytes(c + "/src.txt", "new");
    writeFileBytes(c + "/dst.txt", "old");
    EXPECT_FALSE(copyFile(std::string("C:\\src.txt"), std::string("C:\\dst.txt")));
    EXPECT_FALSE(copyFile(std::wstring(L"C:\\src.txt"), std::wstring(L"C:\\dst.txt"), true));
    EXPECT_EQ(readFileBytes(c + "/dst.txt"), "old");
    EXPECT_TRUE(copyFile(std::string("C:\\src.txt"), std::string("C:\\dst.txt"), false));
    EXPECT_EQ(readFileBytes(c + "/dst.txt"), "new");
    EXPECT_TRUE(copyFile(std::wstring(L"C:\\src.txt"), std::wstring(L"C:\\fresh.txt")));
    EXPECT_EQ(readFileBytes(c + "/fresh.txt"), "new");
    EXPECT_FALSE(copyFile(std::string("C:\\src.txt"), std::string("C:\\src.txt"), false));
    EXPECT_EQ(readFileBytes(c + "/src.txt"), "new");
    EXPECT_FALSE(copyFile(std::string("C:\\none.txt"), std::string("C:\\x.txt"), false));

    tree();
    EXPECT_TRUE(copyFile(std::string("C:\\a"), std::string("C:\\copied")));
    EXPECT_TRUE(hostExists("copied/top.tif"));
    EXPECT_FALSE(hostExists("copied/b"));
    EXPECT_TRUE(copyFile(std::string("C:\\a"), std::string("C:\\untouched"), false));
    EXPECT_FALSE(hostExists("untouched"));
}

TEST_F(Directories, ListFiles) {
    tree();
    std::vector<std::string> list;
    EXPECT_TRUE(listFiles(list, "C:\\a", ".*\\.tif", true));
    EXPECT_EQ(sorted(list), (std::vector<std::string>{"C:\\a\\b\\c\\deep.tif", "C:\\a\\b\\mid.TIF",
                                                      "C:\\a\\d\\side.tif", "C:\\a\\top.tif"}));
    list.clear();
    EXPECT_TRUE(listFiles(list, "C:\\a\\", ".*\\.tif", false));
    EXPECT_EQ(list, (std::vector<std::string>{"C:\\a\\top.tif"}));
    EXPECT_TRUE(listFiles(list, "C:\\a\\", ".*\\.tif", false));
    EXPECT_EQ(list.size(), 2u); // not cleared
    list.clear();
    EXPECT_FALSE(listFiles(list, "C:\\a", "top", false));
    EXPECT_TRUE(listFiles(list, "C:\\a", ".*", false));
    EXPECT_EQ(list.size(), 2u);

    std::vector<std::string> sentinel{"kept"};
    EXPECT_FALSE(listFiles(sentinel, "C:\\none", ".*", true));
    EXPECT_EQ(sentinel, std::vector<std::string>{"kept"});
    EXPECT_TRUE(listFiles(sentinel, "C:\\a\\d", ".*", true)); // entries of earlier calls count
    EXPECT_EQ(sentinel.size(), 2u);

    std::vector<std::wstring> wide;
    writeFileBytes(c + "/a/\xce\xa9.tif", "1");
    EXPECT_TRUE(listFiles(wide, L"C:\\a", L"\x03a9\\.TIF", false));
    EXPECT_EQ(wide, std::vector<std::wstring>{L"C:\\a\\\x03a9.tif"});
    std::vector<std::string> narrow;
    EXPECT_TRUE(listFiles(narrow, "C:\\a", "\\?\\.tif", false));
    EXPECT_EQ(narrow, std::vector<std::string>{"C:\\a\\?.tif"});
}

// Whatever shortcut the listing takes, it answers as the expression itself does.
TEST_F(Directories, ListFilesMatchesAsTheExpressionDoes) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/m"));
    const char* names[] = {"scan.TIF",      "scan.tif.bak",    "a.tif",   "tif",    ".tif",
                           "new\nline.tif", "caf\xc3\xa9.TIF", "x-y.tif", "a+b.tif"};
    for (const char* name : names) {
        writeFileBytes(c + "/m/" + name, "");
    }
    const char* patterns[] = {".*\\.tif",  ".*",         ".*TIF",        ".*\\.t.f",
                              ".*a\\.tif", ".*-y\\.tif", ".*\\+b\\.tif", ".*\\w\\.tif",
                              "scan.*",    "(.*)\\.tif"};
    for (const char* pattern : patterns) {
        SCOPED_TRACE(pattern);
        const std::regex expression(pattern, std::regex::ECMAScript | std::regex::icase);
        std::vector<std::string> expected;
        for (const char* name : names) {
            const std::string narrow = velmar::text::utf8ToAnsi(name);
            if (std::regex_match(narrow, expression)) {
                expected.push_back("C:\\m\\" + narrow);
            }
        }
        std::vector<std::string> listed;
        listFiles(listed, "C:\\m", pattern, false);
        EXPECT_EQ(sorted(listed), sorted(expected));
    }
}

TEST_F(Directories, ListFilesRaisesStandardErrors) {
    tree();
    std::vector<std::string> list;
    EXPECT_THROW(listFiles(list, "C:\\a", "([", true), std::regex_error);
    writeFileBytes(c + "/plain", "x");
    EXPECT_THROW(listFiles(list, "C:\\plain", ".*", true), std::filesystem::filesystem_error);

    ASSERT_EQ(::chmod((c + "/a/b").c_str(), 0711), 0);
    velmar::test::openWayTo(c + "/a/b");
    ::chmod((c + "/a").c_str(), 0755);
    EXPECT_TRUE(velmar::test::asOrdinaryUser([] {
        std::vector<std::string> partial;
        try {
            listFiles(partial, "C:\\a", ".*", true);
        } catch (const std::filesystem::filesystem_error&) {
            return true;
        }
        return false;
    }));
    EXPECT_TRUE(velmar::test::asOrdinaryUser([] {
        std::vector<std::string> folders;
        return !listFolders(folders, "C:\\a", ".*"); // caught, reported as false
    }));
}

TEST_F(Directories, ListFolders) {
    tree();
    std::vector<std::string> list;
    EXPECT_TRUE(listFolders(list, "C:\\a", ".*"));
    ASSERT_EQ(list.size(), 3u);
    const auto at = [&](const char* p) {
        return std::find(list.begin(), list.end(), p) - list.begin();
    };
    EXPECT_LT(at("C:\\a\\b"), at("C:\\a\\b\\c"));
    EXPECT_LT(at("C:\\a\\d"), 3);
    std::vector<std::wstring> wide;
    EXPECT_TRUE(listFolders(wide, L"C:\\a", L"C"));
    EXPECT_EQ(wide, std::vector<std::wstring>{L"C:\\a\\b\\c"});
    EXPECT_FALSE(listFolders(wide, L"C:\\none", L".*"));
    EXPECT_FALSE(listFolders(list, "C:\\a", "(("));
}

TEST_F(Directories, FindFilesAndSubFolders) {
    tree();
    std::vector<CString> list{CString("stale")};
    EXPECT_TRUE(findFiles(list, "C:\\a", "*.tif", true));
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list.back(), "C:\\a\\top.tif"); // the folder itself comes last
    const auto at = [&](const char* p) {
        return std::find(list.begin(), list.end(), CString(p)) - list.begin();
    };
    EXPECT_LT(at("C:\\a\\b\\c\\deep.tif"), at("C:\\a\\b\\mid.TIF")); // deepest first
    EXPECT_LT(at("C:\\a\\d\\side.tif"), 3);

    std::vector<std::string> std{"kept"};
    EXPECT_TRUE(findFiles(std, "C:\\a\\", "*.TXT", false));
    EXPECT_EQ(std, (std::vector<std::string>{"kept", "C:\\a\\\\top.txt"}));
    EXPECT_FALSE(findFiles(list, "", "*.*", true));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(findFiles(std, "C:\\none", "*.*", true));

    std::vector<CString> subs;
    EXPECT_TRUE(listSubFolders(subs, "C:\\a", true));
    ASSERT_EQ(subs.size(), 3u);
    const auto sub = [&](const char* p) {
        return std::find(subs.begin(), subs.end(), CString(p)) - subs.begin();
    };
    EXPECT_EQ(sub("C:\\a\\b\\c") + 1, sub("C:\\a\\b"));
    std::vector<std::string> withSlash;
    std::vector<std::string> without;
    EXPECT_TRUE(listSubFolders(withSlash, "C:\\a\\", false));
    EXPECT_TRUE(listSubFolders(without, "C:\\a", false));
    EXPECT_EQ(sorted(withSlash), (std::vector<std::string>{"C:\\a\\b", "C:\\a\\d"}));
    EXPECT_EQ(withSlash, without);
    EXPECT_FALSE(listSubFolders(subs, nullptr, false));
}

TEST_F(Directories, DeleteMatchingFiles) {
    tree();
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/a/folder.tif"));
    EXPECT_TRUE(deleteMatchingFiles("C:\\A\\*.TIF"));
    EXPECT_FALSE(hostExists("a/top.tif"));
    EXPECT_TRUE(hostExists("a/top.txt"));
    EXPECT_TRUE(hostExists("a/folder.tif"));
    EXPECT_FALSE(deleteMatchingFiles("C:\\a\\*.tif"));
    EXPECT_FALSE(deleteMatchingFiles("C:\\none\\*.*"));
}

TEST_F(Directories, TempFolder) {
    EXPECT_EQ(tempFolder(), prefix.tmp() + "/");
    EXPECT_EQ(tempFolderW(), velmar::text::utf8ToWide(prefix.tmp() + "/"));
    writeFileBytes(c + "/notafolder", "x");
    ::setenv("TMPDIR", (c + "/notafolder").c_str(), 1);
    try {
        tempFolder();
        ADD_FAILURE() << "no error";
    } catch (const std::filesystem::filesystem_error& e) {
        EXPECT_NE(std::string(e.what()).find("temp_directory_path"), std::string::npos);
    }
    ::setenv("TMPDIR", (c + "/missing").c_str(), 1);
    EXPECT_THROW(tempFolderW(), std::filesystem::filesystem_error);
}

int g_waits = 0;
std::string g_replacedOnLastWait;

void countWait(unsigned milliseconds) {
    EXPECT_EQ(milliseconds, 2000u);
    if (++g_waits == 90 && !g_replacedOnLastWait.empty()) {
        writeFileBytes(g_replacedOnLastWait, "old");
    }
}

TEST_F(Directories, ReplaceFileWithRetry) {
    setReplaceRetryWait(countWait);
    writeFileBytes(c + "/old.dat", "old");
    writeFileBytes(c + "/new.dat", "new");
    g_waits = 0;
    EXPECT_TRUE(replaceFileWithRetry("C:\\old.dat", "C:\\new.dat"));
    EXPECT_EQ(g_waits, 0);
    EXPECT_EQ(readFileBytes(c + "/old.dat"), "new");
    EXPECT_FALSE(hostExists("new.dat"));

    // The replaced file appears only during the last wait: the 91st attempt succeeds.
    writeFileBytes(c + "/new.dat", "newer");
    g_replacedOnLastWait = c + "/late.dat";
    g_waits = 0;
    EXPECT_TRUE(replaceFileWithRetry("C:\\late.dat", "C:\\new.dat"));
    EXPECT_EQ(g_waits, 90);
    EXPECT_EQ(readFileBytes(c + "/late.dat"), "newer");

    // Held open by another process all along: 91 attempts, then false.
    writeFileBytes(c + "/new.dat", "newest");
    g_replacedOnLastWait.clear();
    g_waits = 0;
    {
        velmar::test::FileHolder holder(c + "/late.dat");
        EXPECT_FALSE(replaceFileWithRetry("C:\\late.dat", "C:\\new.dat"));
    }
    EXPECT_EQ(g_waits, 90);
    EXPECT_EQ(readFileBytes(c + "/late.dat"), "newer");
    setReplaceRetryWait(nullptr);
}

TEST_F(Directories, NumberedCopies) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/data"));
    writeFileBytes(c + "/data/scan.tif", "original");
    EXPECT_EQ(numberedCopyFolder("C:\\data\\scan.tif", 3, "history"), "C:\\data\\history\\03");
    EXPECT_EQ(numberedCopyFolder("C:\\data\\scan.tif", 123, "h"), "C:\\data\\h\\123");

    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/data/history/07"));
    writeFileBytes(c + "/data/history/07/scan.tif", "stale");
    const CString copy = prepareNumberedCopy("C:\\data\\scan.tif", 7, "history");
    EXPECT_EQ(copy, "C:\\data\\history\\07\\scan.tif");
    EXPECT_FALSE(hostExists("data/history/07/scan.tif"));
    EXPECT_EQ(prepareNumberedCopy("C:\\data\\scan.tif", 8, "history"),
              "C:\\data\\history\\08\\scan.tif");
    EXPECT_TRUE(hostExists("data/history/08"));

    writeFileBytes(c + "/data/history/07/scan.tif", "copy");
    struct stat copyStat {};
    ASSERT_EQ(::stat((c + "/data/history/07/scan.tif").c_str(), &copyStat), 0);
    EXPECT_TRUE(restoreNumberedCopy("C:\\data\\history\\07\\scan.tif"));
    struct stat restored {};
    ASSERT_EQ(::stat((c + "/data/scan.tif").c_str(), &restored), 0);
    EXPECT_EQ(restored.st_ino, copyStat.st_ino); // moved in one step, not copied
    EXPECT_EQ(readFileBytes(c + "/data/scan.tif"), "copy");
    EXPECT_FALSE(hostExists("data/history/07/scan.tif"));

    EXPECT_FALSE(removeNumberedCopies(CString("C:\\data\\scan.tif")));
    EXPECT_TRUE(hostExists("data/scan.tif"));
    EXPECT_TRUE(removeNumberedCopies(CString("C:\\data\\history\\07\\scan.tif")));
    EXPECT_FALSE(hostExists("data/history"));
    EXPECT_TRUE(hostExists("data/scan.tif"));
}

// The file a copy was made from is never lost: when it may not be replaced, nothing moves.
TEST_F(Directories, RestoreNumberedCopyNeverLosesTheOriginal) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/data/history/01"));
    writeFileBytes(c + "/data/history/01/scan.tif", "copy");
    EXPECT_FALSE(restoreNumberedCopy("C:\\data\\history\\01\\scan.tif")); // nothing to replace
    EXPECT_TRUE(hostExists("data/history/01/scan.tif"));

    writeFileBytes(c + "/data/scan.tif", "original");
    ASSERT_EQ(::chmod((c + "/data/scan.tif").c_str(), 0444), 0);
    EXPECT_FALSE(restoreNumberedCopy("C:\\data\\history\\01\\scan.tif"));
    EXPECT_EQ(readFileBytes(c + "/data/scan.tif"), "original");
    ASSERT_EQ(::chmod((c + "/data/scan.tif").c_str(), 0644), 0);
    {
        velmar::test::FileHolder holder(c + "/data/scan.tif");
        EXPECT_FALSE(restoreNumberedCopy("C:\\data\\history\\01\\scan.tif"));
    }
    EXPECT_EQ(readFileBytes(c + "/data/scan.tif"), "original");
    EXPECT_TRUE(hostExists("data/history/01/scan.tif"));
    EXPECT_FALSE(restoreNumberedCopy("C:\\data\\history\\01\\missing.tif"));
    EXPECT_EQ(readFileBytes(c + "/data/scan.tif"), "original");
    EXPECT_FALSE(restoreNumberedCopy("\\01\\scan.tif"));
}

// A set folder that is a root, or a folder that only looks numbered, is never removed.
TEST_F(Directories, RemoveNumberedCopiesRefusesRootsAndNonNumbers) {
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/07"));
    writeFileBytes(c + "/07/x.tif", "x");
    EXPECT_FALSE(removeNumberedCopies(CString("C:\\07\\x.tif")));
    EXPECT_TRUE(hostExists("07/x.tif"));
    ASSERT_TRUE(velmar::prefix::makeHostDirectories(c + "/data/set-1"));
    EXPECT_FALSE(removeNumberedCopies(CString("C:\\data\\set-1\\x.tif")));
    EXPECT_FALSE(removeNumberedCopies(CString("C:\\data\\set 7\\x.tif")));
    EXPECT_TRUE(hostExists("data/set-1"));
    EXPECT_FALSE(removeNumberedCopies(CString("x.tif")));
}

// Paths no folder can have give the documented results, never a crash or an overflow.
TEST_F(Directories, BadInputGivesTheDocumentedResults) {
    const std::string rows[] = {
        "C:\\" + std::string(5000, 'x') + "\\y.tif",
        "C:\\" + std::string(300, 'x'),
        "C:\\Work\\<>:\"|?*.tif",
        "Q:\\missing\\drive.tif",
        "\\\\server\\share\\x.tif",
        "",
    };
    // Relative paths land in a folder of the test's own.
    velmar::test::TempDir cwd;
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(cwd.path().c_str()), 0);
    setReplaceRetryWait([](unsigned) {});
    for (const std::string& path : rows) {
        SCOPED_TRACE(path.substr(0, 40));
        const char* p = path.c_str();
        EXPECT_FALSE(fileExists(p));
        EXPECT_FALSE(isDirectory(p));
        EXPECT_TRUE(isEmptyFolder(path));
        EXPECT_FALSE(canOpenForReading(p));
        EXPECT_TRUE(canWriteFile(path)); // a missing file counts as writable
        EXPECT_FALSE(testWriteAccess(p));
        EXPECT_TRUE(setReadOnly(path, true));
        EXPECT_FALSE(setHiddenAttribute(p, true));
        EXPECT_EQ(fileSizeOf(p), 0);
        EXPECT_FALSE(isTextFile(p));
        EXPECT_FALSE(fileContainsText(p, "x", true));
        EXPECT_EQ(actualCasePathSC(p), "");
        EXPECT_FALSE(createDirectories(p));
        EXPECT_EQ(removeTree(path), 0u);
        EXPECT_FALSE(emptyFolder(path));
        EXPECT_FALSE(removePath(path));
        EXPECT_FALSE(renamePath(path, path + "2"));
        EXPECT_FALSE(copyFile(path, path + "2", false));
        EXPECT_FALSE(replaceFileWithRetry(p, p));
        if (!path.empty()) { // "" + "*" would be every file of the current folder
            EXPECT_FALSE(deleteMatchingFiles((path + "\\*").c_str()));
        }
        std::vector<std::string> list;
        std::vector<CString> framework;
        EXPECT_FALSE(listFiles(list, path, ".*", true));
        EXPECT_FALSE(listFolders(list, path, ".*"));
        EXPECT_FALSE(findFiles(framework, p, "*.*", true));
        if (!path.empty()) { // "" becomes "\", the root
            EXPECT_FALSE(listSubFolders(list, p, true));
        }
        EXPECT_TRUE(list.empty());
    }
    setReplaceRetryWait(nullptr);
    EXPECT_EQ(::chdir(old), 0);
}

} // namespace
