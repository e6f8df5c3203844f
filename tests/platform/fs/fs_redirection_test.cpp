#include "platform/fs/fs.h"

#include <gtest/gtest.h>

using velmar::fs::FsRedirectionOff;
using velmar::fs::isFsRedirectionDisabled;

TEST(FsRedirection, TheGuardRestoresTheSwitchOnEveryPath) {
    EXPECT_FALSE(isFsRedirectionDisabled());
    {
        FsRedirectionOff outer;
        EXPECT_TRUE(isFsRedirectionDisabled());
        {
            FsRedirectionOff inner;
            EXPECT_TRUE(isFsRedirectionDisabled());
        }
        EXPECT_TRUE(isFsRedirectionDisabled());
    }
    EXPECT_FALSE(isFsRedirectionDisabled());
    try {
        FsRedirectionOff guard;
        throw 1;
    } catch (int) {
    }
    EXPECT_FALSE(isFsRedirectionDisabled());
    EXPECT_EQ(Wow64DisableWow64FsRedirection(nullptr), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
