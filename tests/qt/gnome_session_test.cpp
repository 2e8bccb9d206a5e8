// The program on GNOME's session protocol against a stand-in session manager
// on the test's bus: the orders of events the real gnome-session does not
// send in the end-to-end runs, and the order of the program's answers.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QThread>
#include <algorithm>

#include "platform/qt/session_gnome.h"
#include "qt/qt_test.h"

namespace nagwick::test {
namespace {

constexpr auto kClient = "/org/gnome/SessionManager/Client7";

// Registers one client, hands out inhibitor 4242, and writes down every call.
struct FakeGnomeSession : QDBusVirtualObject {
    FakeGnomeSession() {
        bus.registerService("org.gnome.SessionManager");
        bus.registerVirtualObject("/org/gnome/SessionManager", this, QDBusConnection::SubPath);
    }
    ~FakeGnomeSession() override { QDBusConnection::disconnectFromBus(bus.name()); }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        calls.push_back(message.member().toStdString());
        for (const QVariant& argument : message.arguments()) calls.back() += " " + argument.toString().toStdString();
        QDBusMessage reply = message.createReply();
        if (message.member() == "RegisterClient") reply << QVariant::fromValue(QDBusObjectPath(kClient));
        if (message.member() == "Inhibit") reply << 4242u;
        return connection.send(reply);
    }
    void Send(const QString& name, std::initializer_list<QVariant> arguments = {}) {
        QDBusMessage signal = QDBusMessage::createSignal(kClient, "org.gnome.SessionManager.ClientPrivate", name);
        signal.setArguments(QList<QVariant>(arguments));
        bus.send(signal);
    }
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QString::number(qintptr(this)));
    std::vector<std::string> calls;
};

class GnomeSessionTest : public QtTest {
public:
    void SetUp() override {
        QtTest::SetUp();
        session.Register("id7");
        Then([this] { return manager.calls.size() == 2 && Main(); });
    }
    FakeGnomeSession manager;
    platform::qt::GnomeSession session{system, QDBusConnection::sessionBus(), "Remove your flash drive!"};
};

TEST_F(GnomeSessionTest, TheAnswerComesOnceTheWarningIsDismissedTheInhibitorGoneFirst) {
    Do([this] { manager.Send("QueryEndSession", {0u}); });
    Then([] { return Box() != nullptr; }).Do([this] {
        manager.Send("EndSession", {0u});  // the session presses on: no second box
        manager.Send("Stop");
        QThread::msleep(200);
    });
    Do([this] { EXPECT_EQ(manager.calls.size(), 2u) << "answered while the box was open"; }).DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(manager.calls, (std::vector<std::string>{"RegisterClient nagwick id7", "Inhibit nagwick 0 Remove your flash drive! 1",
                                                       "Uninhibit 4242", "EndSessionResponse true "}));
}

TEST_F(GnomeSessionTest, ALogOutCancelledBeforeTheWarningLeavesTheProgramArmed) {
    Do([this] {
        manager.Send("QueryEndSession", {0u});
        manager.Send("CancelEndSession");
        QThread::msleep(200);  // both arrive before the program looks at either
    });
    Then([] { return true; }).Do([this] {
        EXPECT_TRUE(Main() && !Box());
        EXPECT_EQ(manager.calls.size(), 2u) << "no answer, and the inhibitor holds";
        manager.Send("Stop");  // a later end without a query warns, and owes no answer
    }).DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(std::ranges::none_of(manager.calls, [](const auto& call) { return call.starts_with("EndSession"); }));
}

}  // namespace
}  // namespace nagwick::test
