// Fuzzes the settings file's reader and editor with arbitrary file bytes and
// checks, for every input:
//  - a value read is never longer than its buffer: at most size - 1 bytes when
//    it fits in bytes, never more than 4 bytes a character, and always the
//    start of what a big enough buffer receives;
//  - a write changes one line only: with the bytes both files share at the
//    start and at the end taken away, what is left of the old file holds no
//    line end (nothing, or the edited part of one line), and what is left of
//    the new one is either part of that line too, or at most a line end, a
//    section header and the key's line (for UTF-16 files, in 16-bit units);
//  - the byte-order mark stays, and no other key's value changes;
//  - writing then reading gives the value written, as the reader hands values
//    back (blanks around it and one pair of quotes dropped), or as it is when
//    the file already held it and was left alone;
//  - writing the same value twice gives the same bytes as writing it once;
//  - a refused write leaves the file alone.
// A failed check prints what failed and aborts, which libFuzzer reports as a
// crash; tests/fuzz/regressions/ keeps such inputs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/portable_profile.h"
#include "core/profile_text.h"
#include "memory_file_ops.h"

namespace {

using namespace nagwick::core;
using nagwick::test::MemoryFileOps;
using namespace std::string_view_literals;

// What the input asks for: a file (or none), a key to read and write, the
// value to write (also the default to read with) and the read buffer's size.
struct Case {
    std::optional<std::string> file;
    std::string section, key, value;
    std::size_t bufferSize = 0;
};

const Case* current = nullptr;  // the case being checked, told when a check fails

std::string Escaped(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\' && c != '"') {
            out += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        }
    }
    return '"' + out + '"';
}

[[noreturn]] void Fail(const char* what, int line) {
    std::fprintf(stderr, "profile_fuzzer.cpp:%d: check failed: %s\n", line, what);
    if (current) {
        std::fprintf(stderr, "  section %s, key %s, value %s, buffer %zu\n  file %s\n",
                     Escaped(current->section).c_str(), Escaped(current->key).c_str(),
                     Escaped(current->value).c_str(), current->bufferSize,
                     current->file ? Escaped(*current->file).c_str() : "(none)");
    }
    std::abort();
}
#define CHECK(condition) \
    do {                 \
        if (!(condition)) Fail(#condition, __LINE__); \
    } while (0)

constexpr const char* kPath = "/drive/nagwick.ini";

// The settings file at kPath, written through the same steps as on disk.
MemoryFileOps FilesHolding(const std::optional<std::string>& file) {
    MemoryFileOps files;
    if (file) files.files[kPath] = *file;
    return files;
}

std::optional<std::string> FileIn(const MemoryFileOps& files) {
    const auto it = files.files.find(kPath);
    if (it == files.files.end()) return std::nullopt;
    return it->second;
}

bool Replaced(const MemoryFileOps& files) { return std::ranges::count(files.calls, "Rename") > 0; }

// ---- The format's rules, written out again for the checks -------------------

bool IsBlank(unsigned char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
        return s.substr(1, s.size() - 2);
    }
    return s;
}

std::string Fold(std::string_view s) {
    std::string out(Trim(s));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Well-formed UTF-8 (RFC 3629): what survives a trip through UTF-16 unchanged.
bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
        const unsigned char c = b(0);
        std::size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                                   : c >= 0xF0 && c <= 0xF4   ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((b(k) & 0xC0) != 0x80) return false;
        if ((c == 0xE0 && b(1) < 0xA0) || (c == 0xED && b(1) >= 0xA0) || (c == 0xF0 && b(1) < 0x90) ||
            (c == 0xF4 && b(1) >= 0x90)) {
            return false;
        }
        i += n;
    }
    return true;
}

bool IsUtf16Be(std::string_view file) { return file.substr(0, 2) == "\xFE\xFF"sv; }
bool IsUtf16(std::string_view file) { return file.substr(0, 2) == "\xFF\xFE"sv || IsUtf16Be(file); }

