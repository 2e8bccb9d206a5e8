// Windows' own profile functions (kernel32's GetPrivateProfileStringA and
// WritePrivateProfileStringA; under Wine, Wine's own implementation) against
// our portable reader and writer, given the same files, many of them unusual.
//
// The reader reads what kernel32 reads but for one difference, pinned on
// both sides (KnownDifferences): a quoted value read into a buffer that just
// holds it unquoted (kernel32 drops its last letter; it fits, so we keep it
// whole).
//
// The writer keeps every byte but the value it changes, where kernel32
// rewrites the whole file in its own layout: for each edit kernel32 must read
// our result exactly as it reads its own, and ours changed one stretch only.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/memory_file_ops.h"
#include "core/portable_profile.h"
#include "core/profile_text.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct Query {
    std::string section, key, defaultValue;
    std::size_t buffer;
};

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF"s : "\xFF\xFE"s;
    for (char c : ascii) bytes += bigEndian ? "\0"s + c : std::string(1, c) + '\0';
    return bytes;
}
std::string Utf16NoMark(const std::string& ascii) { return Utf16(ascii, false).substr(2); }

// The files, by name. "(none)" is no file at all; "(folder)" a folder in its place.
const std::vector<std::pair<std::string, std::string>>& Files() {
    static const std::vector<std::pair<std::string, std::string>> files{
        {"plain", "[main]\r\nexplorer=false\r\nstart=minimized\r\n"},
        {"lf line ends", "[main]\nexplorer=false\nstart=minimized\n"},
        {"cr line ends", "[main]\rexplorer=false\rstart=minimized\r"},
        {"mixed line ends", "[main]\r\nexplorer=false\rstart=minimized\n"},
        {"no final line end", "[main]\r\nexplorer=false\r\nstart=minimized"},
        {"blanks around everything", "  [ main ]  \r\n  explorer  =  false  \r\n\tstart\t=\tminimized\t\r\n"},
        {"other blanks", "[main]\r\n\v explorer\f=\ffalse\v\r\n\x1astart=minimized\x1a\r\n"},
        {"letter case", "[MAIN]\r\nEXPLORER=False\r\nStart=Minimized\r\n"},
        {"quoted values", "[main]\r\nexplorer=\"false\"\r\nstart=' minimized '\r\n"},
        {"unmatched quotes", "[main]\r\nexplorer=\"false\r\nstart=minimized'\r\n"},
        {"mixed quotes", "[main]\r\nexplorer=\"false'\r\nstart=\"\"\r\n"},
        {"lone quotes", "[main]\r\nexplorer=\"\r\nstart='\r\n"},
        {"quotes inside", "[main]\r\nexplorer=\"a\"b\"\r\nstart=x\"y\r\n"},
        {"empty values", "[main]\r\nexplorer=\r\nstart= \r\n"},
        {"missing key", "[main]\r\nother=1\r\n"},
        {"missing section", "[other]\r\nexplorer=false\r\n"},
        {"empty file", ""},
        {"blank lines only", "\r\n\r\n  \r\n"},
        {"duplicate keys", "[main]\r\nexplorer=false\r\nexplorer=1\r\nstart=minimized\r\nstart=normal\r\n"},
        {"duplicate sections",
         "[main]\r\nstart=normal\r\n[other]\r\nx=1\r\n[main]\r\nexplorer=false\r\nstart=minimized\r\n"},
        {"key in second duplicate section", "[main]\r\na=1\r\n[main]\r\nexplorer=false\r\n"},
        {"utf-8 mark", "\xEF\xBB\xBF[main]\r\nexplorer=false\r\nstart=minimized\r\n"},
        {"utf-8 mark only", "\xEF\xBB\xBF"},
        {"utf-16le mark", Utf16("[main]\r\nexplorer=false\r\nstart=minimized\r\n", false)},
        {"utf-16be mark", Utf16("[main]\r\nexplorer=false\r\nstart=minimized\r\n", true)},
        {"utf-16le without mark", Utf16NoMark("[main]\r\nexplorer=false\r\nstart=minimized\r\n")},
        {"long value", "[main]\r\nexplorer=" + std::string(300, 'x') + "\r\nstart=" + std::string(300, 'm') + "\r\n"},
        {"very long line", "[main]\r\nexplorer=" + std::string(70000, 'y') + "\r\nstart=minimized\r\n"},
        {"section with trailing text", "[main] junk\r\nexplorer=false\r\n[other]x\r\nstart=minimized\r\n"},
        {"section with two closing brackets", "[main]]\r\nexplorer=false\r\n[ma]in]\r\nstart=minimized\r\n"},
        {"section without closing bracket", "[main\r\nexplorer=false\r\n[main]\r\nstart=minimized\r\n"},
        {"key without equals first", "[main]\r\nexplorer\r\nexplorer=false\r\nstart=minimized\r\n"},
        {"key without equals alone", "[main]\r\nexplorer\r\n"},
        {"comment lines", "[main]\r\n;explorer=true\r\n#start=x\r\nexplorer=false\r\n;c=1\r\n"},
        {"equals in value", "[main]\r\nexplorer=a=b\r\nstart==minimized\r\n"},
        {"key with inner blanks", "[main]\r\nmy key=1\r\nexplorer=false\r\n"},
        {"trailing comment after value", "[main]\r\nexplorer=false ; old\r\n"},
        {"nul byte in value", "[main]\r\nexplorer=fa\0lse\r\nstart=minimized\r\n"s},
        {"nul byte in key line", "[main]\r\nex\0plorer=false\r\nstart=minimized\r\n"s},
        {"empty section name", "[]\r\nexplorer=false\r\n[ ]\r\nstart=minimized\r\n"},
        {"lines before the first section", "explorer=true\r\n[main]\r\nstart=minimized\r\n"},
        {"bracket key line", "[main]\r\n[explorer=false\r\nstart=minimized\r\n"},
        {"tab inside value", "[main]\r\nexplorer=fa\tlse\r\n"},
        {"ansi letters", "[main]\r\nexplorer=gr\xFCn\r\n[m\xC4in]\r\nstart=minimized\r\n"},
        {"empty key name", "[main]\r\n=x\r\n = y\r\nexplorer=false\r\n"},
        {"(none)", ""},
        {"(folder)", ""},
    };
    return files;
}

