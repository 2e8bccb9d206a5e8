// Text to Boolean under the OLE Automation rules, U.S. English, for the
// texts that reach it: the stored "explorer" value, cut to 5 characters.
#include <gtest/gtest.h>

#include "core/vb_bool.h"

namespace {

constexpr std::optional<bool> T = true, F = false, X = std::nullopt;  // X: type mismatch

TEST(BoolFromText, Rules) {
    const std::vector<std::pair<std::string, std::optional<bool>>> cases = {
        // The words, whole, in any letter case.
        {"true", T}, {"tRuE", T}, {"FALSE", F}, {" true", X}, {"truex", X},
        {"", X}, {"yes", X}, {"off", X}, {"-", X}, {"$", X}, {"()", X}, {"1 2", X},
        // Zero is False, any other number True.
        {"0", F}, {"-0", F}, {"0.000", F}, {"1", T}, {"-1", T}, {"0.1", T}, {"007", T},
        // Blanks, signs, parentheses, currency, thousands, decimals, exponents.
        {"\t0 ", F}, {"- 1", T}, {"1 0", X}, {"1-", T}, {"--1", X}, {"(1)", T}, {"( 0 )", F}, {"(1", X},
        {"$5", T}, {"5$", T}, {"$$5", X}, {"1,000", T}, {",1", X}, {".5", T}, {"1.2.3", X},
        {"1e5", T}, {"0e9", F}, {"1e", X}, {"$1e5", X}, {"1e308", T}, {"1e309", X}, {"1e-99", T},
        // Hex and octal.
        {"&H0", F}, {"&hAbC", T}, {"&o17", T}, {"&O8", X}, {"&H", X}, {"0x1", X},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(nagwick::core::BoolFromText(text), expected) << '"' << text << '"';
}

}  // namespace