// The file as a sequence of code units (bytes, or UTF-16 units after the
// mark), and the mark and odd last byte that are no units.
struct Units {
    std::string mark;
    std::vector<std::uint32_t> units;
    std::string oddByte;
};

Units UnitsOf(std::string_view file) {
    Units u;
    if (IsUtf16(file)) {
        u.mark = file.substr(0, 2);
        const std::string_view body = file.substr(2);
        const std::size_t high = IsUtf16Be(file) ? 0 : 1;
        for (std::size_t i = 0; i + 1 < body.size(); i += 2)
            u.units.push_back(static_cast<unsigned char>(body[i + 1 - high]) |
                              static_cast<unsigned char>(body[i + high]) << 8);
        u.oddByte = body.substr(body.size() - body.size() % 2);
    } else {
        if (file.substr(0, 3) == "\xEF\xBB\xBF"sv) u.mark = file.substr(0, 3);
        for (char c : file.substr(u.mark.size())) u.units.push_back(static_cast<unsigned char>(c));
    }
    return u;
}

// Section and key names the file itself uses (ASCII only for UTF-16), so that
// the edits hit real lines and other keys can be watched.
void NamesIn(std::string_view file, std::vector<std::string>& sections, std::vector<std::string>& keys) {
    std::string text;
    for (std::uint32_t unit : UnitsOf(file).units) text += unit < 0x80 ? static_cast<char>(unit) : '?';
    std::size_t pos = 0;
    while (pos < text.size() && sections.size() < 8 && keys.size() < 8) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line = Trim(std::string_view(text).substr(pos, end - pos));
        line = line.substr(0, line.find('\0'));
        if (!line.empty() && line.front() == '[' && line.find(']') != std::string_view::npos) {
            sections.emplace_back(line.substr(1, line.rfind(']') - 1));
        } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
            keys.emplace_back(line.substr(0, eq));
        }
        pos = end + 1;
    }
}

// ---- The input -------------------------------------------------------------

