#include "platform/qt/file_manager.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QProcess>
#include <QUrl>

namespace nagwick::platform::qt {

namespace {

constexpr auto kService = "org.freedesktop.FileManager1";

bool ShowThroughFileManagerService(const QString& folder) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return false;
    if (!bus.interface()->isServiceRegistered(kService).value()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, "/org/freedesktop/FileManager1",
                                                       kService, "ShowFolders");
    call << QStringList{QUrl::fromLocalFile(folder).toString()} << QString();
    // Sent, not awaited: the file manager opens in its own time.
    return bus.send(call);
}

}  // namespace

bool OpenInFileManager(const std::string& folder, std::string& error) {
    const QString path = QString::fromStdString(folder);
    if (ShowThroughFileManagerService(path)) return true;
    // Started in the root folder: a file manager that outlives Nagwick must
    // not hold the drive busy through a working folder it inherited.
    if (QProcess::startDetached("xdg-open", {path}, QDir::rootPath())) return true;
    error = "no file manager could be started (xdg-open is missing or failed to start)";
    return false;
}

}  // namespace nagwick::platform::qt
