#pragma once
// Nagwick as the drive folder carries it: the program with the Qt libraries
// and plugins it needs in a folder beside it (NAGWICK_LIBRARY_FOLDER).
#include <string>

namespace nagwick::platform::gnu_linux {

struct StartFolders {
    std::string app;      // App.Path: where nagwick.ini lies, what the file manager opens
    std::string plugins;  // Qt's plugins in the drive folder; empty when Qt is the system's
};

// The first thing the program does. From a drive folder it goes on as a
// copy in a private local folder, so that a pulled drive can't take its code
// from under it; an open handle keeps the drive busy until it ends, and
// App.Path stays the drive folder. Does not return in the drive's process,
// unless no copy can be made: then the program runs from the drive.
StartFolders StartFromDriveFolder(char* argv[]);

// Removes the local copy, once Qt has loaded what it needs from it: the
// mapped files live on until the program ends, however it ends.
void RemoveLocalCopy();

}  // namespace nagwick::platform::gnu_linux
