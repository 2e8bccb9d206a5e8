#include "platform/qt/session_xsmp.h"

#include <dlfcn.h>

#include <QApplication>
#include <QEvent>
#include <QSessionManager>
#include <QTimer>
#include <csignal>

#include "platform/qt/session_host.h"

namespace nagwick::platform::qt {

namespace {

// The program runs from a flash drive that is gone at the next log-in: the
// session manager must not save it in the session and start it again.
void NeverRestart(QSessionManager& manager) {
    manager.setRestartHint(QSessionManager::RestartNever);
}

// Once the session manager has its answer it may end the session (and
// itself) at once, before this process is through: Qt's closing of the
// connection on the way out then writes into a closed socket. That must not
// turn a clean end into a death by SIGPIPE or, with the signal ignored, into
// libICE's default I/O error handler, which calls exit(1).
void IgnoreClosedSessionConnection() {
    // libICE is in the process only when Qt has joined a session, loaded by
    // its xcb plugin; it is looked up there rather than linked.
    void* ice = dlopen("libICE.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!ice) return;
    using IoErrorHandler = void (*)(void*);
    using SetIoErrorHandler = IoErrorHandler (*)(IoErrorHandler);
    if (auto set = reinterpret_cast<SetIoErrorHandler>(dlsym(ice, "IceSetIOErrorHandler")))
        set([](void*) {});
    dlclose(ice);
}

}  // namespace

XsmpSession::XsmpSession(SessionHost& host) : host_(host) {
    // A session manager that goes away mid-write is no reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    // Direct: the session manager object is valid only during the call, and
    // Qt answers the session manager as soon as the handler returns.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager& manager) { CommitData(manager); }, Qt::DirectConnection);
    connect(qApp, &QGuiApplication::saveStateRequest, this,
            [this](QSessionManager& manager) { SaveState(manager); }, Qt::DirectConnection);
    qApp->installEventFilter(this);
}

XsmpSession::~XsmpSession() {
    // The event loop is over: nothing is left to answer.
    IgnoreClosedSessionConnection();
}

bool XsmpSession::Joined() {
    // Qt's xcb session manager takes the id the session manager gave it.
    return QGuiApplication::platformName() == QLatin1String("xcb") &&
           !qApp->sessionId().isEmpty();
}

void XsmpSession::CommitData(QSessionManager& manager) {
    NeverRestart(manager);
    if (host_.Finished()) return;
    // Waits (in an event loop) for the session manager's go-ahead. False
    // when the session allows no interaction, or when the log-off was
    // cancelled meanwhile: then the program stays as it was, armed.
    if (!manager.allowsInteraction()) return;
    // Qt sends "save done" after this handler returns: the process must not
    // end before, so the exit waits for the event loop.
    host_.HoldExit();
    host_.EndSession();
    manager.release();
    QTimer::singleShot(0, this, [this] { host_.ReleaseExit(); });
}

void XsmpSession::SaveState(QSessionManager& manager) { NeverRestart(manager); }

bool XsmpSession::eventFilter(QObject* watched, QEvent* event) {
    // The session manager's Die. QApplication would close the visible
    // windows itself and give up when one stays open, and a hidden main
    // window would go without its warning; the forms runtime unloads every
    // form instead, and the program ends when that is done.
    if (watched == qApp && event->type() == QEvent::Quit) {
        host_.EndSession();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace nagwick::platform::qt
