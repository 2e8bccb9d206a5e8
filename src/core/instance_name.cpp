#include "core/instance_name.h"

#include <cstdint>

namespace nagwick::core {

std::string InstanceName(std::string_view folder) {
    // FNV-1a: the same on every system and in every build, unlike std::hash.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : folder) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    std::string name = "nagwick-";
    for (int shift = 60; shift >= 0; shift -= 4) name += "0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}

}  // namespace nagwick::core
