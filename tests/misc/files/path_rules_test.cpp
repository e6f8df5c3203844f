// The path rules and name helpers: one table per operation, every row run through every form.
#include "misc/files/files.h"

#include "platform/text/text.h"

#include <gtest/gtest.h>

namespace {

std::wstring W(const char* ansi) {
    return velmar::text::ansiToWide(ansi);
}

// Checks the five forms of one row against the narrow expectation.
void expectForms(const std::string& expected, const CString& f, const CStringW& fw,
                 const std::string& s, const std::string& sc, const std::wstring& w) {
    const std::wstring wide = velmar::text::ansiToWide(expected);
    EXPECT_EQ(f.native(), expected) << "F";
    EXPECT_EQ(fw.native(), wide) << "FW";
    EXPECT_EQ(s, expected) << "S";
    EXPECT_EQ(sc, expected) << "SC";
    EXPECT_EQ(w, wide) << "W";
}

struct FlagRow {
    const char* path;
    bool flag;
    const char* expected;
};

TEST(PathRules, DirectoryOf) {
    const FlagRow rows[] = {
        {"C:\\data\\scan.tif", false, "C:\\data\\"},
        {"C:\\data\\scan.tif", true, "C:\\data"},
        {"C:\\data\\", false, "C:\\data\\"},
        {"C:\\data\\", true, "C:\\data"},
        {"C:\\data\\\\\\", true, "C:\\data"},
        {"C:\\scan.tif", false, "C:\\"},
        {"C:\\scan.tif", true, "C:\\"},
        {"C:\\\\\\scan.tif", true, "C:\\"},
        {"C:\\", true, "C:\\"},
        {"C:scan.tif", true, "C:"},
        {"scan.tif", false, ""},
        {"scan.tif", true, ""},
        {"", true, ""},
        {"C:/data/sub/scan.tif", true, "C:/data/sub"},
        {"\\\\server\\share\\x.tif", true, "\\\\server\\share"},
        {"\\\\server\\x.tif", true, "\\\\server\\"},
        {"/home/u/x.tif", false, "/home/u/"},
        {"/x.tif", true, "/"},
        {"C:\\caf\xe9\\na\xefve.t\xeet", true, "C:\\caf\xe9"},
    };
    for (const FlagRow& row : rows) {
        SCOPED_TRACE(std::string(row.path) + (row.flag ? " (true)" : " (false)"));
        expectForms(row.expected, directoryOf(row.path, row.flag),
                    directoryOf(W(row.path).c_str(), row.flag),
                    directoryOf(std::string(row.path), row.flag), directoryOfSC(row.path, row.flag),
                    directoryOf(W(row.path), row.flag));
    }
}

TEST(PathRules, FileNameOf) {
    const FlagRow rows[] = {
        {"C:\\data\\scan.tif", false, "scan.tif"},
        {"C:\\data\\scan.tif", true, "scan"},
        {"C:\\data\\", false, ""},
        {"C:\\", false, ""},
        {"archive.tar.gz", false, "archive.tar.gz"},
        {"archive.tar.gz", true, "archive.tar"},
        {"C:\\a\\.profile", true, ".profile"},
        {"name.", true, "name"},
        {"..", true, ".."},
        {".", true, "."},
        {"C:x.tif", false, "x.tif"},
        {"\\\\server", false, ""},
        {"a/b\\c.d", false, "c.d"},
        {"C:\\a\\b.txt:stream", true, "b"},
        {"C:\\caf\xe9\\na\xefve.t\xeet", true, "na\xefve"},
    };
    for (const FlagRow& row : rows) {
        SCOPED_TRACE(std::string(row.path) + (row.flag ? " (true)" : " (false)"));
        expectForms(row.expected, fileNameOf(row.path, row.flag),
                    fileNameOf(W(row.path).c_str(), row.flag),
                    fileNameOf(std::string(row.path), row.flag), fileNameOfSC(row.path, row.flag),
                    fileNameOf(W(row.path), row.flag));
    }
}

struct Row {
    const char* input;
    const char* expected;
};

TEST(PathRules, ExtensionOf) {
    const Row rows[] = {
        {"C:\\a\\b.tif", "tif"},
        {"archive.tar.gz", "gz"},
        {".profile", ""},
        {"name.", ""},
        {".", ""},
        {"..", ""},
        {"...", ""},
        {"a.b\\c", ""},
        {"C:\\a.d\\", ""},
        {"b.txt:s.x", "txt"},
        {"ab:y.z", ""},
        {"x:y.z", "z"},
        {"", ""},
        {"C:\\a\\b.T\xee"
         "F",
         "T\xee"
         "F"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        expectForms(row.expected, extensionOf(row.input), extensionOf(W(row.input).c_str()),
                    extensionOf(std::string(row.input)), extensionOfSC(row.input),
                    extensionOf(W(row.input)));
    }
}

TEST(PathRules, HasExtension) {
    const struct {
        const char* path;
        const char* extension;
        bool expected;
    } rows[] = {
        {"C:\\a\\b.TIF", "tif", true}, {"C:\\a\\b.tif", ".tif", false}, {"b", "", true},
        {"b.tif", "tiff", false},      {"b.tif", "ti", false},          {"name.", "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " " + row.extension);
        EXPECT_EQ(hasExtension(std::string(row.path), std::string(row.extension)), row.expected);
        EXPECT_EQ(hasExtension(W(row.path), W(row.extension)), row.expected);
    }
    // Narrow text lower-cases ASCII letters only, as the C library does; wide text all.
    EXPECT_FALSE(hasExtension(std::string("a.\xc9"), std::string("\xe9")));
    EXPECT_TRUE(hasExtension(W("a.\xc9"), W("\xe9")));
}

TEST(PathRules, ParentPathOf) {
    const Row rows[] = {
        {"C:\\data\\scan.tif", "C:\\data"},
        {"C:\\data\\sub\\", "C:\\data\\sub"},
        {"C:\\scan.tif", "C:\\"},
        {"C:\\\\\\scan.tif", "C:\\\\\\"},
        {"C:\\", "C:\\"},
        {"C:", "C:"},
        {"C:x", "C:"},
        {"scan.tif", ""},
        {"", ""},
        {"\\\\server\\share\\x", "\\\\server\\share"},
        {"/home/u", "/home"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(parentPathOf(std::string(row.input)), row.expected);
        EXPECT_EQ(parentPathOf(W(row.input)), W(row.expected));
    }
}

TEST(PathRules, AppendPath) {
    const struct {
        const char* path;
        const char* tail;
        const char* expected;
    } rows[] = {
        {"C:\\data", "x", "C:\\data\\x"},
        {"C:\\data\\", "x", "C:\\data\\x"},
        {"C:\\data/", "x\\y", "C:\\data/x\\y"},
        {"C:\\data", "\\other", "C:\\other"},
        {"C:\\data", "/other", "C:/other"},
        {"C:\\data", "D:\\y", "D:\\y"},
        {"C:\\data", "D:y", "D:y"},
        {"C:\\data", "c:y", "C:\\data\\y"},
        {"C:\\data", "\\\\srv\\s", "\\\\srv\\s"},
        {"C:", "x", "C:x"},
        {"C:\\", "x", "C:\\x"},
        {"", "x", "x"},
        {"\\\\srv", "x", "\\\\srv\\x"},
        {"\\\\srv\\", "x", "\\\\srv\\x"},
        {"\\\\srv\\share", "x", "\\\\srv\\share\\x"},
        {"rel", "x", "rel\\x"},
        {"/tmp/", "scan.tif", "/tmp/scan.tif"},
        {"/tmp", "scan.tif", "/tmp\\scan.tif"},
        {"C:\\data", "", "C:\\data\\"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " + " + row.tail);
        std::string narrow = row.path;
        appendPath(narrow, row.tail);
        EXPECT_EQ(narrow, row.expected);
        std::wstring wide = W(row.path);
        appendPath(wide, W(row.tail));
        EXPECT_EQ(wide, W(row.expected));
    }
}

TEST(PathRules, AddFileNameSuffix) {
    const struct {
        const char* path;
        const char* suffix;
        const char* expected;
    } rows[] = {
        {"C:\\a\\b.tif", "_1", "C:\\a\\b_1.tif"}, {"C:\\a\\b", "_1", "C:\\a\\b_1."},
        {"b.tar.gz", "_x", "b.tar_x.gz"},         {"C:\\a\\", "_1", "C:\\a\\_1."},
        {"C:b.tif", "_1", "C:b_1.tif"},           {"/tmp/b.tif", "_1", "/tmp/b_1.tif"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " " + row.suffix);
        EXPECT_EQ(addFileNameSuffix(CString(row.path), CString(row.suffix)).native(), row.expected);
        EXPECT_EQ(addFileNameSuffix(CStringW(W(row.path).c_str()), CStringW(W(row.suffix).c_str()))
                      .native(),
                  W(row.expected));
        EXPECT_EQ(addFileNameSuffix(std::string(row.path), std::string(row.suffix)), row.expected);
        EXPECT_EQ(addFileNameSuffix(W(row.path), W(row.suffix)), W(row.expected));
    }
}

TEST(PathRules, AddFileNamePrefix) {
    const struct {
        const char* path;
        const char* prefix;
        const char* expected;
    } rows[] = {
        {"C:\\a\\b.tif", "old_", "C:\\a\\old_b.tif"},
        {"b.tif", "old_", "old_b.tif"},
        {"C:\\a\\", "p", "C:\\a\\p"},
        {"C:b", "p", "C:pb"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " " + row.prefix);
        EXPECT_EQ(addFileNamePrefix(std::string(row.path), std::string(row.prefix)), row.expected);
        EXPECT_EQ(addFileNamePrefix(W(row.path), W(row.prefix)), W(row.expected));
    }
}

TEST(PathRules, ChangeExtension) {
    const struct {
        const char* path;
        const char* extension;
        const char* expected;
    } rows[] = {
        {"C:\\a\\b.tif", "png", "C:\\a\\b.png"}, {"C:\\a\\b.tif", ".png", "C:\\a\\b.png"},
        {"C:\\a\\b.tif", "", "C:\\a\\b"},        {"C:\\a\\b", "png", "C:\\a\\b.png"},
        {"C:\\a.d\\b", "png", "C:\\a.d\\b.png"}, {".profile", "x", ".profile.x"},
        {"b.tar.gz", "bz2", "b.tar.bz2"},        {"name.", "txt", "name.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " " + row.extension);
        expectForms(row.expected, changeExtension(row.path, row.extension),
                    changeExtension(W(row.path).c_str(), W(row.extension).c_str()),
                    changeExtension(std::string(row.path), std::string(row.extension)),
                    changeExtensionSC(row.path, row.extension),
                    changeExtension(W(row.path), W(row.extension)));
    }
}

TEST(PathRules, ReplaceFileName) {
    const struct {
        const char* path;
        const char* name;
        const char* expected;
    } rows[] = {
        {"C:\\a\\b.tif", "new", "C:\\a\\new.tif"},
        {"C:\\a\\b.tif", "new.png", "C:\\a\\new.png"},
        {"C:\\a\\b.tif", "x:y", "C:\\a\\x_y.tif"},
        {"C:\\a\\b.tif", "x/y", "C:\\a\\x_y.tif"},
        {"C:\\a\\b.tif", "..\\..\\evil", "C:\\a\\.._.._evil"},
        {"C:\\a\\b", "new", "C:\\a\\new"},
        {"b.tif", "c", "c.tif"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " " + row.name);
        EXPECT_EQ(replaceFileName(std::string(row.path), std::string(row.name)), row.expected);
        EXPECT_EQ(replaceFileName(W(row.path), W(row.name)), W(row.expected));
    }
}

TEST(FileNames, IsValidAndMakeValid) {
    const struct {
        const char* name;
        bool valid;
        const char* made;
    } rows[] = {
        {"", true, ""},
        {"scan.tif", true, "scan.tif"},
        {" ab ", true, " ab "},
        {" a:b ", false, "a_b"},
        {"<>:|?*\"\\/\t\n\r", false, "<>:|?*\"\\/"},
        {"a\tb", false, "a_b"},
        {"a\vb", true, "a\vb"},
        {" \v", true, " \v"},
        {"\n", false, ""},
        {"caf\xe9?", false, "caf\xe9_"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isValidFileName(row.name), row.valid);
        if (std::string(row.made) != "<>:|?*\"\\/") {
            EXPECT_EQ(makeValidFileName(row.name).native(), row.made);
            EXPECT_EQ(makeValidFileNameSC(row.name), row.made);
        } else {
            EXPECT_EQ(makeValidFileNameSC(row.name), "_________");
        }
    }
}

TEST(FileNames, ReplaceInvalidFileNameChars) {
    const Row rows[] = {
        {":*?\"<>|/\\", "_________"},   {"a\tb\nc\rd", "a\tb\nc\rd"}, {" a:b ", " a_b "}, {"", ""},
        {"[x]^$.+(){}", "[x]^$.+(){}"}, {"caf\xe9|", "caf\xe9_"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(replaceInvalidFileNameChars(std::string(row.input)), row.expected);
        EXPECT_EQ(replaceInvalidFileNameChars(W(row.input)), W(row.expected));
    }
}

TEST(FileNames, IsVirtualFileSystemPath) {
    const struct {
        const char* path;
        bool expected;
    } rows[] = {
        {"/vsizip/a.zip/b.tif", true},
        {"/vsi", true},
        {"/VSIzip/a", false},
        {"/vs", false},
        {"", false},
        {"\\vsizip\\a", false},
        {"C:/vsizip", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(isVirtualFileSystemPath(row.path), row.expected);
        EXPECT_EQ(isVirtualFileSystemPath(W(row.path).c_str()), row.expected);
        EXPECT_EQ(isVirtualFileSystemPath(std::string(row.path)), row.expected);
        EXPECT_EQ(isVirtualFileSystemPath(W(row.path)), row.expected);
    }
}

TEST(PathDisplay, AbbreviatePath) {
    const char* local = "C:\\Program Files\\Vendor\\Suite\\bin\\settings.xml";
    const char* network = "\\\\fileserver\\projects\\2021\\block7\\images\\tile_0042.tif";
    const struct {
        const char* path;
        int width;
        const char* expected;
    } rows[] = {
        {local, 60, local},
        {local, 46, local},
        {local, 45, "C:\\...\\Vendor\\Suite\\bin\\settings.xml"},
        {local, 30, "C:\\...\\Suite\\bin\\settings.xml"},
        {local, 20, "C:\\...\\settings.xml"},
        {local, 12, "settings.xml"},
        {local, 13, "settings.xml"},
        {local, 5, "setti"},
        {local, 0, ""},
        {local, -1, local},
        {network, 40, "\\\\fileserver\\...\\images\\tile_0042.tif"},
        {network, 30, "\\\\fileserver\\...\\tile_0042.tif"},
        {"C:\\aaaa\\bbbbbbbbbb", 13, "...\\bbbbbbbbbb"},
        {"", 0, ""},
        {"\\\\server", 3, "...\\"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " @" + std::to_string(row.width));
        EXPECT_EQ(abbreviatePath(row.path, row.width).native(), row.expected);
        EXPECT_EQ(abbreviatePathSC(row.path, row.width), row.expected);
    }
}

TEST(PathDisplay, FormatByteSize) {
    const struct {
        ULONGLONG count;
        const char* expected;
    } rows[] = {
        {0, "0.00 Bytes"},
        {1024, "1024.00 Bytes"},
        {1025, "1.00 KB"},
        {1536, "1.50 KB"},
        {10485760, "10.00 MB"},
        {1048575, "1024.00 KB"},
        {1099511627776ULL * 3, "3.00 TB"},
        {18446744073709551615ULL, "16384.00 PB"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(formatByteSizeS(row.count), row.expected);
        EXPECT_EQ(formatByteSizeW(row.count), W(row.expected));
        if (row.count <= 9223372036854775807ULL) {
            EXPECT_EQ(formatByteSize(static_cast<LONGLONG>(row.count)).native(), row.expected);
        }
    }
    EXPECT_EQ(formatByteSize(-2048).native(), "-2048.00 Bytes");
}

// Inputs far beyond MAX_PATH take the same rules, without any fixed buffer.
TEST(PathRules, LongPathsKeepTheirRules) {
    std::string folder = "C:";
    for (int i = 0; i < 600; ++i) {
        folder += "\\folder" + std::to_string(i);
    }
    const std::string path = folder + "\\scan.tif";
    EXPECT_EQ(directoryOf(path, true), folder);
    EXPECT_EQ(fileNameOfSC(path.c_str(), true), "scan");
    EXPECT_EQ(changeExtension(path, "png"), folder + "\\scan.png");
    EXPECT_LE(abbreviatePathSC(path.c_str(), 30).size(), 30u);
    std::string joined = folder;
    appendPath(joined, "x.tif");
    EXPECT_EQ(parentPathOf(joined), folder);
}

} // namespace

namespace {

// C-string arguments must not be null, but a null one is taken as "" rather than a crash.
TEST(PathRules, NullTextsCountAsEmpty) {
    const char* none = nullptr;
    const wchar_t* wnone = nullptr;
    EXPECT_EQ(directoryOf(none, true), "");
    EXPECT_EQ(directoryOf(wnone, false).native(), L"");
    EXPECT_EQ(fileNameOfSC(none, false), "");
    EXPECT_EQ(extensionOf(none), "");
    EXPECT_EQ(changeExtensionSC(none, none), "");
    EXPECT_TRUE(isValidFileName(none));
    EXPECT_EQ(makeValidFileNameSC(none), "");
    EXPECT_FALSE(isVirtualFileSystemPath(none));
    EXPECT_FALSE(isVirtualFileSystemPath(wnone));
    EXPECT_EQ(abbreviatePathSC(none, 10), "");
    EXPECT_FALSE(fileExists(none));
    EXPECT_FALSE(fileExists(wnone));
    EXPECT_FALSE(createDirectories(none));
    EXPECT_FALSE(createDirectories(wnone));
}

} // namespace
