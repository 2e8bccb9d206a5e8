// Text to Boolean under the OLE Automation rules, U.S. English, one test a rule.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "core/vb_bool.h"

namespace {

using nagwick::core::BoolFromText;
using namespace std::string_literals;

constexpr std::optional<bool> T = true, F = false, X = std::nullopt;  // X: type mismatch

void Expect(std::initializer_list<std::pair<std::string, std::optional<bool>>> cases) {
    for (const auto& [text, expected] : cases) EXPECT_EQ(BoolFromText(text), expected) << '"' << text << '"';
}

TEST(BoolFromText, TheWordsWholeInAnyLetterCase) {
    Expect({{"true", T}, {"True", T}, {"tRuE", T}, {"false", F}, {"FALSE", F},
            {" true", X}, {"true ", X}, {"truex", X}, {"fals", X}});
}

TEST(BoolFromText, TheHashFormsInCapitalsOnly) {
    Expect({{"#TRUE#", T}, {"#FALSE#", F}, {"#True#", X}, {"#false#", X}});
}

TEST(BoolFromText, OtherWordsAndEmptyTextAreNoBoolean) {
    for (const char* text : {"", " ", "yes", "no", "on", "off", "T", "-", "+", ".", "$", "()", "1 2", "abc"})
        EXPECT_EQ(BoolFromText(text), X) << '"' << text << '"';
}

TEST(BoolFromText, ZeroIsFalseAnyOtherNumberTrue) {
    Expect({{"0", F}, {"000", F}, {"-0", F}, {"0.000", F},
            {"1", T}, {"-1", T}, {"+1", T}, {"10", T}, {"0.1", T}, {"007", T}});
}

TEST(BoolFromText, BlanksAroundANumber) {
    Expect({{"  1", T}, {"\t0 ", F}, {"- 1", T}, {"1 0", X}});
}

TEST(BoolFromText, SignsParenthesesAndCurrency) {
    Expect({{"1-", T}, {"1+", T}, {"+-1", T}, {"--1", X}, {"-1-", X},
            {"(1)", T}, {"( 0 )", F}, {"(1", X}, {"1)", X},
            {"$5", T}, {"5$", T}, {"$0.00", F}, {"$$5", X}});
}

TEST(BoolFromText, DecimalsAndThousands) {
    Expect({{".5", T}, {"0.", F}, {"1.", T}, {"1.2.3", X},
            {"1,000", T}, {"0,000", F}, {"1,,0,", T}, {",1", X}, {"1;0", X}});
}

TEST(BoolFromText, Exponents) {
    Expect({{"1e5", T}, {"1E-5", T}, {"2e+3", T}, {"0e9", F}, {"1e", X}, {"1e-", X},
            {"1e5e5", X}, {"1e5.5", X}, {"$1e5", X}});  // no exponent on money
}

TEST(BoolFromText, HexAndOctal) {
    Expect({{"&H0", F}, {"&h00", F}, {"&HFF", T}, {"&hAbC", T}, {"&O0", F}, {"&o17", T}, {"-&H1", T},
            {"&H", X}, {"&HG", X}, {"&O8", X}, {"&H1.5", X}, {"&H1,0", X}, {"&X1", X}, {"0x1", X}});
}

TEST(BoolFromText, HexAndOctalLimits) {
    Expect({{"&H7FFFFFFF", T}, {"&H80000000", T}, {"&H80000001", X}, {"&HFFFFFFFF", X},
            {"&O20000000000", T}, {"&O20000000001", X},  // 2^31 and one past it
            {"&H10000000000000000", X},                  // past 64 bits
            {"&H" + std::string(2000, '0') + "1", T}});  // leading zeros are free
}

TEST(BoolFromText, DoubleRange) {
    Expect({{"1e308", T}, {"1.7e308", T}, {"1e309", X}, {"1" + std::string(400, '0'), X},
            {std::string(400, '9'), X}, {"1e-300", T},
            {"1e-400", F},  // too small to tell from zero
            {"1e999999999999999999", X}, {"1e-999999999999999999", F},
            {"0." + std::string(2000, '0') + "1", F}});
}

TEST(BoolFromText, TextEndsAtNul) {
    Expect({{"true\0junk"s, T}, {"0\0" "1"s, F}, {"\0" "1"s, X}});
}

}  // namespace
