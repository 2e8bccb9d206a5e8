// The drive folder's `nagwick` on Linux: no Qt, only the C and C++ runtimes
// and the system's liblz4. It unpacks the real program and its Qt from the
// bundle beside it into a private local folder and goes on there, so that
// a pulled drive can't take code from under the program, and reads little
// from a slow drive.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/linux/bundle.h"
#include "platform/linux/drive_folder.h"
#include "platform/linux/local_copy.h"
#include "platform/linux/program_file.h"
#include "platform/posix/instance_socket.h"
#include "platform/posix/signal_pipe.h"

// The linker's marks around this program's image.
extern "C" char __executable_start, _end;

namespace {

using namespace nagwick::platform::gnu_linux;
namespace posix = nagwick::platform::posix;
namespace fs = std::filesystem;

int Fail(const std::string& why) {
    std::fprintf(stderr, "Nagwick can't start: %s.\n", why.c_str());
    return 1;
}

int Launch(char* argv[]) {
    // Every page of this program in memory now: the drive may go while it works.
    mlock(&__executable_start, static_cast<size_t>(&_end - &__executable_start));
    const fs::path self = ProgramFile();
    if (self.empty()) return Fail("it can't tell which folder it was started from");
    // Started again from the drive folder it runs from: the running copy
    // shows itself, and this start ends, having touched nothing.
    if (posix::AskRunningCopy(posix::InstanceSocketPath(self.parent_path()))) return 0;
    // Qt ends at once without an X display, and the local copy with it.
    if (const char* display = std::getenv("DISPLAY"); !display || !*display)
        return Fail("it needs an X11 desktop, and DISPLAY is not set");
    Bundle bundle;
    if (auto error = ReadBundle(self.parent_path() / NAGWICK_BUNDLE, bundle); !error.empty()) return Fail(error);
    RemoveAbandonedCopies();
    std::string why;
    for (const auto& parent : LocalCopyParents()) {
        std::error_code error;
        const LocalCopy copy = MakeLocalCopy(parent, error);
        if (copy.folder.empty()) {
            why += "; " + parent.string() + ": " + error.message();
            continue;
        }
        bool damaged = false;
        std::string failure = UnpackBundle(bundle, copy.lock, damaged);
        if (failure.empty()) {
            HandOverDriveFolder(self.parent_path(), copy.lock);
            const fs::path program = copy.folder / "nagwick";
            execv(program.c_str(), argv);
            failure = program.string() + ": " + std::generic_category().message(errno);
        }
        fs::remove_all(copy.folder, error);
        close(copy.lock);
        if (damaged) return Fail(NAGWICK_BUNDLE " is damaged: " + failure);
        why += "; " + parent.string() + ": " + failure;
    }
    return Fail("no local folder could take its copy (" + why.substr(2) + ")");
}

}  // namespace

int main(int, char* argv[]) {
    nagwick::platform::posix::HoldEndSignals();
    try {
        return Launch(argv);
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}
