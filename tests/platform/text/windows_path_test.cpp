// The Windows path parser: one table per rule, every row run on narrow and on wide text.
#include "platform/text/text.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>

namespace {

namespace wp = velmar::text::winpath;

constexpr std::size_t kNone = std::string_view::npos;

// The rules are constant expressions.
static_assert(wp::rootNameLength(std::string_view("\\\\srv\\x")) == 5);
static_assert(wp::extension(std::wstring_view(L"a.tar.gz")) == L"gz");
static_assert(std::forward_iterator<wp::Components<wchar_t>::Iterator>);

template <typename Ch>
std::basic_string<Ch> text(std::string_view ansi) {
    if constexpr (sizeof(Ch) == 1) {
        return std::string(ansi);
    } else {
        return velmar::text::ansiToWide(ansi);
    }
}

template <typename Ch>
std::string ansi(wp::View<Ch> v) {
    if constexpr (sizeof(Ch) == 1) {
        return std::string(v);
    } else {
        return velmar::text::wideToAnsi(v);
    }
}

// Runs check(char{}) and check(wchar_t{}): the check makes its text with text<Ch>.
template <typename Check>
void forBothWidths(Check check) {
    {
        SCOPED_TRACE("narrow");
        check(char{});
    }
    SCOPED_TRACE("wide");
    check(wchar_t{});
}

TEST(WindowsPath, ClassifiesCharacters) {
    const struct {
        char c;
        bool separator;
        bool driveLetter;
        bool reserved;        // in a plain name
        bool reservedPattern; // in a name that may hold wildcards
        bool reservedOnDrive; // in a name below a drive, where a colon would name a stream
    } rows[] = {
        {'a', false, true, false, false, false},     {'Z', false, true, false, false, false},
        {'1', false, false, false, false, false},    {'@', false, false, false, false, false},
        {'[', false, false, false, false, false},    {'`', false, false, false, false, false},
        {'{', false, false, false, false, false},    {'\\', true, false, false, false, false},
        {'/', true, false, false, false, false},     {' ', false, false, false, false, false},
        {'.', false, false, false, false, false},    {'<', false, false, true, true, true},
        {'>', false, false, true, true, true},       {'"', false, false, true, true, true},
        {'|', false, false, true, true, true},       {'\t', false, false, true, true, true},
        {'\x01', false, false, true, true, true},    {'\x1f', false, false, true, true, true},
        {'\x7f', false, false, false, false, false}, {'?', false, false, true, false, true},
        {'*', false, false, true, false, true},      {':', false, false, false, false, true},
        {'\xc3', false, false, false, false, false}, {'\xe9', false, false, false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(row.c)));
        forBothWidths([&](auto tag) {
            using Ch = decltype(tag);
            const Ch c = text<Ch>(std::string_view(&row.c, 1))[0];
            EXPECT_EQ(wp::isSeparator(c), row.separator);
            EXPECT_EQ(wp::isDriveLetter(c), row.driveLetter);
            EXPECT_EQ(wp::isWildcard(c), row.c == '?' || row.c == '*');
            EXPECT_EQ(wp::isReservedNameChar(c, false, false), row.reserved);
            EXPECT_EQ(wp::isReservedNameChar(c, true, false), row.reservedPattern);
            EXPECT_EQ(wp::isReservedNameChar(c, false, true), row.reservedOnDrive);
        });
    }
}

