#pragma once
// The X11 session (XSMP), which Qt's xcb platform joins by itself when
// SESSION_MANAGER is set: every X11 desktop's session manager, and programs
// on XWayland.
//
// At log-off the session manager asks each client to save its data; Qt turns
// that into commitDataRequest. The warning is shown there, once the session
// manager has granted interaction, and the log-off waits until it has been
// dismissed. Later, the session manager's Die reaches Qt as a Quit event;
// it goes through the same unload, which has nothing left to do by then, and
// no window ever refuses it: a refused close would cancel the log-off.
#include <QObject>

class QSessionManager;

namespace nagwick::platform::qt {

class SessionHost;

class XsmpSession : public QObject {
public:
    explicit XsmpSession(SessionHost& host);

    // Whether Qt is connected to an X11 session manager.
    static bool Joined();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CommitData(QSessionManager& manager);
    void SaveState(QSessionManager& manager);

    SessionHost& host_;
};

}  // namespace nagwick::platform::qt
