// The program on GNOME's session protocol, against a fake session manager on
// a private bus: the real windows (offscreen), the real runtime and backend.
// What the real gnome-session does in the common cases (shown, hidden,
// options) is session_e2e.sh's; here are the orders it does not send.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QThread>

#include "fake_gnome_session.h"
#include "platform/qt/session_gnome.h"
#include "private_bus.h"
#include "qt/qt_program_test.h"

namespace nagwick::test {
namespace {

using platform::qt::GnomeSession;

class GnomeSessionTest : public QtProgramTest {
protected:
    void SetUp() override {
        if (bus.address().isEmpty()) GTEST_SKIP() << "dbus-daemon could not be started";
        static int run = 0;
        const QString suffix = QString::number(++run);
        managerBus = QDBusConnection::connectToBus(bus.address(), "manager" + suffix);
        clientBus = QDBusConnection::connectToBus(bus.address(), "client" + suffix);
        ASSERT_TRUE(managerBus.isConnected() && clientBus.isConnected());
        manager = std::make_unique<FakeGnomeSession>(managerBus);
        ASSERT_TRUE(manager->serving);
        StartProgram();
        session = std::make_unique<GnomeSession>(*system, clientBus, "Remove your flash drive!");
    }
    void TearDown() override {
        session.reset();
        program.reset();
        system.reset();
        manager.reset();
        if (managerBus.isConnected()) QDBusConnection::disconnectFromBus(managerBus.name());
        if (clientBus.isConnected()) QDBusConnection::disconnectFromBus(clientBus.name());
    }

    // Registered, inhibiting, and the main window on screen.
    void Ready(QtDriver& driver) {
        session->Register("1050740e5b-autostart");
        driver.Then([this] { return session->Inhibiting() && Main() != nullptr; });
    }
    // A step that lets the event loop run for `ms` milliseconds.
    static QtDriver::Step Pause(int ms) {
        auto timer = std::make_shared<QElapsedTimer>();
        return [timer, ms] {
            if (!timer->isValid()) timer->start();
            return timer->hasExpired(ms);
        };
    }
    static bool BoxShown() { return QtDriver::VisibleMessageBox() != nullptr; }

    PrivateBus bus;
    QDBusConnection managerBus{QString()};
    QDBusConnection clientBus{QString()};
    std::unique_ptr<FakeGnomeSession> manager;
    std::unique_ptr<GnomeSession> session;
};

TEST_F(GnomeSessionTest, QueryWarnsOnceAndIsAnsweredOnlyAfterTheBoxBeforeTheExit) {
    QtDriver driver;
    std::vector<std::string> callsWithBoxOpen;
    Ready(driver);
    driver.Do([this] { manager->Send("QueryEndSession"); })
        .Then(BoxShown)
        // The session presses on meanwhile: neither gives a second box.
        .Do([this] {
            manager->Send("EndSession");
            manager->Send("Stop");
        })
        .Then(Pause(300))
        .Do([&] { callsWithBoxOpen = manager->calls; })
        .DismissMessage();
    EXPECT_EQ(program->Run(), 0);
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].text, "Remove your flash drive!");
    EXPECT_EQ(callsWithBoxOpen.size(), 2u) << "answered while the box was open";
    // Registered with the start-up id it was given, the log-out held with the
    // warning as the reason; the answer before the program's end, the
    // inhibitor gone first.
    ASSERT_EQ(manager->calls.size(), 4u);
    EXPECT_EQ(manager->calls[0], "RegisterClient nagwick '1050740e5b-autostart'");
    EXPECT_EQ(manager->calls[1], "Inhibit nagwick 0 'Remove your flash drive!' 1");
    EXPECT_EQ(manager->calls[2], "Uninhibit 4242");
    EXPECT_EQ(manager->calls[3], "EndSessionResponse true ''");
    EXPECT_FALSE(driver.timedOut);
}

TEST_F(GnomeSessionTest, LogOutCancelledBeforeTheWarningLeavesTheProgramArmed) {
    QtDriver driver;
    bool boxAfterCancel = true;
    bool mainAfterCancel = false;
    int answersAfterCancel = -1;
    int uninhibitsAfterCancel = -1;
    Ready(driver);
    driver
        .Do([this] {
            manager->Send("QueryEndSession");
            manager->Send("CancelEndSession");
            // Both have arrived before the program looks at either.
            QThread::msleep(300);
        })
        .Then(Pause(300))
        .Do([&] {
            boxAfterCancel = BoxShown();
            mainAfterCancel = Main() != nullptr;
            answersAfterCancel = manager->Count("EndSessionResponse");
            uninhibitsAfterCancel = manager->Count("Uninhibit");
        })
        // The next log-out still warns.
        .Do([this] { manager->Send("QueryEndSession"); })
        .DismissMessage();
    EXPECT_EQ(program->Run(), 0);
    EXPECT_FALSE(boxAfterCancel);
    EXPECT_TRUE(mainAfterCancel);
    EXPECT_EQ(answersAfterCancel, 0);
    EXPECT_EQ(uninhibitsAfterCancel, 0) << "the inhibitor must hold the next log-out";
    EXPECT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(manager->Count("EndSessionResponse true"), 1);
    EXPECT_FALSE(driver.timedOut);
}

TEST_F(GnomeSessionTest, StopWithoutQueryStillWarnsAndOwesNoAnswer) {
    QtDriver driver;
    Ready(driver);
    driver.Do([this] { manager->Send("Stop"); }).DismissMessage();
    EXPECT_EQ(program->Run(), 0);
    EXPECT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(manager->Count("EndSessionResponse"), 0);
    EXPECT_FALSE(driver.timedOut);
}

}  // namespace
}  // namespace nagwick::test
