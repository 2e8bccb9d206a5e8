// Writing one key of the settings file: the edit keeps every other byte, and
// nothing is written that would break the file. (On real files, and with
// faults: profile_file_test, write_fault_test.)
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/portable_profile.h"
#include "core/profile_text.h"
#include "memory_file_ops.h"

namespace {

using nagwick::core::FileResult;
using nagwick::core::FindProfileValue;
using nagwick::core::SetProfileValue;
using nagwick::core::WriteProfileString;
using nagwick::test::MemoryFileOps;
using namespace std::string_literals;

std::string Set(std::string_view file, std::string_view key, std::string_view value,
                std::string_view section = "main") {
    return SetProfileValue(file, section, key, value);
}

// ---- The edit itself ------------------------------------------------------

TEST(ProfileEdit, OnlyTheValueChanges) {
    EXPECT_EQ(Set("; settings\r\n[main]\r\n  Explorer \t=  false  \r\nstart=normal\r\n\r\n[x]\r\na=1\r\n",
                  "explorer", "true"),
              "; settings\r\n[main]\r\n  Explorer \t=  true  \r\nstart=normal\r\n\r\n[x]\r\na=1\r\n");
    EXPECT_EQ(Set("[main]\nexplorer=\"false\" \n", "explorer", "true"), "[main]\nexplorer=true \n");
    EXPECT_EQ(Set("[main]\nexplorer=\n", "explorer", "true"), "[main]\nexplorer=true\n");
    EXPECT_EQ(Set("[main]\nexplorer=false ;old", "explorer", "true"), "[main]\nexplorer=true");
}

TEST(ProfileEdit, AValueWithBlanksAtItsEndsTakesTheRestOfTheLine) {
    // The reader drops those blanks; writing the value again must find the
    // line as the first write left it.
    for (const auto& [file, value, written, reads] : std::vector<std::array<std::string, 4>>{
             {"[main]\r\nexplorer = false  ;x\r\n", " true", "[main]\r\nexplorer = true\r\n", "true"},
             {"[main]\nexplorer=false\n", "'t'\t", "[main]\nexplorer='t'\t\n", "t"},
             {"[main]\n  explorer  \n", "a ", "[main]\n  explorer=a \n", "a"},
         }) {
        EXPECT_EQ(Set(file, "explorer", value), written);
        EXPECT_EQ(Set(written, "explorer", value), written);
        EXPECT_EQ(FindProfileValue(written, "main", "explorer"), reads);
    }
}

TEST(ProfileEdit, TheFirstOccurrenceIsTheOneChanged) {
    EXPECT_EQ(Set("[main]\nexplorer=1\nexplorer=2\n[main]\nexplorer=3\n", "explorer", "0"),
              "[main]\nexplorer=0\nexplorer=2\n[main]\nexplorer=3\n");
    // A bare key line is the key's first line: it gets the value.
    EXPECT_EQ(Set("[main]\n  explorer  \nexplorer=2\n", "explorer", "0"), "[main]\n  explorer=0  \nexplorer=2\n");
}

TEST(ProfileEdit, MissingKeyGoesAfterTheSectionsLastLine) {
    EXPECT_EQ(Set("[main]\r\nstart=normal\r\n; end of main\r\n\r\n[other]\r\na=1\r\n", "explorer", "true"),
              "[main]\r\nstart=normal\r\n; end of main\r\nexplorer=true\r\n\r\n[other]\r\na=1\r\n");
    EXPECT_EQ(Set("[MAIN]\r\n\r\n[other]\r\n", "explorer", "true"),
              "[MAIN]\r\nexplorer=true\r\n\r\n[other]\r\n");
    // The section's last line has no line end: one is added first.
    EXPECT_EQ(Set("[main]\nstart=normal", "explorer", "true"), "[main]\nstart=normal\nexplorer=true\n");
    EXPECT_EQ(Set("[main]", "explorer", "true"), "[main]\r\nexplorer=true\r\n");
    // Only the first [main] is the section.
    EXPECT_EQ(Set("[main]\na=1\n[main]\nb=2\n", "explorer", "true"),
              "[main]\na=1\nexplorer=true\n[main]\nb=2\n");
}

TEST(ProfileEdit, MissingSectionGoesAtTheEnd) {
    EXPECT_EQ(Set("[other]\r\na=1\r\n", "explorer", "true"), "[other]\r\na=1\r\n[main]\r\nexplorer=true\r\n");
    EXPECT_EQ(Set("[other]\na=1", "explorer", "true"), "[other]\na=1\n[main]\nexplorer=true\n");
    EXPECT_EQ(Set("; only a comment\n\n", "start", "x"), "; only a comment\n\n[main]\nstart=x\n");
}

TEST(ProfileEdit, EmptyFileBecomesTheSectionAndKey) {
    EXPECT_EQ(Set("", "explorer", "true"), "[main]\r\nexplorer=true\r\n");
    EXPECT_EQ(Set("", " start ", "normal", " main "), "[main]\r\nstart=normal\r\n");
}

TEST(ProfileEdit, AppendedLinesUseTheFilesFirstLineEnd) {
    EXPECT_EQ(Set("[a]\rb=1\r", "start", "x"), "[a]\rb=1\r[main]\rstart=x\r");
    EXPECT_EQ(Set("[a]\nb=1\r\n", "start", "x"), "[a]\nb=1\r\n[main]\nstart=x\n");
    EXPECT_EQ(Set("[a]\r\nb=1\n", "start", "x"), "[a]\r\nb=1\n[main]\r\nstart=x\r\n");
    EXPECT_EQ(Set("[main]\r\rb=1\r", "start", "x"), "[main]\r\rb=1\rstart=x\r");
    EXPECT_EQ(Set("[a]", "start", "x"), "[a]\r\n[main]\r\nstart=x\r\n");
}

TEST(ProfileEdit, ByteOrderMarksStay) {
    EXPECT_EQ(Set("\xEF\xBB\xBF[main]\nexplorer=false\n", "explorer", "true"),
              "\xEF\xBB\xBF[main]\nexplorer=true\n");
    EXPECT_EQ(Set("\xEF\xBB\xBF", "explorer", "true"), "\xEF\xBB\xBF[main]\r\nexplorer=true\r\n");

    const std::string utf16 = "\xFF\xFE[\0m\0a\0i\0n\0]\0\n\0s\0=\0\xE9\0\n\0"s;
    EXPECT_EQ(Set(utf16, "s", "\xC3\xA8"), "\xFF\xFE[\0m\0a\0i\0n\0]\0\n\0s\0=\0\xE8\0\n\0"s);
    EXPECT_EQ(Set("\xFF\xFE"s, "k", "v"), "\xFF\xFE[\0m\0a\0i\0n\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0"s);
    EXPECT_EQ(Set("\xFE\xFF\0[\0m\0a\0i\0n\0]\0\n\0s\0=\0x\0\n"s, "s", "y"),
              "\xFE\xFF\0[\0m\0a\0i\0n\0]\0\n\0s\0=\0y\0\n"s);
    // An odd last byte is no character of the file; it is kept as it was.
    EXPECT_EQ(Set(utf16 + "\x41", "t", "1"),
              "\xFF\xFE[\0m\0a\0i\0n\0]\0\n\0s\0=\0\xE9\0\n\0t\0=\0" "1\0\n\0\x41"s);
}

TEST(ProfileEdit, WhatIsWrittenReadsBack) {
    const std::vector<std::string> files = {
        "", "[main]", "[main]\nexplorer", "x=1\n[MAIN]\r\nexplorer = 'q' \r\n", "[a]\r[b]\r",
        "\xFF\xFE[\0m\0a\0i\0n\0]\0"s, "[main]\nexplorer\nexplorer=2\n", "[main] junk\n\t\n",
    };
    for (const std::string& file : files) {
        for (const std::string value : {"true", "", "minimized", "\xE2\x82\xAC uro", "a = b ; c"}) {
            const std::string written = Set(file, "explorer", value);
            EXPECT_EQ(FindProfileValue(written, "main", "explorer"), value) << "file: " << file;
            EXPECT_EQ(Set(written, "explorer", value), written) << "a second write changes nothing";
        }
    }
}

// ---- Refused writes ------------------------------------------------------

TEST(ProfileWriteSteps, NamesAndValuesThatWouldBreakTheFileAreRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {"main", "explorer", "true\r\n[evil]"}, {"main", "explorer", "a\nb"}, {"main", "explorer", "a\rb"},
        {"ma\nin", "explorer", "true"},        {"main", "exp\rlorer", "true"}, {"main", "explorer", "tr\0ue"s},
        {"main", "", "true"},                  {" ", "explorer", "true"},      {"main", "a=b", "true"},
        {"main", "[x]", "true"},
    };
    const std::string kPath = "/drive/nagwick.ini", kOld = "; mine\n[main]\nexplorer=false\n";
    for (const auto& args : bad) {
        MemoryFileOps fake;
        fake.files[kPath] = kOld;
        const FileResult r = WriteProfileString(fake, args[0], args[1], args[2], kPath);
        EXPECT_FALSE(r.ok) << args[0] << "/" << args[1] << "/" << args[2];
        EXPECT_FALSE(r.error.empty());
        EXPECT_TRUE(fake.calls.empty());
        EXPECT_EQ(fake.files.at(kPath), kOld);
    }
}

}  // namespace