TEST(WindowsPath, Roots) {
    const struct {
        const char* path;
        bool driveLetter;
        std::size_t looseDrive;
        bool network;
        std::size_t rootName;
        std::size_t rootEnd;
    } rows[] = {
        {"C:\\data\\x", true, 2, false, 2, 3},
        {"c:x", true, 2, false, 2, 2},
        {"C:", true, 2, false, 2, 2},
        {"C:\\\\\\x", true, 2, false, 2, 5},
        {"C", false, 0, false, 0, 0},
        {"1:\\x", false, 2, false, 0, 0},
        {"\xe9:x", false, 2, false, 0, 0},
        {":x", false, 0, false, 0, 0},
        {"\\\\server\\share\\x", false, 0, true, 8, 9},
        {"//server/share", false, 0, true, 8, 9},
        {"\\\\server", false, 0, true, 8, 8},
        {"\\\\", false, 0, false, 0, 2},
        {"\\\\\\x", false, 0, false, 0, 3},
        {"\\x", false, 0, false, 0, 1},
        {"/home/u", false, 0, false, 0, 1},
        {"", false, 0, false, 0, 0},
        // The path rules do not take off "\\?\": to them "\\?" is a server.
        {"\\\\?\\C:\\x", false, 0, true, 3, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        forBothWidths([&](auto tag) {
            using Ch = decltype(tag);
            const auto path = text<Ch>(row.path);
            const wp::View<Ch> p = path;
            EXPECT_EQ(wp::hasDriveLetter(p), row.driveLetter);
            EXPECT_EQ(wp::looseDriveLength(p), row.looseDrive);
            EXPECT_EQ(wp::isNetworkRoot(p), row.network);
            EXPECT_EQ(wp::rootNameLength(p), row.rootName);
            EXPECT_EQ(wp::rootEnd(p), row.rootEnd);
        });
    }
}

TEST(WindowsPath, SameRootName) {
    const struct {
        const char* a;
        const char* b;
        bool expected;
    } rows[] = {
        {"C:", "c:", true},
        {"C:", "D:", false},
        {"\\\\Srv", "//srv", true},
        {"\\\\srv", "\\\\srv2", false},
        {"", "", true},
        {"\xc9:", "\xe9:", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " " + row.b);
        forBothWidths([&](auto tag) {
            using Ch = decltype(tag);
            const auto a = text<Ch>(row.a);
            const auto b = text<Ch>(row.b);
            EXPECT_EQ(wp::sameRootName(wp::View<Ch>(a), wp::View<Ch>(b)), row.expected);
        });
    }
}

TEST(WindowsPath, LongPathPrefix) {
    const struct {
        const char* path;
        std::size_t length;
    } rows[] = {
        {"\\\\?\\C:\\x", 4}, {"//?/C:/x", 4}, {"\\/?\\x", 4}, {"\\\\?\\", 4}, {"\\\\?", 0},
        {"\\\\?x", 0},       {"\\\\.\\x", 0}, {"\\?\\x", 0},  {"", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        forBothWidths([&](auto tag) {
            using Ch = decltype(tag);
            const auto path = text<Ch>(row.path);
            const wp::View<Ch> p = path;
            EXPECT_EQ(wp::longPathPrefixLength(p), row.length);
            EXPECT_EQ(ansi(wp::withoutLongPathPrefix(p)), ansi(p.substr(row.length)));
        });
    }
}

TEST(WindowsPath, Components) {
    const struct {
        const char* path;
        const char* names; // joined with "|"
    } rows[] = {
        {"C:\\a\\\\b/", "C:|a|b"},
        {"\\\\srv\\share", "srv|share"},
        {"a", "a"},
        {"/a b/ c ", "a b| c "},
        {"\\\\/", ""},
        {"", ""},
        {"caf\xe9\\x", "caf\xe9|x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        forBothWidths([&](auto tag) {
            using Ch = decltype(tag);
            const auto path = text<Ch>(row.path);
            std::string names;
            for (const wp::View<Ch> name : wp::components(wp::View<Ch>(path))) {
                names += (names.empty() ? "" : "|") + ansi(name);
            }
            EXPECT_EQ(names, row.names);
        });
    }
    const wp::Components<char> parts(std::string_view("a\\b"));
    auto it = parts.begin();
    EXPECT_EQ(*it++, "a");
    EXPECT_EQ(*it, "b");
    EXPECT_EQ(++it, parts.end());
    EXPECT_EQ(std::distance(parts.begin(), parts.end()), 2);
}

TEST(WindowsPath, FileName) {
    const struct {
        const char* path;
        std::size_t start;
        const char* name;
        std::size_t patternStart;
    } rows[] = {
        {"C:\\data\\scan.tif", 8, "scan.tif", 8},
        {"C:scan.tif", 2, "scan.tif", 2},
        {"C:", 2, "", 2},
        {"scan.tif", 0, "scan.tif", 0},
        {"a/b\\c.d", 4, "c.d", 4},
        {"C:\\data\\", 8, "", 8},
        {"\\\\server", 8, "", 2},
        {"\\\\server\\share", 9, "share", 9},
        {"1:x", 0, "1:x", 2},
        {"\\:x", 1, ":x", 1},
        {"", 0, "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        forBothWidths([&](auto tag) {
            using Ch = decltype(tag);
            const auto path = text<Ch>(row.path);
            const wp::View<Ch> p = path;
            EXPECT_EQ(wp::fileNameStart(p), row.start);
            EXPECT_EQ(ansi(wp::fileName(p)), row.name);
            EXPECT_EQ(wp::patternNameStart(p), row.patternStart);
        });
    }
}

