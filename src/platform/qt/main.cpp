// Nagwick on Linux: the program over the Qt window system.
#include <QApplication>

#include "platform/qt/qt_system.h"
#include "ui/program.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nagwick");
    QApplication::setApplicationVersion(NAGWICK_VERSION);
    nagwick::platform::qt::QtSystem system;
    system.WatchSignals();
    // The desktop may show the warning's text while the log-out waits for it.
    system.WatchSession(nagwick::ui::FrmMain::kWarningPrompt);
    nagwick::ui::Program program(system);
    return program.Run();
}
