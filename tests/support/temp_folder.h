#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents; and whole files written and read.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace nagwick::test {

struct TempFolder {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("nagwick-test-" + std::to_string(std::random_device{}()));
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace nagwick::test
