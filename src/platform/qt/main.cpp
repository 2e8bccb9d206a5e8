// Nagwick on Linux: the program over the Qt window system and the POSIX
// file layer.
#include <QApplication>

#include "core/settings_store.h"
#include "platform/linux/program_folder.h"
#include "platform/posix/posix_files.h"
#include "platform/qt/qt_system.h"
#include "ui/program.h"

int main(int argc, char* argv[]) {
    using namespace nagwick;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nagwick");
    QApplication::setApplicationVersion(NAGWICK_VERSION);
    platform::qt::QtSystem system;
    system.WatchSignals();
    // The desktop may show the warning's text while the log-out waits for it.
    system.WatchSession(ui::FrmMain::kWarningPrompt);
    platform::posix::PosixFiles files;
    core::SettingsStore settings(files, '/');
    ui::Program program(system, settings, platform::gnu_linux::ProgramFolder());
    return program.Run();
}
