#pragma once
// The drive folder's Linux program with the Qt it needs, as a series of LZ4
// frames, each a small tar archive of one file (cmake/drive.cmake makes it):
// little to read from a slow drive, quick to decode, and decoded on every
// core at once, straight into the files.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nagwick::platform::gnu_linux {

struct Bundle {
    struct Frame {
        size_t at, size;
    };
    std::unique_ptr<char[], std::function<void(char*)>> bytes;
    std::vector<Frame> frames;
};

// Reads BUNDLE off the drive, whole, and finds its frames. The drive is read
// with read() only, never through a mapping: a failing drive is an error
// here, not a SIGBUS. Returns why it failed, in a few words; empty when it
// did not.
std::string ReadBundle(const std::filesystem::path& file, Bundle& bundle);

// Writes the bundle's folders and files into the empty folder open as
// FOLDER. Returns why it failed; empty when it did not. DAMAGED tells a
// bundle that can't be decoded from a folder that can't be written.
std::string UnpackBundle(const Bundle& bundle, int folder, bool& damaged);

}  // namespace nagwick::platform::gnu_linux
