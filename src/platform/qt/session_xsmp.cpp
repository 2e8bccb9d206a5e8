#include "platform/qt/session_xsmp.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QSessionManager>
#include <QTimer>
#include <csignal>

// After Qt's headers: X11's define Status, which Qt's use as a name.
#include <X11/ICE/ICElib.h>

#include "platform/qt/session_host.h"

namespace nagwick::platform::qt {

namespace {

// The program runs from a flash drive that is gone at the next log-in: the
// session manager must not save it in the session and start it again.
void NeverRestart(QSessionManager& manager) {
    manager.setRestartHint(QSessionManager::RestartNever);
}

// libICE calls this when the session manager's connection breaks: the
// session manager ended, or closed its end once it had its last answer. Its
// default handler calls exit(1), which would end the program with no
// warning, or turn a clean end into status 1. Here the program runs on as if
// there were no session manager, armed as it was. libICE then leaves the
// connection alone, but Qt's reader ignores the failure and the dead socket,
// readable for ever, would wake the event loop without end; so the socket's
// number now names a pipe that nobody writes to.
void QuietBrokenConnection(IceConn connection) {
    static int silent[2] = {-1, -1};
    if (silent[0] < 0 && ::pipe2(silent, O_CLOEXEC) != 0) return;
    ::dup3(silent[0], IceConnectionNumber(connection), O_CLOEXEC);
}

}  // namespace

XsmpSession::XsmpSession(SessionHost& host) : host_(host) {
    // A session manager that goes away, at any moment, is no reason to die:
    // not by SIGPIPE when the program writes to it, nor by libICE's handler.
    std::signal(SIGPIPE, SIG_IGN);
    IceSetIOErrorHandler(QuietBrokenConnection);
    // Direct: the session manager object is valid only during the call, and
    // Qt answers the session manager as soon as the handler returns.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager& manager) { CommitData(manager); }, Qt::DirectConnection);
    connect(qApp, &QGuiApplication::saveStateRequest, this,
            [this](QSessionManager& manager) { SaveState(manager); }, Qt::DirectConnection);
    qApp->installEventFilter(this);
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
