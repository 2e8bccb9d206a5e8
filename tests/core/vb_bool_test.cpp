// Text to Boolean under the OLE Automation rules, U.S. English.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/vb_bool.h"

namespace {

using nagwick::core::BoolFromText;
using namespace std::string_literals;

constexpr std::optional<bool> kTrue = true;
constexpr std::optional<bool> kFalse = false;
constexpr std::optional<bool> kMismatch = std::nullopt;

TEST(BoolFromText, TheWordsInAnyLetterCase) {
    EXPECT_EQ(BoolFromText("true"), kTrue);
    EXPECT_EQ(BoolFromText("True"), kTrue);
    EXPECT_EQ(BoolFromText("tRuE"), kTrue);
    EXPECT_EQ(BoolFromText("false"), kFalse);
    EXPECT_EQ(BoolFromText("FALSE"), kFalse);
    // Exactly the word: no blanks, nothing more.
    EXPECT_EQ(BoolFromText(" true"), kMismatch);
    EXPECT_EQ(BoolFromText("true "), kMismatch);
    EXPECT_EQ(BoolFromText("truex"), kMismatch);
    EXPECT_EQ(BoolFromText("fals"), kMismatch);
}

TEST(BoolFromText, TheHashFormsInCapitalsOnly) {
    EXPECT_EQ(BoolFromText("#TRUE#"), kTrue);
    EXPECT_EQ(BoolFromText("#FALSE#"), kFalse);
    EXPECT_EQ(BoolFromText("#True#"), kMismatch);
    EXPECT_EQ(BoolFromText("#false#"), kMismatch);
}

TEST(BoolFromText, OtherWordsAndEmptyTextAreNoBoolean) {
    for (const char* text : {"", " ", "yes", "no", "on", "off", "T", "-", "+", ".", "$", "()", "1 2", "abc"}) {
        EXPECT_EQ(BoolFromText(text), kMismatch) << '"' << text << '"';
    }
}

TEST(BoolFromText, ZeroIsFalseAnyOtherNumberTrue) {
    EXPECT_EQ(BoolFromText("0"), kFalse);
    EXPECT_EQ(BoolFromText("000"), kFalse);
    EXPECT_EQ(BoolFromText("-0"), kFalse);
    EXPECT_EQ(BoolFromText("0.000"), kFalse);
    EXPECT_EQ(BoolFromText("1"), kTrue);
    EXPECT_EQ(BoolFromText("-1"), kTrue);
    EXPECT_EQ(BoolFromText("+1"), kTrue);
    EXPECT_EQ(BoolFromText("10"), kTrue);
    EXPECT_EQ(BoolFromText("0.1"), kTrue);
    EXPECT_EQ(BoolFromText("007"), kTrue);
}

TEST(BoolFromText, BlanksAroundANumber) {
    EXPECT_EQ(BoolFromText("  1"), kTrue);
    EXPECT_EQ(BoolFromText("\t0 "), kFalse);
    EXPECT_EQ(BoolFromText("- 1"), kTrue);
    EXPECT_EQ(BoolFromText("1 0"), kMismatch);
}

TEST(BoolFromText, SignsParenthesesAndCurrency) {
    EXPECT_EQ(BoolFromText("1-"), kTrue);
    EXPECT_EQ(BoolFromText("1+"), kTrue);
    EXPECT_EQ(BoolFromText("+-1"), kTrue);
    EXPECT_EQ(BoolFromText("--1"), kMismatch);
    EXPECT_EQ(BoolFromText("-1-"), kMismatch);
    EXPECT_EQ(BoolFromText("(1)"), kTrue);
    EXPECT_EQ(BoolFromText("( 0 )"), kFalse);
    EXPECT_EQ(BoolFromText("(1"), kMismatch);
    EXPECT_EQ(BoolFromText("1)"), kMismatch);
    EXPECT_EQ(BoolFromText("$5"), kTrue);
    EXPECT_EQ(BoolFromText("5$"), kTrue);
    EXPECT_EQ(BoolFromText("$0.00"), kFalse);
    EXPECT_EQ(BoolFromText("$$5"), kMismatch);
}

TEST(BoolFromText, DecimalsAndThousands) {
    EXPECT_EQ(BoolFromText(".5"), kTrue);
    EXPECT_EQ(BoolFromText("0."), kFalse);
    EXPECT_EQ(BoolFromText("1."), kTrue);
    EXPECT_EQ(BoolFromText("1.2.3"), kMismatch);
    EXPECT_EQ(BoolFromText("1,000"), kTrue);
    EXPECT_EQ(BoolFromText("0,000"), kFalse);
    EXPECT_EQ(BoolFromText("1,,0,"), kTrue);
    EXPECT_EQ(BoolFromText(",1"), kMismatch);  // not before the first digit
    EXPECT_EQ(BoolFromText("1;0"), kMismatch);
}

TEST(BoolFromText, Exponents) {
    EXPECT_EQ(BoolFromText("1e5"), kTrue);
    EXPECT_EQ(BoolFromText("1E-5"), kTrue);
    EXPECT_EQ(BoolFromText("2e+3"), kTrue);
    EXPECT_EQ(BoolFromText("0e9"), kFalse);
    EXPECT_EQ(BoolFromText("1e"), kMismatch);
    EXPECT_EQ(BoolFromText("1e-"), kMismatch);
    EXPECT_EQ(BoolFromText("1e5e5"), kMismatch);
    EXPECT_EQ(BoolFromText("1e5.5"), kMismatch);
    EXPECT_EQ(BoolFromText("$1e5"), kMismatch);  // no exponent on money
}

TEST(BoolFromText, HexAndOctal) {
    EXPECT_EQ(BoolFromText("&H0"), kFalse);
    EXPECT_EQ(BoolFromText("&h00"), kFalse);
    EXPECT_EQ(BoolFromText("&HFF"), kTrue);
    EXPECT_EQ(BoolFromText("&hAbC"), kTrue);
    EXPECT_EQ(BoolFromText("&O0"), kFalse);
    EXPECT_EQ(BoolFromText("&o17"), kTrue);
    EXPECT_EQ(BoolFromText("-&H1"), kTrue);
    EXPECT_EQ(BoolFromText("&H"), kMismatch);
    EXPECT_EQ(BoolFromText("&HG"), kMismatch);
    EXPECT_EQ(BoolFromText("&O8"), kMismatch);
    EXPECT_EQ(BoolFromText("&H1.5"), kMismatch);
    EXPECT_EQ(BoolFromText("&H1,0"), kMismatch);
    EXPECT_EQ(BoolFromText("&X1"), kMismatch);
    EXPECT_EQ(BoolFromText("0x1"), kMismatch);
}

TEST(BoolFromText, HexAndOctalLimits) {
    EXPECT_EQ(BoolFromText("&H7FFFFFFF"), kTrue);
    EXPECT_EQ(BoolFromText("&H80000000"), kTrue);
    EXPECT_EQ(BoolFromText("&H80000001"), kMismatch);
    EXPECT_EQ(BoolFromText("&HFFFFFFFF"), kMismatch);
    EXPECT_EQ(BoolFromText("&O20000000000"), kTrue);  // 2^31
    EXPECT_EQ(BoolFromText("&O20000000001"), kMismatch);
    EXPECT_EQ(BoolFromText("&H10000000000000000"), kMismatch);  // past 64 bits
    EXPECT_EQ(BoolFromText("&H" + std::string(2000, '0') + "1"), kTrue);  // leading zeros are free
}

TEST(BoolFromText, DoubleRange) {
    EXPECT_EQ(BoolFromText("1e308"), kTrue);
    EXPECT_EQ(BoolFromText("1.7e308"), kTrue);
    EXPECT_EQ(BoolFromText("1e309"), kMismatch);
    EXPECT_EQ(BoolFromText("1" + std::string(400, '0')), kMismatch);
    EXPECT_EQ(BoolFromText(std::string(400, '9')), kMismatch);
    EXPECT_EQ(BoolFromText("1e-300"), kTrue);
    EXPECT_EQ(BoolFromText("1e-400"), kFalse);  // too small to tell from zero
    EXPECT_EQ(BoolFromText("1e999999999999999999"), kMismatch);
    EXPECT_EQ(BoolFromText("1e-999999999999999999"), kFalse);
    EXPECT_EQ(BoolFromText("0." + std::string(2000, '0') + "1"), kFalse);
}

TEST(BoolFromText, TextEndsAtNul) {
    EXPECT_EQ(BoolFromText("true\0junk"s), kTrue);
    EXPECT_EQ(BoolFromText("0\0" "1"s), kFalse);
    EXPECT_EQ(BoolFromText("\0" "1"s), kMismatch);
}

}  // namespace
