#include "platform/linux/drive_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/local_copy.h"
#include "platform/linux/program_file.h"

namespace nagwick::platform::gnu_linux {
namespace fs = std::filesystem;

namespace {

constexpr const char* kDriveFolderVariable = "NAGWICK_DRIVE_FOLDER";
constexpr const char* kCopyLockVariable = "NAGWICK_COPY_LOCK";

fs::path localCopy;
int copyLock = -1;
int driveHandle = -1;

// Taken once, and never passed on to the file manager or anything else.
std::string TakeVariable(const char* name) {
    const char* value = std::getenv(name);
    std::string taken = value ? value : "";
    unsetenv(name);
    return taken;
}

}  // namespace

void HandOverDriveFolder(const fs::path& folder, int lock) {
    setenv(kDriveFolderVariable, folder.c_str(), 1);
    setenv(kCopyLockVariable, std::to_string(lock).c_str(), 1);
}

StartFolders TakeOverDriveFolder() noexcept try {
    const std::string drive = TakeVariable(kDriveFolderVariable);
    const std::string lock = TakeVariable(kCopyLockVariable);
    std::error_code error;
    fs::path folder = ProgramFile().parent_path();
    if (folder.empty()) folder = fs::current_path(error);
    const fs::path plugins = folder / NAGWICK_LIBRARY_FOLDER / "plugins";
    StartFolders folders{folder.string(), fs::is_directory(plugins, error) ? plugins.string() : ""};
    if (drive.empty() || !IsLocalCopy(folder)) return folders;
    localCopy = folder;
    copyLock = std::atoi(lock.c_str());
    // Held until the program ends, and never passed on.
    driveHandle = open(drive.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (driveHandle < 0)
        std::fprintf(stderr, "Nagwick can't keep its drive in use (%s): remove the drive only after Exit.\n",
                     std::strerror(errno));
    folders.app = drive;
    folders.launched = true;
    return folders;
} catch (const std::exception& error) {
    std::fprintf(stderr, "Nagwick runs without its drive folder: %s.\n", error.what());
    return {};
}

void RemoveLocalCopy() {
    if (localCopy.empty()) return;
    std::error_code error;
    fs::remove_all(localCopy, error);
    if (copyLock > 2) close(copyLock);
}

}  // namespace nagwick::platform::gnu_linux
