// Reading the settings file as the system's profile reader does.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/portable_profile.h"
#include "core/profile_text.h"
#include "memory_file_ops.h"

namespace {

using nagwick::core::FindProfileValue;
using nagwick::core::ReadProfileString;
using nagwick::core::TruncateChars;
using nagwick::test::MemoryFileOps;
using namespace std::string_literals;

std::optional<std::string> Find(std::string_view file, std::string_view section = "main",
                                std::string_view key = "explorer") {
    return FindProfileValue(file, section, key);
}

TEST(ProfileRead, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(Find("[MAIN]\r\nEXPLORER=false\r\n"), "false");
    EXPECT_EQ(Find("[Main]\r\nExplorer=false\r\n", "mAIN", "eXPLORER"), "false");
    EXPECT_EQ(Find("[main]\r\nexplorer=False\r\n"), "False");  // values keep their case
}

TEST(ProfileRead, BlanksAroundNamesAndValuesAreDropped) {
    EXPECT_EQ(Find("  [ main ]  \r\n\t explorer \t=  false \t\r\n"), "false");
    EXPECT_EQ(Find("[main]\nexplorer=fal se\n"), "fal se");  // inner blanks stay
    EXPECT_EQ(Find("[main]\nexplorer=false\n", "  main ", " explorer\t"), "false");
    EXPECT_EQ(Find("[main]\nexplorer=\x1a" "false\x1a\n"), "false");  // ^Z counts as a blank
}

TEST(ProfileRead, OnePairOfMatchingQuotesIsRemoved) {
    EXPECT_EQ(Find("[main]\nexplorer=\"false\"\n"), "false");
    EXPECT_EQ(Find("[main]\nexplorer='false'\n"), "false");
    EXPECT_EQ(Find("[main]\nexplorer=\" false \"\n"), " false ");
    EXPECT_EQ(Find("[main]\nexplorer=\"\"false\"\"\n"), "\"false\"");
    EXPECT_EQ(Find("[main]\nexplorer=\"\"\n"), "");
    EXPECT_EQ(Find("[main]\nexplorer=\"false'\n"), "\"false'");
    EXPECT_EQ(Find("[main]\nexplorer=\"\n"), "\"");
    EXPECT_EQ(Find("[main]\nexplorer=fa\"ls\"e\n"), "fa\"ls\"e");
}

TEST(ProfileRead, EverythingAfterTheFirstEqualsSignUpToANulIsTheValue) {
    EXPECT_EQ(Find("[main]\nexplorer=false ;no comment\n"), "false ;no comment");
    EXPECT_EQ(Find("[main]\nexplorer==a=b\n"), "=a=b");
    EXPECT_EQ(Find("[main]\nexplorer = # x\n"), "# x");
    EXPECT_EQ(Find("[main]\nexplorer=tr\0ue\n"s), "tr");
    EXPECT_EQ(Find("[main]\nexplorer =   \n"), "");  // empty, not missing
}

TEST(ProfileRead, MissingSectionOrKey) {
    EXPECT_EQ(Find(""), std::nullopt);
    EXPECT_EQ(Find("explorer=false\n"), std::nullopt);  // outside any section
    EXPECT_EQ(Find("[other]\nexplorer=false\n"), std::nullopt);
    EXPECT_EQ(Find("[main]\nexplorers=false\nexplore=false\n"), std::nullopt);
    EXPECT_EQ(Find("[main]\n;explorer=false\n"), std::nullopt);  // a comment line
    EXPECT_EQ(Find("[main]\n[other]\nexplorer=false\n"), std::nullopt);
}

TEST(ProfileRead, OnlyTheFirstSectionAndTheFirstKeyLineCount) {
    EXPECT_EQ(Find("[main]\nexplorer=1\nexplorer=2\n"), "1");
    EXPECT_EQ(Find("[main]\nEXPLORER=1\nexplorer=2\n"), "1");
    EXPECT_EQ(Find("[main]\nstart=x\n[main]\nexplorer=2\n"), std::nullopt);
    EXPECT_EQ(Find("[other]\nexplorer=0\n[main]\nexplorer=1\n[main]\nexplorer=2\n"), "1");
    // A line naming the key without '=' is the key's first line: it has no value.
    EXPECT_EQ(Find("[main]\nexplorer\nexplorer=2\n"), std::nullopt);
}

TEST(ProfileRead, SectionHeaders) {
    EXPECT_EQ(Find("[main] anything ; here\nexplorer=1\n"), "1");
    EXPECT_EQ(Find("[ma]in]\nexplorer=1\n", "ma]in"), "1");  // the name ends at the last ']'
    EXPECT_EQ(Find("[main]x]\nexplorer=1\n"), std::nullopt);
    // No ']': the line is an ordinary (key) line of the section before it.
    EXPECT_EQ(Find("[main]\n[other\nexplorer=1\n"), "1");
    EXPECT_EQ(Find("[main]\n[explorer=1\n", "main", "[explorer"), "1");
}

TEST(ProfileRead, LineEnds) {
    EXPECT_EQ(Find("[main]\rexplorer=1\rstart=2\r", "main", "start"), "2");
    EXPECT_EQ(Find("[main]\nexplorer=1\nstart=2", "main", "start"), "2");
    EXPECT_EQ(Find("[main]\r\nexplorer=1\r\nstart=2\r\n", "main", "start"), "2");
    EXPECT_EQ(Find("[main]\r\n\r\n\n\rexplorer=1\n\rstart=2\r", "main", "start"), "2");
    EXPECT_EQ(Find("[main]\r\nexplorer=1\r\n"), "1");  // CR is no part of the value
}

TEST(ProfileRead, ByteOrderMarks) {
    EXPECT_EQ(Find("\xEF\xBB\xBF[main]\r\nexplorer=1\r\n"), "1");
    // Without the mark's meaning the first header would read "\xEF\xBB\xBF[main]".
    EXPECT_EQ(Find("\xEF\xBB\xBF[main]\r\nexplorer=\xC3\xA9t\xC3\xA9\r\n"), "\xC3\xA9t\xC3\xA9");

    const std::string utf16 = "\xFF\xFE[\0m\0a\0i\0n\0]\0\r\0\n\0e\0x\0p\0l\0o\0r\0e\0r\0=\0\xE9\0t\0\x3D\xD8\x00\xDE\r\0\n\0"s;
    EXPECT_EQ(Find(utf16), "\xC3\xA9t\xF0\x9F\x98\x80");  // é, t, U+1F600
    EXPECT_EQ(Find(utf16, "MAIN", "Explorer"), "\xC3\xA9t\xF0\x9F\x98\x80");
    // Big-endian, as the system's reader understands it too.
    EXPECT_EQ(Find("\xFE\xFF\0[\0m\0a\0i\0n\0]\0\n\0e\0x\0p\0l\0o\0r\0e\0r\0=\0\xE9\0t"s), "\xC3\xA9t");
    // A lone surrogate can't be told in UTF-8.
    EXPECT_EQ(Find("\xFF\xFE[\0m\0a\0i\0n\0]\0\n\0e\0x\0p\0l\0o\0r\0e\0r\0=\0\x00\xD8"s), "\xEF\xBF\xBD");
}

TEST(TruncateChars, CutsWholeCharacters) {
    EXPECT_EQ(TruncateChars("abc", 0), "");
    EXPECT_EQ(TruncateChars("\xC3\xA9\xC3\xA9\xE2\x82\xAC", 2), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(TruncateChars("a\xF0\x9F\x98\x80" "b", 2), "a\xF0\x9F\x98\x80");
    EXPECT_EQ(TruncateChars("a\xF0\x9F\x98\x80" "b", 1), "a");
    // A byte that belongs to no character counts as one, so nothing grows
    // past four bytes a character.
    EXPECT_EQ(TruncateChars("\x80\x80\x80\x80", 2), "\x80\x80");
    EXPECT_EQ(TruncateChars("\xC3\xA9\x80" "a", 2), "\xC3\xA9\x80");
    EXPECT_EQ(TruncateChars("\xE2\x82" "ab", 2), "\xE2\x82" "a");
}

class ReadProfileStringTest : public ::testing::Test {
protected:
    static constexpr const char* kPath = "/drive/nagwick.ini";

    void WriteFile(const std::string& bytes) { files_.files[kPath] = bytes; }
    std::string Read(std::string_view key, std::string_view def, std::size_t size) {
        return ReadProfileString(files_, "main", key, def, size, kPath);
    }

    MemoryFileOps files_;
};

TEST_F(ReadProfileStringTest, ValueCutToTheBuffer) {
    WriteFile("[main]\r\nexplorer=falsey\r\nstart=minimizedXYZ\r\n");
    EXPECT_EQ(Read("start", "normal", 10), "minimized");
    EXPECT_EQ(Read("explorer", "true", 6), "false");
    EXPECT_EQ(Read("explorer", "true", 1), "");
    EXPECT_EQ(Read("explorer", "true", 0), "");
}

TEST_F(ReadProfileStringTest, DefaultWhenTheFileOrKeyIsMissing) {
    EXPECT_EQ(Read("explorer", "true", 6), "true");
    EXPECT_TRUE(files_.files.empty()) << "reading must not create the file";
    EXPECT_EQ(files_.calls, std::vector<std::string>{"ReadAll"});
    WriteFile("[main]\r\nstart=normal\r\nother=\r\n");
    EXPECT_EQ(Read("other", "true", 6), "") << "an empty value is no missing one";
    EXPECT_EQ(Read("explorer", "true", 6), "true");
    EXPECT_EQ(Read("explorer", "truetrue", 6), "truet");  // the default is cut too
    EXPECT_EQ(Read("explorer", "'no'  ", 6), "no");     // and read like a value
}

}  // namespace
