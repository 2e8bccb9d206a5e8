#include "platform/qt/qt_system.h"

#include <QApplication>
#include <QDBusConnection>
#include <QEventLoop>
#include <QIcon>
#include <QImageReader>
#include <QMessageBox>
#include <QSocketNotifier>
#include <utility>

#include "platform/qt/file_manager.h"
#include "platform/qt/qt_window.h"
#include "platform/qt/session_gnome.h"
#include "platform/qt/session_xsmp.h"

namespace nagwick::platform::qt {

namespace {

// The program's icon, drawn for each size it is shown at. Read as PNG by
// name: letting Qt guess the format loads every image plugin at start-up.
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QImageReader reader(QString(":/icon/nagwick-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

}  // namespace

QtSystem::QtSystem() {
    // The program ends when its forms are unloaded, not when its last window
    // is hidden: Hide leaves it running with no window at all.
    QApplication::setQuitOnLastWindowClosed(false);
    // Every window takes it, message boxes too.
    QApplication::setWindowIcon(ProgramIcon());
}

QtSystem::~QtSystem() = default;

void QtSystem::WatchSignals() {
    if (!signals_.Install()) return;
    // Owned here, not by the application: the handler uses this object.
    signalNotifier_ = std::make_unique<QSocketNotifier>(signals_.ReadEnd(), QSocketNotifier::Read);
    QObject::connect(signalNotifier_.get(), &QSocketNotifier::activated, signalNotifier_.get(), [this] {
        if (signals_.Drain() && systemEvents_)
            systemEvents_->OnEndRequested();
    });
}

void QtSystem::WatchInstance(const std::string& socketPath) {
    auto listener = std::make_unique<posix::InstanceListener>();
    if (!listener->Listen(socketPath)) return;
    instance_ = std::move(listener);
    instanceNotifier_ = std::make_unique<QSocketNotifier>(instance_->Socket(), QSocketNotifier::Read);
    QObject::connect(instanceNotifier_.get(), &QSocketNotifier::activated, instanceNotifier_.get(), [this] {
        instance_->Answer([this] {
            if (systemEvents_) systemEvents_->OnActivateRequested();
        });
    });
}

std::unique_ptr<forms::NativeWindow> QtSystem::CreateNativeWindow(const forms::FormDesign& design,
                                                           forms::NativeWindow* owner,
                                                           forms::WindowEvents& events) {
    return std::make_unique<QtWindow>(design, static_cast<QtWindow*>(owner), events);
}

void QtSystem::ShowMessage(std::string_view prompt, std::string_view title, forms::MsgBoxIcon icon) {
    QMessageBox box(icon == forms::MsgBoxIcon::Critical ? QMessageBox::Critical : QMessageBox::Warning,
                    QString::fromUtf8(title), QString::fromUtf8(prompt), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // On top of everything: the main window may be hidden or minimised.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void QtSystem::RaiseMessage() {
    // The message box is the modal window on top of the stack.
    if (QWidget* box = QApplication::activeModalWidget()) {
        box->raise();
        box->activateWindow();
    }
}

bool QtSystem::OpenFolder(const std::string& folder, std::string& error) {
    return OpenInFileManager(folder, error);
}

void QtSystem::WatchSession(std::string_view logoutReason) {
    xsmp_ = std::make_unique<XsmpSession>(*this);
    // One protocol only: a program registered both ways would be two clients.
    if (XsmpSession::Joined()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!GnomeSession::Available(bus)) return;
    gnome_ = std::make_unique<GnomeSession>(*this, bus, QString::fromUtf8(logoutReason));
    gnome_->Register(GnomeSession::TakeStartupId());
}

void QtSystem::EndSession() {
    if (systemEvents_) systemEvents_->OnEndRequested();
}

void QtSystem::WhenFinished(std::function<void()> callback) {
    if (quitting_) callback();
    else whenFinished_.push_back(std::move(callback));
}

void QtSystem::ReleaseExit() {
    if (exitHolds_ > 0 && --exitHolds_ == 0 && quitting_) QApplication::exit(quitStatus_);
}

int QtSystem::RunEventLoop() {
    if (quitting_ && exitHolds_ == 0) return quitStatus_;
    return QApplication::exec();
}

void QtSystem::RunModalLoop(const std::function<bool()>& done) {
    QEventLoop loop;
    while (!done() && !quitting_) loop.processEvents(QEventLoop::WaitForMoreEvents);
}

void QtSystem::Quit(int status) {
    const bool first = !quitting_;
    quitting_ = true;
    quitStatus_ = status;
    if (first) {
        // An ending program answers no other start: that one goes on by itself.
        instanceNotifier_.reset();
        instance_.reset();
        // A callback may send an answer and hold the exit until it is through.
        for (auto& callback : std::exchange(whenFinished_, {})) callback();
    }
    if (exitHolds_ == 0) QApplication::exit(status);
}

}  // namespace nagwick::platform::qt