std::vector<Query> QueriesFor(const std::string& file) {
    std::vector<Query> queries{
        {"main", "explorer", "true", 6},   {"main", "start", "normal", 10},
        {"main", "explorer", "true", 100}, {"main", "start", "normal", 100},
    };
    const std::map<std::string, std::vector<Query>> extra{
        {"long value", {{"main", "explorer", "", 1}, {"main", "explorer", "", 2}, {"main", "explorer", "", 1000}}},
        {"very long line", {{"main", "explorer", "", 100000}}},
        {"section with trailing text", {{"other", "start", "", 100}}},
        {"section with two closing brackets",
         {{"main]", "explorer", "-", 100}, {"ma]in", "start", "-", 100}, {"ma", "start", "-", 100}}},
        {"section without closing bracket", {{"main", "start", "-", 100}}},
        {"comment lines", {{"main", ";explorer", "-", 100}, {"main", "#start", "-", 100}, {"main", ";c", "-", 100}}},
        {"key with inner blanks", {{"main", "my key", "-", 100}, {"main", "my  key", "-", 100}}},
        {"empty section name", {{"", "explorer", "-", 100}, {" ", "start", "-", 100}}},
        {"lines before the first section", {{"", "explorer", "-", 100}}},
        {"bracket key line", {{"main", "[explorer", "-", 100}}},
        {"ansi letters", {{"m\xE4in", "start", "-", 100}, {"M\xC4IN", "start", "-", 100}}},
        {"empty key name", {{"main", "", "-", 100}}},
        {"nul byte in key line", {{"main", "ex", "-", 100}}},
        {"plain",
         {{" main ", " explorer ", "-", 100},
          {"main", "missing", "true  ", 100},
          {"main", "missing", " true", 100},
          {"main", "missing", "\"true\"", 100},
          {"main", "missing", "'true'", 100},
          {"main", "missing", "\"true", 100},
          {"main", "missing", "", 100},
          {"main", "missing", "longer default", 6}}},
        {"(none)",
         {{"main", "explorer", "true  ", 100},
          {"main", "explorer", "\"true\"", 100},
          {"main", "explorer", "'true'", 100},
          {"main", "explorer", "longer default", 6}}},
        {"(folder)", {{"main", "explorer", "true  ", 100}, {"main", "explorer", "\"true\"", 100}}},
    };
    if (const auto it = extra.find(file); it != extra.end())
        queries.insert(queries.end(), it->second.begin(), it->second.end());
    return queries;
}

// A difference between kernel32 and our reader that we mean to keep.
struct Known {
    std::string kernel32;
    std::string ours;
};
using KnownKey = std::tuple<std::string, std::string, std::string, std::string, std::size_t>;

const std::map<KnownKey, Known>& KnownDifferences() {
    static const std::map<KnownKey, Known> known{
        {{"quoted values", "main", "explorer", "true", 6}, {"fals", "false"}},
    };
    return known;
}

std::string Shown(const std::string& text) {
    std::string shown = "\"";
    for (unsigned char c : text.substr(0, 40)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        shown += c >= 0x20 && c < 0x7F && c != '"' && c != '\\' ? std::string(1, static_cast<char>(c)) : hex;
    }
    return shown + (text.size() > 40 ? "...(" + std::to_string(text.size()) + ")\"" : "\"");
}

// Our reader's files: the same bytes, in memory; a folder in the file's place can't be read.
struct MemoryFiles : nagwick::test::MemoryFileOps {
    bool folder = false;
    nagwick::core::FileContent ReadAll(const std::string& path) override {
        if (folder) return {nagwick::core::ReadStatus::Unreadable, {}, "a folder"};
        return MemoryFileOps::ReadAll(path);
    }
};

class ProfileDifferentialTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("nagwick-profiles-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A new file holding `bytes` (a file of its own for each use: the system
    // caches profile files by name).
    std::string NewFile(const std::string& bytes) {
        const std::string path = (folder_ / ("f" + std::to_string(++files_) + ".ini")).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Kernel32Read(const Query& q, const std::string& path) {
        std::string buffer(q.buffer, '\0');
        const DWORD copied = GetPrivateProfileStringA(q.section.c_str(), q.key.c_str(), q.defaultValue.c_str(),
                                                      buffer.data(), static_cast<DWORD>(q.buffer), path.c_str());
        return buffer.substr(0, copied);
    }

    fs::path folder_;
    int files_ = 0;
};

TEST_F(ProfileDifferentialTest, ReaderReadsWhatKernel32Reads) {
    int compared = 0;
    std::set<KnownKey> seen;
    for (const auto& [name, bytes] : Files()) {
        MemoryFiles ours;
        std::string path = (folder_ / ("none" + std::to_string(++files_))).string();
        if ((ours.folder = name == "(folder)")) fs::create_directories(path);
        else if (name != "(none)") ours.files[path = NewFile(bytes)] = bytes;
        for (const Query& q : QueriesFor(name)) {
            const std::string theirs = Shown(Kernel32Read(q, path));
            const std::string mine =
                Shown(nagwick::core::ReadProfileString(ours, q.section, q.key, q.defaultValue, q.buffer, path));
            const KnownKey key{name, q.section, q.key, q.defaultValue, q.buffer};
            const std::string where = name + ": [" + q.section + "] " + q.key + " (default " + Shown(q.defaultValue) +
                                      ", buffer " + std::to_string(q.buffer) + ")";
            ++compared;
            if (const auto it = KnownDifferences().find(key); it != KnownDifferences().end()) {
                seen.insert(key);
                EXPECT_EQ(theirs, Shown(it->second.kernel32)) << where << ": kernel32 changed";
                EXPECT_EQ(mine, Shown(it->second.ours)) << where << ": our reader changed";
            } else {
                EXPECT_EQ(mine, theirs) << where;
            }
        }
    }
    EXPECT_EQ(seen.size(), KnownDifferences().size()) << "a known difference names no query";
    std::cout << compared << " reads compared, " << KnownDifferences().size() << " known differences\n";
}

struct Edit {
    std::string section, key, value;
};

// The stretch of `after` that differs from `before`: what was taken out
// and what was put in.
std::pair<std::string, std::string> ChangedStretch(const std::string& before, const std::string& after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {before.substr(prefix, before.size() - prefix - suffix), after.substr(prefix, after.size() - prefix - suffix)};
}

TEST_F(ProfileDifferentialTest, WriterMeansWhatKernel32Writes) {
    const std::vector<Edit> edits{
        {"main", "explorer", "true"}, {"main", "start", "minimized"}, {"main", "newkey", "v"}, {"fresh", "k", "1"}};
    const std::vector<Query> reads{
        {"main", "explorer", "-", 100}, {"main", "start", "-", 100}, {"main", "newkey", "-", 100},
        {"main", "other", "-", 100},    {"main", "a", "-", 100},     {"other", "x", "-", 100},
        {"other", "explorer", "-", 100}, {"other", "start", "-", 100}, {"fresh", "k", "-", 100},
    };
    int edited = 0;
    for (const auto& [name, bytes] : Files()) {
        if (name.front() == '(' || name.find("utf-16") != std::string::npos || name.find("nul") != std::string::npos ||
            name.find("very long") != std::string::npos)
            continue;
        for (const Edit& edit : edits) {
            const std::string where = name + ": set [" + edit.section + "] " + edit.key + "=" + edit.value;
            const std::string theirsPath = NewFile(bytes);
            ASSERT_TRUE(WritePrivateProfileStringA(edit.section.c_str(), edit.key.c_str(), edit.value.c_str(),
                                                   theirsPath.c_str()))
                << where;
            const std::string ours = nagwick::core::SetProfileValue(bytes, edit.section, edit.key, edit.value);
            const std::string oursPath = NewFile(ours);
            ++edited;

            for (const Query& q : reads)
                EXPECT_EQ(Shown(Kernel32Read(q, oursPath)), Shown(Kernel32Read(q, theirsPath)))
                    << where << ", then [" << q.section << "] " << q.key;

            // Ours changed one stretch within a line, or put lines in whole,
            // and reads back the new value.
            const auto [out, in] = ChangedStretch(bytes, ours);
            EXPECT_EQ(out.find_first_of("\r\n"), std::string::npos) << where << ": took out " << Shown(out);
            EXPECT_EQ(nagwick::core::FindProfileValue(ours, edit.section, edit.key), edit.value) << where;
        }
    }
    std::cout << edited << " edits compared\n";
}

}  // namespace
