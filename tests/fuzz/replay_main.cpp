// Runs the fuzz target on every file of the settings vectors, once for each
// key, word and buffer; with a folder named, also writes them there as seeds.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "support/settings_vectors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const auto vectors = nagwick::test::LoadSettingsVectors(argv[1]);
    int runs = 0;
    for (const auto& [name, bytes] : vectors.files) {
        for (unsigned choice = 0; choice < 0x100; choice += 3) {
            const std::string input = bytes + static_cast<char>(choice);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
            ++runs;
        }
        if (argc > 2) std::ofstream(std::string(argv[2]) + "/" + std::to_string(runs), std::ios::binary) << bytes << '\x01';
    }
    std::printf("%d runs passed\n", runs);
    return runs > 0 ? 0 : 1;
}
