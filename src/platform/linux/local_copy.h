#pragma once
// The private local folders the drive folder's program runs from, one for
// each run: the drive may be pulled while it runs, a local disk may not.
#include <filesystem>
#include <system_error>
#include <vector>

namespace nagwick::platform::gnu_linux {

// Where a local copy may go, best first: /var/tmp, on disk on every
// distribution (only the pages in use take memory); /tmp, a tmpfs on some;
// the session's runtime folder, always memory.
std::vector<std::filesystem::path> LocalCopyParents();

// A folder of our own making, by its place and name: nothing else is removed.
bool IsLocalCopy(const std::filesystem::path& folder);

struct LocalCopy {
    std::filesystem::path folder;  // empty when none could be made
    int lock = -1;                 // holds the folder's lock until the run ends
};

// A new empty folder under PARENT that only the user may enter, locked from
// the moment it exists but for an instant. None on a noexec mount.
LocalCopy MakeLocalCopy(const std::filesystem::path& parent, std::error_code& error);

// Removes the copies that no run holds any more, left by a run that was
// killed, crashed or lost its power before it could remove its own. A copy
// that is locked, or younger than a minute (made, not locked yet), is kept.
void RemoveAbandonedCopies();

}  // namespace nagwick::platform::gnu_linux
