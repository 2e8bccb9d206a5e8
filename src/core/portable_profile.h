#pragma once
// Our own GetPrivateProfileString / WritePrivateProfileString over a FileOps.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/file_ops.h"

namespace nagwick::core {

// What a buffer of `bufferSize` characters receives: the stored value or, when
// the file, section or key is missing (or the file can't be read), the
// default; cut to bufferSize - 1 characters. Never creates or touches the file.
std::string ReadProfileString(FileOps& files, std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t bufferSize,
                              const std::string& path);

// Sets one key, keeping every other byte of the file. A write that changes
// nothing leaves the file untouched. The new content replaces the file
// atomically: whichever step fails, and wherever the program stops, the file
// holds the old bytes or the new ones. A failed step leaves no temporary
// file; one that a stopped program left goes at the next write. The result
// says why a write failed; the new content is in place only when the device
// reported a write error after the rename (see FileOps::SyncFolder).
FileResult WriteProfileString(FileOps& files, std::string_view section, std::string_view key,
                              std::string_view value, const std::string& path);

}  // namespace nagwick::core
