// Nagwick on Linux: the program over the Qt window system and the POSIX
// file layer.
#include <QApplication>
#include <vector>

#include "core/settings_store.h"
#include "platform/linux/drive_folder.h"
#include "platform/posix/instance_socket.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/signal_pipe.h"
#include "platform/qt/qt_system.h"
#include "ui/program.h"

int main(int argc, char* argv[]) {
    using namespace nagwick;
    // Until the handler is in place: a log-off during a slow start warns.
    platform::posix::HoldEndSignals();
    const auto folders = platform::gnu_linux::TakeOverDriveFolder();
    // Started again from the folder it runs from: the running copy shows
    // itself, and this start ends, having touched nothing.
    const std::string instance = platform::posix::InstanceSocketPath(folders.app);
    if (!folders.launched && platform::posix::AskRunningCopy(instance)) return 0;
    std::vector<char*> arguments(argv, argv + argc);
    if (!folders.plugins.empty()) {
        // The drive folder's Qt takes only its own plugins: a system Qt's are
        // of another version. It carries X11's platform only, which Wayland
        // desktops serve through XWayland, where XSMP brings the log-off.
        QCoreApplication::setLibraryPaths({QString::fromStdString(folders.plugins)});
        static char platformOption[] = "-platform", xcb[] = "xcb";
        arguments.insert(arguments.end(), {platformOption, xcb});
    }
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    QApplication app(count, arguments.data());
    platform::gnu_linux::RemoveLocalCopy();
    QApplication::setApplicationName(QString::fromUtf8(forms::App::Title));
    QApplication::setApplicationVersion(NAGWICK_VERSION);
    platform::qt::QtSystem system;
    system.WatchSignals();
    system.WatchInstance(instance);
    // The desktop may show the warning's text while the log-out waits for it.
    system.WatchSession(ui::FrmMain::kWarningPrompt);
    platform::posix::PosixFiles files;
    core::SettingsStore settings(files, '/');
    ui::Program program(system, settings, folders.app);
    return program.Run();
}
