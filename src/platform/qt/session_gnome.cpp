#include "platform/qt/session_gnome.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "platform/qt/session_host.h"

namespace nagwick::platform::qt {

namespace {

constexpr auto kService = "org.gnome.SessionManager";
constexpr auto kManagerPath = "/org/gnome/SessionManager";
constexpr auto kManagerInterface = "org.gnome.SessionManager";
constexpr auto kClientInterface = "org.gnome.SessionManager.ClientPrivate";
constexpr auto kAppId = "nagwick";
constexpr uint kInhibitLogOut = 1;
constexpr int kRoundTripMs = 1000;

QDBusMessage ManagerCall(const char* method) {
    return QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface, method);
}

// Calls `onReply` with the finished call, from the event loop.
template <typename OnReply>
void WhenAnswered(const QDBusPendingCall& call, QObject* context, OnReply onReply) {
    auto* watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [onReply](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         onReply(*finished);
                     });
}

}  // namespace

GnomeSession::GnomeSession(SessionHost& host, QDBusConnection bus, QString reason, QObject* parent)
    : QObject(parent), host_(host), bus_(std::move(bus)), reason_(std::move(reason)) {
    host_.WhenFinished([this] { Answer(); });
}

bool GnomeSession::Available(const QDBusConnection& bus) {
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(kService).value();
}

QString GnomeSession::TakeStartupId() {
    QString id = qEnvironmentVariable("DESKTOP_AUTOSTART_ID");
    qunsetenv("DESKTOP_AUTOSTART_ID");
    return id;
}

void GnomeSession::Register(const QString& startupId) {
    QDBusMessage call = ManagerCall("RegisterClient");
    call << QString(kAppId) << startupId;
    WhenAnswered(bus_.asyncCall(call), this, [this](const QDBusPendingCall& answer) {
        QDBusPendingReply<QDBusObjectPath> reply = answer;
        // Without a session to join, the program simply runs without it.
        if (reply.isValid()) OnRegistered(reply.value().path());
    });
}

void GnomeSession::OnRegistered(const QString& clientPath) {
    clientPath_ = clientPath;
    bus_.connect(kService, clientPath_, kClientInterface, "QueryEndSession", this,
                 SLOT(OnQueryEndSession(uint)));
    bus_.connect(kService, clientPath_, kClientInterface, "EndSession", this,
                 SLOT(OnEndSession(uint)));
    bus_.connect(kService, clientPath_, kClientInterface, "CancelEndSession", this,
                 SLOT(OnCancelEndSession()));
    bus_.connect(kService, clientPath_, kClientInterface, "Stop", this, SLOT(OnStop()));
    if (host_.Finished()) return;

    QDBusMessage inhibit = ManagerCall("Inhibit");
    // No window id: the program may have no window on screen at all.
    inhibit << QString(kAppId) << 0u << reason_ << kInhibitLogOut;
    WhenAnswered(bus_.asyncCall(inhibit), this, [this](const QDBusPendingCall& answer) {
        QDBusPendingReply<uint> reply = answer;
        if (reply.isValid() && !host_.Finished()) cookie_ = reply.value();
    });
}

void GnomeSession::OnQueryEndSession(uint /*flags*/) { SessionEnding(true); }

void GnomeSession::OnEndSession(uint /*flags*/) { SessionEnding(true); }

void GnomeSession::OnStop() { SessionEnding(false); }

void GnomeSession::OnCancelEndSession() {
    // Before the unload has begun, nothing happens at all; once the warning
    // is on screen, the program ends when it is dismissed, as it would anyway.
    ending_ = false;
    owed_ = false;
    if (holding_) {
        holding_ = false;
        host_.ReleaseExit();
    }
}

void GnomeSession::SessionEnding(bool owe) {
    if (owe) {
        owed_ = true;
        if (!holding_) {
            holding_ = true;
            host_.HoldExit();
        }
    }
    if (host_.Finished()) Answer();
    else StartEnd();
}

void GnomeSession::StartEnd() {
    if (ending_) return;
    ending_ = true;
    // After a round trip to the session manager: by its answer, whatever it
    // sent before has arrived, and a CancelEndSession right behind the query
    // still stops the unload. One that does not answer delays it a second.
    QDBusMessage ping = QDBusMessage::createMethodCall(kService, kManagerPath, "org.freedesktop.DBus.Peer", "Ping");
    WhenAnswered(bus_.asyncCall(ping, kRoundTripMs), this, [this](const QDBusPendingCall&) {
        if (ending_) host_.EndSession();
    });
}

void GnomeSession::Answer() {
    // The inhibitor goes first, on the same connection, so the session
    // manager sees no inhibitor left when it reads the response.
    if (cookie_ != 0) {
        QDBusMessage uninhibit = ManagerCall("Uninhibit");
        uninhibit << cookie_;
        bus_.asyncCall(uninhibit);
        cookie_ = 0;
    }
    if (!owed_) {
        if (holding_) {
            holding_ = false;
            host_.ReleaseExit();
        }
        return;
    }
    owed_ = false;
    QDBusMessage response =
        QDBusMessage::createMethodCall(kService, clientPath_, kClientInterface, "EndSessionResponse");
    response << true << QString();
    // The process exits only once the session manager has the answer.
    WhenAnswered(bus_.asyncCall(response), this, [this](const QDBusPendingCall&) {
        if (holding_) {
            holding_ = false;
            host_.ReleaseExit();
        }
    });
}

}  // namespace nagwick::platform::qt
