#include "base/StException.h"

#include <gtest/gtest.h>

namespace {

TEST(StException, CodeSelectsMessageFromTable)
{
    const std::pair<std::int32_t, const char*> table[] = {
        {81, "Bad BCD format"},
        {82, "BCD larger than 10**64"},
        {83, "BCD divide by zero"},
        {84, "BCD negative input to sqrt, ln, or power"},
        {85, "Buffer overflow in FormatBcd"},
    };
    for (const auto& [code, text] : table) {
        const EStException e(code);
        EXPECT_EQ(e.ErrorId, code);
        EXPECT_STREQ(e.what(), text);
        EXPECT_EQ(StMessageText(code), text);
    }
}

TEST(StException, UnknownCodeAndExplicitMessage)
{
    EXPECT_EQ(StMessageText(4711), "Error 4711");
    const EStException e(7, "custom text");
    EXPECT_EQ(e.ErrorId, 7);
    EXPECT_STREQ(e.what(), "custom text");
    // Catchable as the standard exception it derives from.
    EXPECT_THROW(throw EStException(81), std::runtime_error);
}

} // namespace
