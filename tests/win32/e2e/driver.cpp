// The end-to-end driver: runs in the same Wine session as Nagwick.exe and
// plays the user and the system against it.
//   nagwick_e2e SCENARIO NAGWICK_EXE WORK_FOLDER
//   nagwick_e2e pose NAGWICK_EXE WORK_FOLDER      (for screenshots, see pose.h)
#include "platform/win32/windows_api.h"

#include <filesystem>
#include <iostream>

#include "e2e/pose.h"
#include "e2e/probe.h"
#include "e2e/scenarios.h"

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::cerr << "usage: nagwick_e2e SCENARIO|pose NAGWICK_EXE WORK_FOLDER\n";
        return 2;
    }
    const e2e::Context context{e2e::WindowsPath(argv[2]), e2e::WindowsPath(argv[3])};
    // Each run starts from an empty folder.
    std::error_code ignored;
    std::filesystem::remove_all(context.work, ignored);
    std::filesystem::create_directories(context.work, ignored);
    try {
        if (std::string_view(argv[1]) == "pose") return e2e::Pose(context.exe, context.work);
        return e2e::RunScenario(argv[1], context);
    } catch (const std::exception& e) {
        std::cerr << "FAIL " << argv[1] << ": " << e.what() << '\n';
        return 1;
    }
}
