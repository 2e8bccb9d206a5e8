// Runs the fuzz target on every file of the settings vectors, with every
// choice of key, word and buffer; with a folder named, also writes each file
// there as a seed.   replay VECTORS [SEEDS]
#include <cstdint>
#include <cstdio>
#include <fstream>

#include "support/settings_vectors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    int runs = 0;
    for (const auto& [name, bytes] : nagwick::test::LoadSettingsVectors(argv[1]).files) {
        for (int choice = 0; choice < 0x100; choice += 3, ++runs) {
            const std::string input = bytes + static_cast<char>(choice);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
        }
        if (argc > 2) std::ofstream(std::string(argv[2]) + "/" + std::to_string(runs), std::ios::binary) << bytes << '\x01';
    }
    std::printf("%d runs passed\n", runs);
}
