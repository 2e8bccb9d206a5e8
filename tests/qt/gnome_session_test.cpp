// The program on GNOME's session protocol, against a stand-in session
// manager on the test's own bus: the orders of events the real
// gnome-session does not send in the end-to-end runs, and the order of the
// program's answers.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QThread>

#include "platform/qt/session_gnome.h"
#include "qt/qt_test.h"

namespace nagwick::test {
namespace {

constexpr auto kService = "org.gnome.SessionManager";
constexpr auto kClient = "/org/gnome/SessionManager/Client7";

// Registers one client, hands out inhibitor cookie 4242, sends the client's
// signals when told, and writes down every call it gets.
class FakeGnomeSession : public QDBusVirtualObject {
public:
    FakeGnomeSession() {
        serving = bus_.registerService(kService) &&
                  bus_.registerVirtualObject("/org/gnome/SessionManager", this, QDBusConnection::SubPath);
    }
    ~FakeGnomeSession() override {
        bus_.unregisterObject("/org/gnome/SessionManager", QDBusConnection::UnregisterTree);
        QDBusConnection::disconnectFromBus(bus_.name());
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        std::string call = message.member().toStdString();
        for (const QVariant& argument : message.arguments()) call += " '" + argument.toString().toStdString() + "'";
        calls.push_back(call);
        QDBusMessage reply = message.createReply();
        if (message.member() == "RegisterClient") reply << QVariant::fromValue(QDBusObjectPath(kClient));
        if (message.member() == "Inhibit") reply << 4242u;
        return connection.send(reply);
    }
    void Send(const QString& name) {
        QDBusMessage signal = QDBusMessage::createSignal(kClient, "org.gnome.SessionManager.ClientPrivate", name);
        if (name.endsWith("EndSession") && name != "CancelEndSession") signal << 0u;
        bus_.send(signal);
    }
    int Count(const std::string& prefix) const {
        return static_cast<int>(std::ranges::count_if(calls, [&](const auto& call) { return call.starts_with(prefix); }));
    }

    bool serving = false;
    std::vector<std::string> calls;

private:
    QDBusConnection bus_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "manager" + QString::number(++made));
    static inline int made = 0;
};

class GnomeSessionTest : public QtTest {
protected:
    void SetUp() override {
        QtTest::SetUp();
        ASSERT_TRUE(manager.serving) << "no session bus: run under dbus-run-session";
        session.Register("1050740e5b-autostart");
        Then([this] { return manager.Count("Inhibit") == 1 && Main() != nullptr; });
    }

    FakeGnomeSession manager;
    platform::qt::GnomeSession session{system, QDBusConnection::sessionBus(), "Remove your flash drive!"};
};

TEST_F(GnomeSessionTest, TheLogOutWaitsForTheWarningThenTheInhibitorGoesAndTheAnswerFollows) {
    std::size_t callsWithBoxOpen = 0;
    Do([this] { manager.Send("QueryEndSession"); });
    Then([] { return Box() != nullptr; }).Do([this] {
        manager.Send("EndSession");  // the session presses on: no second box
        manager.Send("Stop");
    });
    Then([this] { return manager.calls.size() >= 2; }).Do([&] { callsWithBoxOpen = manager.calls.size(); });
    DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Remove your flash drive!"});
    EXPECT_EQ(callsWithBoxOpen, 2u) << "answered while the box was open";
    EXPECT_EQ(manager.calls, (std::vector<std::string>{"RegisterClient 'nagwick' '1050740e5b-autostart'",
                                                       "Inhibit 'nagwick' '0' 'Remove your flash drive!' '1'",
                                                       "Uninhibit '4242'", "EndSessionResponse 'true' ''"}));
}

TEST_F(GnomeSessionTest, ALogOutCancelledBeforeTheWarningLeavesTheProgramArmed) {
    Do([this] {
        manager.Send("QueryEndSession");
        manager.Send("CancelEndSession");
        QThread::msleep(300);  // both arrive before the program looks at either
    });
    Then([this, start = std::make_shared<QElapsedTimer>()] {
        if (!start->isValid()) start->start();
        return start->hasExpired(300);
    });
    Do([this] {
        EXPECT_EQ(Box(), nullptr);
        EXPECT_NE(Main(), nullptr);
        EXPECT_EQ(manager.calls.size(), 2u) << "no answer, and the inhibitor holds";
        manager.Send("Stop");  // a later end without a query warns, and owes no answer
    });
    DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(manager.Count("EndSessionResponse"), 0);
}

}  // namespace
}  // namespace nagwick::test
