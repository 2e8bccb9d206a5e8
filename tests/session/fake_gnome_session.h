#pragma once
// A stand-in for GNOME's session manager on a private bus: it registers one
// client, hands out inhibitor cookies, sends the client's signals when told,
// and writes down every call it gets, in order.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <string>
#include <vector>

namespace nagwick::test {

class FakeGnomeClient : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager.ClientPrivate")

public:
    explicit FakeGnomeClient(std::vector<std::string>& calls) : calls_(calls) {}

public slots:
    void EndSessionResponse(bool isOk, const QString& reason) {
        calls_.push_back("EndSessionResponse " + std::string(isOk ? "true" : "false") + " '" +
                         reason.toStdString() + "'");
    }

private:
    std::vector<std::string>& calls_;
};

class FakeGnomeSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")

public:
    static constexpr const char* kClientPath = "/org/gnome/SessionManager/Client7";
    static constexpr uint kCookie = 4242;

    explicit FakeGnomeSession(QDBusConnection bus) : bus_(std::move(bus)), client_(calls) {
        serving = bus_.registerService("org.gnome.SessionManager") &&
                  bus_.registerObject("/org/gnome/SessionManager", this,
                                      QDBusConnection::ExportAllSlots) &&
                  bus_.registerObject(kClientPath, &client_, QDBusConnection::ExportAllSlots);
    }

    // Sends one of the client's signals: QueryEndSession, EndSession (both
    // with flags 0), CancelEndSession or Stop.
    void Send(const QString& name) {
        QDBusMessage signal = QDBusMessage::createSignal(
            kClientPath, "org.gnome.SessionManager.ClientPrivate", name);
        if (name == "QueryEndSession" || name == "EndSession") signal << 0u;
        bus_.send(signal);
    }

    int Count(const std::string& prefix) const {
        int count = 0;
        for (const auto& call : calls)
            if (call.rfind(prefix, 0) == 0) ++count;
        return count;
    }

    bool serving = false;
    std::vector<std::string> calls;

public slots:
    QDBusObjectPath RegisterClient(const QString& appId, const QString& startupId) {
        calls.push_back("RegisterClient " + appId.toStdString() + " '" + startupId.toStdString() +
                        "'");
        return QDBusObjectPath(kClientPath);
    }
    uint Inhibit(const QString& appId, uint toplevelXid, const QString& reason, uint flags) {
        calls.push_back("Inhibit " + appId.toStdString() + " " + std::to_string(toplevelXid) +
                        " '" + reason.toStdString() + "' " + std::to_string(flags));
        return kCookie;
    }
    void Uninhibit(uint cookie) { calls.push_back("Uninhibit " + std::to_string(cookie)); }

private:
    QDBusConnection bus_;
    FakeGnomeClient client_;
};

}  // namespace nagwick::test
