#pragma once
// Nagwick as the drive folder carries it: the launcher `nagwick` beside a
// bundle of the program with the Qt libraries and plugins it needs, which
// the launcher unpacks into a local copy to run there.
#include <filesystem>
#include <string>

namespace nagwick::platform::gnu_linux {

// The launcher's last step before it runs the copy: tells the program which
// drive folder it came from, and the handle that holds its copy's lock.
void HandOverDriveFolder(const std::filesystem::path& folder, int copyLock);

struct StartFolders {
    std::string app;      // App.Path: where nagwick.ini lies, what the file manager opens
    std::string plugins;  // Qt's plugins in the program's folder; empty when Qt is the system's
    bool launched = false;  // by the drive folder's launcher, which has asked a running copy already
};

// The program's first step. Run from a local copy by the launcher, it holds
// the drive folder open until it ends (the drive stays busy, and can't be
// unmounted before Exit), and App.Path is that folder. Run any other way, it
// runs from where it is. Throws nothing.
StartFolders TakeOverDriveFolder() noexcept;

// Removes the local copy, once Qt has loaded what it needs from it: the
// mapped files live on until the program ends, however it ends.
void RemoveLocalCopy();

}  // namespace nagwick::platform::gnu_linux
