// Fuzzes the settings store's reader and writer with arbitrary file bytes.
// The input's last byte chooses the key, the word written and the read
// buffer; the bytes before it are the file (bit 7: no file at all). For
// every input: nothing crashes; a read fits its buffer and begins what a
// big buffer receives; the word written reads back; the other key keeps its
// value; the bytes taken out of the file lie within one line and a
// byte-order mark stays; a second write changes nothing. A failed check
// aborts, which libFuzzer reports as a crash.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/settings_store.h"
#include "doubles/memory_files.h"

namespace {

using namespace nagwick;
std::string_view input;  // the one being checked, shown when a check fails

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "settings_fuzzer: %s, for the input", what);
    for (const unsigned char c : input) std::fprintf(stderr, " %02X", c);
    std::fputc('\n', stderr), std::abort();
}

// The file as its format reads it: bytes, or 16-bit units after a UTF-16
// mark (an odd last byte apart).
std::vector<unsigned> Units(std::string_view file) {
    const bool little = file.starts_with("\xFF\xFE"), big = file.starts_with("\xFE\xFF");
    std::vector<unsigned> units;
    for (std::size_t i = 0; i < file.size(); i += little || big ? 2 : 1) {
        const unsigned a = static_cast<unsigned char>(file[i]);
        const unsigned b = i + 1 < file.size() ? static_cast<unsigned char>(file[i + 1]) : 0x100;
        units.push_back(little ? a | b << 8 : big ? a << 8 | b : a);
    }
    return units;
}

std::size_t MarkSize(std::string_view file) {
    return file.starts_with("\xEF\xBB\xBF") ? 3 : file.starts_with("\xFF\xFE") || file.starts_with("\xFE\xFF") ? 2 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    input = std::string_view(reinterpret_cast<const char*>(data), size);
    const unsigned choice = data[size - 1];
    const std::string path = "/drive/nagwick.ini", old = choice & 0x80 ? "" : std::string(input.substr(0, size - 1));
    test::MemoryFiles files;
    if (!(choice & 0x80)) files.files[path] = old;
    core::SettingsStore store(files, '/');
    const bool explorer = choice & 1;
    const std::string key = explorer ? "explorer" : "start", other = explorer ? "start" : "explorer";
    const std::string value = explorer ? (choice & 2 ? "true" : "false") : (choice & 2 ? "minimized" : "normal");
    const auto read = [&](const std::string& name, std::size_t buffer) {
        return store.ReadProfileString("main", name, "-", buffer, path);
    };

    const std::size_t buffer = ((choice >> 2) & 0x0F) + 1;
    const std::string cut = read(key, buffer), whole = read(key, 100000);
    Check(cut.size() <= 4 * (buffer - 1) && whole.starts_with(cut), "a read outgrew its buffer");

    const std::string otherBefore = read(other, 100000);
    const core::ProfileEntry entry[] = {{key, value}};
    Check(store.WriteProfileStrings("main", entry, path).outcome == core::SaveResult::Outcome::Saved, "a save failed");
    const std::string now = files.files[path];
    Check(read(key, 100000) == value, "the word written does not read back");
    Check(read(other, 100000) == otherBefore, "the other key changed");
    const std::vector<unsigned> before = Units(old), after = Units(now);
    std::size_t head = 0, tail = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    Check(std::none_of(before.begin() + head, before.end() - tail, [](unsigned u) { return u == '\r' || u == '\n'; }),
          "bytes of other lines were taken out");
    Check(now.starts_with(old.substr(0, MarkSize(old))), "the byte-order mark was lost");
    const int replaced = files.replaced;
    store.WriteProfileStrings("main", entry, path);
    Check(files.replaced == replaced && files.files[path] == now, "a second save changed the file");
    return 0;
}
