#pragma once
// GNOME's session manager over D-Bus (org.gnome.SessionManager), which also
// serves programs that speak no XSMP, as on GNOME on Wayland.
//
// The program registers as a client and holds a log-out inhibitor whose
// reason is the warning's text, so that the log-out waits (and a desktop
// shell can say why). When the session asks to end (QueryEndSession, or
// EndSession or Stop without one), the forms are unloaded and the warning
// shows. Once the program has ended, the inhibitor is released and the owed
// EndSessionResponse sent, and the process exits only when the session
// manager has that answer. A CancelEndSession that comes before the warning
// leaves the program as it was.
#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace nagwick::platform::qt {

class SessionHost;

class GnomeSession : public QObject {
    Q_OBJECT

public:
    // `reason` is shown by the desktop while the inhibitor holds a log-out.
    GnomeSession(SessionHost& host, QDBusConnection bus, QString reason, QObject* parent = nullptr);

    // Whether the session manager's service runs on `bus`.
    static bool Available(const QDBusConnection& bus);
    // The start-up id the session manager gave this process, if any; taken
    // out of the environment so that programs started from here don't reuse it.
    static QString TakeStartupId();

    // Registers as a client, then takes the inhibitor (both asynchronously).
    void Register(const QString& startupId);

private slots:
    void OnQueryEndSession(uint flags);
    void OnEndSession(uint flags);
    void OnCancelEndSession();
    void OnStop();

private:
    void OnRegistered(const QString& clientPath);
    // The session ends: an answer is owed (when `owe`) and the forms are to go.
    void SessionEnding(bool owe);
    void StartEnd();
    // Once the program has ended: drops the inhibitor, sends what is owed.
    void Answer();

    SessionHost& host_;
    QDBusConnection bus_;
    QString reason_;
    QString clientPath_;
    uint cookie_ = 0;
    bool owed_ = false;     // an EndSessionResponse is owed
    bool ending_ = false;   // the unload has been asked for
    bool holding_ = false;  // the exit waits for the owed answer
};

}  // namespace nagwick::platform::qt
