#pragma once
// The settings file's vectors, tests/data/settings.tsv: files, the reads and
// the writes that the portable reader and writer must get right and that
// Windows' own profile functions are held to. Rows are tab-separated, with
// \t \r \n \\ \0 and \xHH escapes; '#' starts a comment line.
//   file  NAME  BYTES                    ("(none)": no file; "(folder)": a folder in its place)
//   read  FILE  SECTION  KEY  DEFAULT  BUFFER  EXPECTED  [KERNEL32, where Windows differs]
//   write FILE  KEY  VALUE  EXPECTED-BYTES      (section "main")
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace nagwick::test {

struct SettingsVectors {
    struct Read {
        std::string file, section, key, defaultValue;
        std::size_t buffer;
        std::string expected;
        std::optional<std::string> kernel32;
    };
    struct Write {
        std::string file, key, value, expected;
    };
    std::map<std::string, std::string> files;
    std::vector<Read> reads;
    std::vector<Write> writes;
};

inline std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        switch (const char c = field[++i]) {
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case '0': out += '\0'; break;
        case 'x': out += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16)); i += 2; break;
        default: out += c;
        }
    }
    return out;
}

inline SettingsVectors LoadSettingsVectors(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    SettingsVectors vectors;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) f.push_back(Unescape(field));
        if (line.back() == '\t') f.emplace_back();
        if (f[0] == "file" && f.size() == 3) {
            vectors.files[f[1]] = f[2];
        } else if (f[0] == "read" && (f.size() == 7 || f.size() == 8)) {
            vectors.reads.push_back({f[1], f[2], f[3], f[4], std::stoul(f[5]), f[6],
                                     f.size() == 8 ? std::optional(f[7]) : std::nullopt});
        } else if (f[0] == "write" && f.size() == 5) {
            vectors.writes.push_back({f[1], f[2], f[3], f[4]});
        } else {
            throw std::runtime_error(path + ": bad row: " + line);
        }
    }
    return vectors;
}

}  // namespace nagwick::test