// The input's last bytes choose what to do with the bytes before them:
//   ... file bytes ... | value (0 to 15 bytes) | section | key | buffer | how
// "how": bits 0-3 the value's length, bit 4 a listed value instead, bit 5 no
// file at all. Short inputs are padded with zero bytes in front.
Case Decode(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    if (input.size() < 4) input.insert(0, 4 - input.size(), '\0');
    const auto byte = [&](std::size_t fromEnd) { return static_cast<unsigned char>(input[input.size() - fromEnd]); };
    const unsigned how = byte(1), bufferChoice = byte(2), keyChoice = byte(3), sectionChoice = byte(4);
    input.resize(input.size() - 4);
    const std::size_t valueLength = std::min<std::size_t>(how & 0x0F, input.size());

    Case c;
    std::string value = input.substr(input.size() - valueLength);
    input.resize(input.size() - valueLength);
    if (!(how & 0x20)) c.file = input;

    std::vector<std::string> sections = {"main", "MAIN", " main\t", "other", "ma]in", "\xC3\xA9t\xC3\xA9"};
    std::vector<std::string> keys = {"explorer", "Start", " start ", ";c", "a b", "\xE2\x82\xAC", "k=v", ""};
    NamesIn(input, sections, keys);
    static const std::vector<std::string> values = {
        "true", "false", "normal", "minimized", "", " a", "b\t", "\"q\"", "'q' ", "x=y", "; c",
        "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "[main]", "a\r\nb", "\xFF\x80", "\x1a"};
    c.section = sections[sectionChoice % sections.size()];
    c.key = keys[keyChoice % keys.size()];
    c.value = (how & 0x10) ? values[valueLength] : value;
    c.bufferSize = bufferChoice % 20;
    return c;
}

// ---- The checks --------------------------------------------------------------

void CheckRead(const Case& c) {
    MemoryFileOps files = FilesHolding(c.file);
    const std::string got = ReadProfileString(files, c.section, c.key, c.value, c.bufferSize, kPath);
    const std::string whole = ReadProfileString(files, c.section, c.key, c.value, 1 << 20, kPath);
    const std::size_t room = c.bufferSize == 0 ? 0 : c.bufferSize - 1;
    CHECK(got.size() <= 4 * room);
    CHECK(whole.compare(0, got.size(), got) == 0);
    if (whole.size() <= room) CHECK(got == whole);
    CHECK(FileIn(files) == c.file);
}

void CheckOneLineChanged(const std::string& before, const std::string& after) {
    const Units old = UnitsOf(before), now = UnitsOf(after);
    CHECK(old.mark == now.mark);
    CHECK(old.oddByte == now.oddByte);
    const auto& o = old.units;
    const auto& n = now.units;
    std::size_t prefix = 0;
    while (prefix < o.size() && prefix < n.size() && o[prefix] == n[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < o.size() - prefix && suffix < n.size() - prefix &&
           o[o.size() - 1 - suffix] == n[n.size() - 1 - suffix]) {
        ++suffix;
    }
    const auto count = [](const std::vector<std::uint32_t>& u, std::size_t from, std::size_t to, std::uint32_t c) {
        std::size_t k = 0;
        for (std::size_t i = from; i < to; ++i) k += u[i] == c;
        return k;
    };
    const std::size_t oldEnd = o.size() - suffix, newEnd = n.size() - suffix;
    CHECK(count(o, prefix, oldEnd, '\r') + count(o, prefix, oldEnd, '\n') == 0);
    const std::size_t crs = count(n, prefix, newEnd, '\r'), lfs = count(n, prefix, newEnd, '\n');
    if (oldEnd > prefix) CHECK(crs + lfs == 0);
    CHECK(crs <= 3 && lfs <= 3);
}

void CheckWrite(const Case& c) {
    MemoryFileOps files = FilesHolding(c.file);
    const FileResult first = WriteProfileString(files, c.section, c.key, c.value, kPath);
    if (!first.ok) {
        CHECK(!first.error.empty());
        CHECK(FileIn(files) == c.file);
        CHECK(!Replaced(files));
        return;
    }
    CHECK(FileIn(files).has_value());
    const std::string written = *FileIn(files);
    const std::string before = c.file.value_or("");
    if (before.empty() || before == "\xEF\xBB\xBF"sv) {
        CHECK(written == before + "[" + std::string(Trim(c.section)) + "]\r\n" + std::string(Trim(c.key)) + "=" +
                             c.value + "\r\n");
    }
    CheckOneLineChanged(before, written);

    const bool valueSurvives = !IsUtf16(written) || IsUtf8(c.value);
    const bool namesSurvive = !IsUtf16(written) || (IsUtf8(c.section) && IsUtf8(c.key));
    if (valueSurvives && namesSurvive) {
        // A file left alone because it already reads as the value is fine
        // too: a value cut at a NUL keeps blanks and quotes the reader would
        // drop from a whole line.
        const bool leftAlone = !Replaced(files) && FindProfileValue(before, c.section, c.key) == c.value;
        const std::string expected = leftAlone ? c.value : std::string(Unquote(Trim(c.value)));
        CHECK(FindProfileValue(written, c.section, c.key) == expected);
    }

    // Every other key keeps its value.
    std::vector<std::string> sections = {"", c.section}, keys = {c.key};
    NamesIn(before, sections, keys);
    for (const std::string& section : sections) {
        for (const std::string& key : keys) {
            if (Fold(section) == Fold(c.section) && Fold(key) == Fold(c.key)) continue;
            CHECK(FindProfileValue(before, section, key) == FindProfileValue(written, section, key));
        }
    }

    // A second write of the same value changes nothing.
    const FileResult second = WriteProfileString(files, c.section, c.key, c.value, kPath);
    CHECK(second.ok);
    CHECK(FileIn(files) == written);
    CHECK(files.files.size() == 1);  // no temporary file left
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Case c = Decode(data, size);
    current = &c;
    CheckRead(c);
    CheckWrite(c);
    current = nullptr;
    return 0;
}
