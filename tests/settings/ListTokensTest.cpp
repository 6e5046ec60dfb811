#include "settings/ListTokens.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
std::vector<QByteArray> AllTokens(QByteArray source)
{
    std::vector<QByteArray> tokens;
    QByteArray token;
    while (SplitFirstToken(source, token))
        tokens.push_back(token);
    return tokens;
}
} // namespace

TEST(SplitFirstToken, KeepsEmptyTokensBetweenSeparators)
{
    EXPECT_EQ(AllTokens("11;;19"), (std::vector<QByteArray>{"11", "", "19"}));
}

TEST(SplitFirstToken, EmptySourceYieldsNothingAndLeavesTokenAlone)
{
    QByteArray source, token = "keep";
    EXPECT_FALSE(SplitFirstToken(source, token));
    EXPECT_EQ(token, "keep");
}

TEST(SplitFirstToken, TrailingSeparatorEndsTheList)
{
    // "a;" gives "a" and leaves nothing: no empty last token.
    EXPECT_EQ(AllTokens("a;"), (std::vector<QByteArray>{"a"}));
    EXPECT_EQ(AllTokens(";a"), (std::vector<QByteArray>{"", "a"}));
}
