#pragma once
// The settings file's vectors, tests/data/settings.tsv: files, and the reads
// and writes that the portable reader and writer must get right and that
// Windows' own profile functions are held to. Tab-separated rows with
// \t \r \n \\ \0 and \xHH escapes; '#' starts a comment line.
//   file  NAME  BYTES                  ("(none)": no file; "(folder)": a folder in its place)
//   read  FILE  SECTION  KEY  DEFAULT  BUFFER  EXPECTED  [KERNEL32, where Windows differs]
//   write FILE  KEY  VALUE  EXPECTED-BYTES    (section "main")
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace nagwick::test {

struct SettingsVectors {
    std::map<std::string, std::string> files;
    std::vector<std::vector<std::string>> reads, writes;  // the rows' fields after the first
};

inline SettingsVectors LoadSettingsVectors(const std::string& path) {
    SettingsVectors vectors;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields(1);
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\t') fields.emplace_back();
            else if (line[i] != '\\') fields.back() += line[i];
            else if (line[++i] == 'x') fields.back() += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16)), i += 2;
            else fields.back() += std::string("\t\r\n\0\\", 5)[std::string("trn0\\").find(line[i])];
        }
        if (fields[0] == "file") vectors.files[fields.at(1)] = fields.at(2);
        if (fields[0] == "read" || fields[0] == "write")
            (fields[0] == "read" ? vectors.reads : vectors.writes).emplace_back(fields.begin() + 1, fields.end());
    }
    return vectors;
}

}  // namespace nagwick::test
