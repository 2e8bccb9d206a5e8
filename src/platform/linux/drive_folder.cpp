#include "platform/linux/drive_folder.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/linux/program_file.h"

namespace nagwick::platform::gnu_linux {
namespace fs = std::filesystem;

namespace {

// Hands the drive folder over from the drive's process to the copy's.
constexpr const char* kDriveFolderVariable = "NAGWICK_DRIVE_FOLDER";
constexpr const char* kCopyPrefix = "nagwick-";

fs::path localCopy;
int driveHandle = -1;

// Where a local copy may go: /tmp, which most desktops keep on disk, so that
// only the pages the program uses take memory; else the session's runtime
// folder, which is memory (and emptied at log-off).
std::vector<fs::path> LocalParents() {
    std::vector<fs::path> parents{"/tmp"};
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') parents.emplace_back(runtime);
    return parents;
}

// A copy is only ever a folder of our own making: nothing else is removed,
// whoever set the variable.
bool IsLocalCopy(const fs::path& folder) {
    if (!folder.filename().string().starts_with(kCopyPrefix)) return false;
    for (const auto& parent : LocalParents()) {
        if (folder.parent_path() == parent) return true;
    }
    return false;
}

// Copies the program and its library folder into a new folder under PARENT
// (only the user may enter it) and goes on there; returns if it can't.
void GoOnFromCopyIn(const fs::path& parent, const fs::path& program, char* argv[]) {
    struct statvfs volume {};
    if (statvfs(parent.c_str(), &volume) != 0 || (volume.f_flag & ST_NOEXEC)) return;
    std::string name = (parent / kCopyPrefix).string() + "XXXXXX";
    if (!mkdtemp(name.data())) return;
    const fs::path local = name, folder = program.parent_path(), copy = local / program.filename();
    std::error_code error;
    fs::copy(folder / NAGWICK_LIBRARY_FOLDER, local / NAGWICK_LIBRARY_FOLDER, fs::copy_options::recursive,
             error);
    if (!error) fs::copy_file(program, copy, error);
    // The drive may have given it no execute bit (FAT32 as desktops mount it).
    if (!error) fs::permissions(copy, fs::perms::owner_all, fs::perm_options::add, error);
    if (!error) {
        setenv(kDriveFolderVariable, folder.c_str(), 1);
        execv(copy.c_str(), argv);
        unsetenv(kDriveFolderVariable);
    }
    fs::remove_all(local, error);
}

}  // namespace

StartFolders StartFromDriveFolder(char* argv[]) {
    const fs::path program = ProgramFile();
    const fs::path folder = program.empty() ? fs::current_path() : program.parent_path();
    if (!fs::is_directory(folder / NAGWICK_LIBRARY_FOLDER)) return {folder.string(), {}};
    const std::string plugins = (folder / NAGWICK_LIBRARY_FOLDER / "plugins").string();

    // Not for the file manager, nor anything else it starts.
    const char* handed = std::getenv(kDriveFolderVariable);
    const std::string drive = handed ? handed : "";
    unsetenv(kDriveFolderVariable);
    if (!drive.empty() && IsLocalCopy(folder)) {
        localCopy = folder;
        // Open until the program ends, and never passed on: the drive is
        // busy, and can't be unmounted before Exit.
        driveHandle = open(drive.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        return {drive, plugins};
    }
    // Qt ends at once without an X display: no copy is left behind for that.
    if (std::getenv("DISPLAY")) {
        for (const auto& parent : LocalParents()) GoOnFromCopyIn(parent, program, argv);
    }
    return {folder.string(), plugins};
}

void RemoveLocalCopy() {
    if (localCopy.empty()) return;
    std::error_code error;
    fs::remove_all(localCopy, error);
}

}  // namespace nagwick::platform::gnu_linux