// A caller's own root: the C runtime cuts "X:" of any X, and nothing more.
TEST(WindowsPath, FileNameAfterAGivenRoot) {
    const struct {
        const char* path;
        std::size_t root;
        std::size_t start;
    } rows[] = {
        {"\\:x", 2, 2}, {"\\:x", 0, 1}, {"1:a\\b", 2, 4}, {"\\\\srv", 0, 2}, {"ab", 2, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " from " + std::to_string(row.root));
        forBothWidths([&](auto tag) {
            using Ch = decltype(tag);
            const auto path = text<Ch>(row.path);
            EXPECT_EQ(wp::fileNameStart(wp::View<Ch>(path), row.root), row.start);
        });
    }
}

TEST(WindowsPath, Extension) {
    const struct {
        const char* path;
        std::size_t dot;   // extensionDot of the file name
        std::size_t start; // extensionStart of the file name
        const char* stem;
        const char* extension;
        const char* withDot;
    } rows[] = {
        {"C:\\a\\b.tif", 1, 1, "b", "tif", ".tif"},
        {"archive.tar.gz", 11, 11, "archive.tar", "gz", ".gz"},
        {".profile", kNone, 8, ".profile", "", ""},
        {"name.", 4, 4, "name", "", "."},
        {".", kNone, 1, ".", "", ""},
        {"..", 1, 2, "..", "", ""},
        {"...", 2, 2, "..", "", "."},
        {"a.b\\c", kNone, 1, "c", "", ""},
        {"b.txt:s.x", 7, 1, "b", "txt", ".txt"},
        {"C:\\x:s", kNone, 1, "x", "", ""},
        {"C:\\a.d\\", kNone, 0, "", "", ""},
        {"", kNone, 0, "", "", ""},
        {"na\xc3\xafve.t\xc3\xa9", 6, 6, "na\xc3\xafve", "t\xc3\xa9", ".t\xc3\xa9"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        forBothWidths([&](auto tag) {
            using Ch = decltype(tag);
            const auto path = text<Ch>(row.path);
            const wp::View<Ch> p = path;
            EXPECT_EQ(wp::extensionDot(wp::fileName(p)), row.dot);
            EXPECT_EQ(wp::extensionStart(wp::fileName(p)), row.start);
            EXPECT_EQ(ansi(wp::stem(p)), row.stem);
            EXPECT_EQ(ansi(wp::extension(p)), row.extension);
            EXPECT_EQ(ansi(wp::extensionWithDot(p)), row.withDot);
        });
    }
}

TEST(WindowsPath, DirectoryAndParent) {
    const struct {
        const char* path;
        const char* directory;        // with its trailing separator
        const char* directoryWithout; // without
        const char* parent;
    } rows[] = {
        {"C:\\data\\scan.tif", "C:\\data\\", "C:\\data", "C:\\data"},
        {"C:\\data\\", "C:\\data\\", "C:\\data", "C:\\data"},
        {"C:\\scan.tif", "C:\\", "C:\\", "C:\\"},
        {"C:\\\\\\scan.tif", "C:\\\\\\", "C:\\", "C:\\\\\\"},
        {"C:scan.tif", "C:", "C:", "C:"},
        {"scan.tif", "", "", ""},
        {"\\\\server\\share\\x.tif", "\\\\server\\share\\", "\\\\server\\share",
         "\\\\server\\share"},
        {"\\\\server\\x.tif", "\\\\server\\", "\\\\server\\", "\\\\server\\"},
        {"/home/u", "/home/", "/home", "/home"},
        {"/x.tif", "/", "/", "/"},
        {"", "", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        forBothWidths([&](auto tag) {
            using Ch = decltype(tag);
            const auto path = text<Ch>(row.path);
            const wp::View<Ch> p = path;
            EXPECT_EQ(ansi(wp::directoryOf(p, false)), row.directory);
            EXPECT_EQ(ansi(wp::directoryOf(p, true)), row.directoryWithout);
            EXPECT_EQ(ansi(wp::parentPathOf(p)), row.parent);
        });
    }
}

} // namespace
