// System message texts and the Windows folder, with Windows' buffer rules.
#include "platform/prefix/prefix.h"
#include "platform/process/process.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kSystemFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

TEST(FormatMessage, GivesTheSystemTextInEitherBufferForm) {
    for (const DWORD code : {ERROR_INVALID_PARAMETER, DWORD{0x2badbeef}}) {
        const std::string expected = velmar::base::systemErrorText(code);
        ASSERT_GE(expected.size(), 2u);
        EXPECT_EQ(expected.substr(expected.size() - 2), "\r\n");

        char buffer[512];
        EXPECT_EQ(FormatMessageA(kSystemFlags, nullptr, code, 0, buffer, sizeof buffer, nullptr),
                  expected.size());
        EXPECT_EQ(std::string(buffer), expected);

        LPSTR block = nullptr;
        EXPECT_EQ(FormatMessageA(kSystemFlags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code, 0,
                                 reinterpret_cast<LPSTR>(&block), 0, nullptr),
                  expected.size());
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(std::string(block), expected);
        EXPECT_EQ(LocalFree(block), nullptr);
    }
}

TEST(FormatMessage, TooSmallBufferFails) {
    const std::string expected = velmar::base::systemErrorText(ERROR_INVALID_PARAMETER);
    std::string buffer(expected.size(), '#'); // no room for the terminator
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(FormatMessageA(kSystemFlags, nullptr, ERROR_INVALID_PARAMETER, 0, buffer.data(),
                             static_cast<DWORD>(buffer.size()), nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(WindowsDirectory, IsThePrefixWindowsFolderWithWin32SizeRules) {
    velmar::test::TempPrefix prefix;
    const std::string expected = prefix.prefix() + "/drive_c/windows";
    const auto needed = static_cast<UINT>(expected.size() + 1);

    EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), needed);
    std::string small(expected.size(), '#'); // one short: untouched, size needed
    EXPECT_EQ(GetWindowsDirectoryA(small.data(), static_cast<UINT>(small.size())), needed);
    EXPECT_EQ(small, std::string(expected.size(), '#'));

    std::string exact(needed, '#');
    EXPECT_EQ(GetWindowsDirectoryA(exact.data(), needed), expected.size());
    EXPECT_EQ(exact.c_str(), expected);
}

} // namespace
