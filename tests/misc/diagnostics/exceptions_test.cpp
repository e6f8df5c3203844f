#include "misc/diagnostics/diagnostics.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The root is abstract; this is the least a raising site could derive.
class PlainException final : public CVelmarException {
public:
    PlainException() = default;
    PlainException(const PlainException&) = default;
    virtual ~PlainException() = default;
    const char* getExceptionType() const override { return "PlainException"; }
};

} // namespace

TEST(Exceptions, DefaultRootHasAnEmptyMessageNeverNull) {
    PlainException e;
    ASSERT_NE(e.getErrorMessage(), nullptr);
    EXPECT_STREQ(e.getErrorMessage(), "");
    e.setErrorMessage("changed");
    PlainException copy(e);
    EXPECT_STREQ(copy.getErrorMessage(), "changed");
}

TEST(Exceptions, FileExceptionKeepsItsFieldsAcrossCopies) {
    auto original = std::make_unique<CVelmarFileException>("Module", 7, "window not found");
    const CVelmarFileException copy(*original);
    original.reset();
    EXPECT_STREQ(copy.getErrorMessage(), "window not found");
    EXPECT_STREQ(copy.getFileName(), "Module");
    EXPECT_EQ(copy.getFileLocation(), 7u);
    EXPECT_STREQ(copy.getExceptionType(), "CVelmarFileException");
}

TEST(Exceptions, LocationIsStoredUnchanged) {
    EXPECT_EQ(CVelmarFileException("m", 0, "").getFileLocation(), 0u);
    EXPECT_EQ(CVelmarFileException("m", -1, "").getFileLocation(), 0xFFFFFFFFu);
}

TEST(Exceptions, AcadExceptionReportsTheFileTypeAndNarrowsWideTextByLowByte) {
    const CVelmarAcadException narrow("m", 1, "msg", std::string("host text"));
    EXPECT_STREQ(narrow.getExceptionType(), "CVelmarFileException");
    EXPECT_STREQ(narrow.getAcadMessage(), "host text");

    EXPECT_STREQ(CVelmarAcadException("m", 1, "msg", std::wstring(L"Ab")).getAcadMessage(), "Ab");
    EXPECT_STREQ(CVelmarAcadException("m", 1, "msg", std::wstring(L"\u0141")).getAcadMessage(),
                 "\x41");
    EXPECT_STREQ(CVelmarAcadException("m", 1, "msg", std::wstring(L"\u00E9")).getAcadMessage(),
                 "\xE9");
}

TEST(Exceptions, LogAndThrowThrowsTheFileExceptionPart) {
    CVelmarAcadException acad("Module", 3, "boom", std::string("host"));
    try {
        acad.logAndThrow();
        FAIL() << "nothing thrown";
    } catch (const CVelmarException& e) {
        EXPECT_EQ(dynamic_cast<const CVelmarAcadException*>(&e), nullptr);
        const auto* file = dynamic_cast<const CVelmarFileException*>(&e);
        ASSERT_NE(file, nullptr);
        EXPECT_STREQ(file->getErrorMessage(), "boom");
        EXPECT_STREQ(file->getFileName(), "Module");
        EXPECT_EQ(file->getFileLocation(), 3u);
    }
}
