// Both windows as Qt shows them (layout from twips with real fonts, icons,
// focus, keys, modality), the warning box, and the warning for a signal, the
// X11 session manager's Die and GNOME's session manager (a fake one on a
// private bus): the program on the real widgets, offscreen, over files in
// memory, and a user whose steps run from the event loop (inside modal loops
// too), each tried again until it reports done.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <csignal>
#include <deque>

#include "doubles/memory_files.h"
#include "platform/qt/qt_system.h"
#include "platform/qt/session_gnome.h"
#include "platform/qt/session_xsmp.h"
#include "ui/layouts.h"
#include "ui/program.h"

namespace nagwick::test {
namespace {

const std::vector<std::string> kWarning{"warning, Remove flash drive: Remove your flash drive!"};

bool HasProgramIcon(QWidget* window) { return window->windowIcon().pixmap(32).toImage().pixelColor(16, 4).red() > 200; }  // amber

class QtTest : public ::testing::Test {
public:
    void SetUp() override { files.files["/drive/nagwick.ini"] = "[main]\nexplorer=false\n"; }  // no file manager
    QtTest& Then(std::function<bool()> step) {
        steps.push_back(std::move(step));
        return *this;
    }
    QtTest& Do(std::function<void()> action) { return Then([action] { return action(), true; }); }
    // Writes down what the box shows, and presses its OK.
    QtTest& DismissBox() {
        return Then([this] {
            static const char* const icons[] = {"no icon", "information", "warning", "critical", "question"};
            QMessageBox* box = Box();
            if (!box) return false;
            EXPECT_TRUE(HasProgramIcon(box));
            if (QWidget* main = Main()) {  // the default's frame where the focus is, or nowhere
                for (auto* button : main->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
                    EXPECT_TRUE(!button->isDefault() || button == main->focusWidget()) << button->objectName().toStdString();
            }
            boxes.push_back(std::string(icons[box->icon()]) + ", " + box->windowTitle().toStdString() + ": " + box->text().toStdString());
            box->button(QMessageBox::Ok)->click();
            return true;
        });
    }
    int Run() {
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [this] {
            // Queued, not run here: a step may open a modal loop, in which this timer must tick on.
            if (!steps.empty() && !std::exchange(queued, true))
                QMetaObject::invokeMethod(qApp, [this] {
                    const auto step = steps.front();
                    steps.pop_front();
                    if (queued = false; !step()) steps.push_front(step);
                }, Qt::QueuedConnection);
        });
        timer.start(5);
        QTimer::singleShot(10000, [this] { std::fprintf(stderr, "stuck, %zu steps left\n", steps.size()), std::abort(); });
        return program.Run();
    }

    static QWidget* Window(const char* name) {  // a visible one; "" for a message box
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && (*name ? widget->objectName() == name : bool(qobject_cast<QMessageBox*>(widget))))
                return widget;
        return nullptr;
    }
    static QMessageBox* Box() { return static_cast<QMessageBox*>(Window("")); }
    static QWidget* Main() { return Window("frmMain"); }
    static QWidget* Dialog() { return Window("frmOptions"); }
    static void Click(QWidget* window, const char* button) { window->findChild<QAbstractButton*>(button)->click(); }

    MemoryFiles files;
    core::SettingsStore store{files, '/'};
    platform::qt::QtSystem system;
    ui::Program program{system, store, "/drive"};
    std::deque<std::function<bool()>> steps;
    bool queued = false;
    std::vector<std::string> boxes;
};

void Keys(QWidget* window, std::initializer_list<Qt::Key> keys) {
    for (Qt::Key key : keys) QTest::keyClick(window->focusWidget(), key);
}

// Each control where the twips say, no text cut; the frame, the icon, the focus order.
void ExpectAsDesigned(QWidget* window, const forms::FormDesign& design, const QStringList& focusOrder) {
    const int dpi = qRound(window->screen()->logicalDotsPerInch());
    EXPECT_TRUE(window->minimumSize() == window->maximumSize() && !(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(bool(window->windowFlags() & Qt::WindowMinimizeButtonHint), design.kind == forms::FormKind::Main);
    EXPECT_TRUE(HasProgramIcon(window));
    for (const auto& control : design.controls) {
        const auto* widget = window->findChild<QWidget*>(QString::fromUtf8(control.name));
        EXPECT_EQ(widget->property("text").toString().toStdString() + (widget->font().bold() ? " bold" : ""),
                  std::string(control.text) + (control.bold ? " bold" : ""));
        EXPECT_EQ(widget->pos(), QPoint(forms::TwipsToPixels(control.left, dpi), forms::TwipsToPixels(control.top, dpi)));
        EXPECT_TRUE(control.kind == forms::ControlKind::Button || widget->width() >= widget->sizeHint().width()) << control.name;
    }
    QStringList order;
    for (QWidget* w = window->focusWidget(); order.size() < focusOrder.size(); w = w->nextInFocusChain())
        if (w->focusPolicy() != Qt::NoFocus) order << w->objectName();
    EXPECT_EQ(order, focusOrder);
}

// The main window ignores Esc, and Enter presses its focused button; the
// options dialog is modal over it, with the keys of any dialog.
TEST_F(QtTest, BothWindowsAsDesignedWithTheirKeys) {
    Then([] { return Main() != nullptr; }).Do([] {
        ExpectAsDesigned(Main(), ui::MainFormDesign(), {"btnExit", "btnHide", "btnOptions", "btnExit"});
        Keys(Main(), {Qt::Key_Escape});
    });
    const auto openThen = [this](std::function<void(QWidget*)> inDialog) {
        Then([] { return Main() && !Dialog(); }).Do([] { EXPECT_FALSE(Box()) << "a key closed the main window"; Click(Main(), "btnOptions"); });
        Then([] { return Dialog() != nullptr; }).Do([inDialog] { inDialog(Dialog()); });
    };
    openThen([](QWidget* dialog) {
        ExpectAsDesigned(dialog, ui::OptionsFormDesign(), {"chkExplorer", "chkStartState", "btnCancel", "btkOK"});
        EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(dialog->windowHandle()->transientParent(), Main()->windowHandle()) << "kept out of the taskbar";
        EXPECT_LE((dialog->frameGeometry().center() - Main()->frameGeometry().center()).manhattanLength(), 2);
        Keys(dialog, {Qt::Key_Space, Qt::Key_Escape});  // Esc closes, saves nothing
    });
    openThen([](QWidget* dialog) { dialog->close(); });
    openThen([](QWidget* dialog) { Keys(dialog, {Qt::Key_Space, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}); });  // on Cancel
    Then([this] { return files.files["/drive/nagwick.ini"] == "[main]\nexplorer=false\n"; });
    openThen([](QWidget* dialog) { Keys(dialog, {Qt::Key_Space, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Return}); });  // on a box: OK
    Then([] { return Main() && !Dialog(); }).Do([] { Keys(Main(), {Qt::Key_Tab, Qt::Key_Return}); });  // from Options: Exit
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(files.files["/drive/nagwick.ini"], "[main]\nexplorer=true\nstart=minimized\n");
}

// The X11 session manager's Die reaches Qt as a Quit event: the dialog goes
// first, then the main window with its one warning, however often it or a
// signal comes.
TEST_F(QtTest, TheSessionManagersDieUnloadsEveryFormWithOneWarning) {
    platform::qt::XsmpSession xsmp(system);
    system.WatchSignals();
    const auto die = [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); };
    Then([] { return Main() != nullptr; }).Do([] { Click(Main(), "btnOptions"); });
    Then([] { return Dialog() != nullptr; }).Do(die);
    Then([] { return Box() && !Dialog(); }).Do([die] { die(), std::raise(SIGTERM), std::raise(SIGHUP), std::raise(SIGINT); }).DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes, kWarning);
}

// GNOME's session manager as its client sees it, on a bus of the test's own:
// it writes down each call it gets, and sends the client's signals.
class FakeGnomeSession : public QDBusVirtualObject {
public:
    static constexpr auto kClient = "/org/gnome/SessionManager/Client1";
    explicit FakeGnomeSession(const QString& address) : bus(QDBusConnection::connectToBus(address, "manager")) {
        bus.registerService("org.gnome.SessionManager");
        bus.registerVirtualObject("/org/gnome/SessionManager", this, QDBusConnection::SubPath);
    }
    void Send(const char* signal, const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createSignal(kClient, "org.gnome.SessionManager.ClientPrivate", signal);
        message.setArguments(arguments);
        bus.send(message);
    }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& connection) override {
        calls.push_back((call.member() + "(" + QVariant(call.arguments()).toStringList().join(", ") + ")").toStdString());
        QDBusMessage reply = call.createReply();
        if (call.member() == "RegisterClient") reply << QVariant::fromValue(QDBusObjectPath(kClient));
        if (call.member() == "Inhibit") reply << 7u;
        return connection.send(reply);
    }
    QString introspect(const QString&) const override { return {}; }

    QDBusConnection bus;
    std::vector<std::string> calls;
};

// A log-out cancelled right after its query changes nothing. The next one
// waits for the warning, holding the inhibitor; once the warning is
// dismissed, the inhibitor goes, then the answer: yes.
TEST_F(QtTest, GnomesSessionManagerHasItsAnswerWhenTheWarningIsDismissed) {
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    const QString address = daemon.waitForReadyRead(5000) ? daemon.readLine().trimmed() : "";
    FakeGnomeSession manager(address);
    if (!manager.bus.isConnected()) GTEST_SKIP() << "no dbus-daemon";
    platform::qt::GnomeSession session(system, QDBusConnection::connectToBus(address, "client"), "Remove your flash drive!");
    session.Register("");
    const std::vector<std::string> joined{"RegisterClient(nagwick, )", "Inhibit(nagwick, 0, Remove your flash drive!, 1)"};
    QDeadlineTimer settled;
    Then([&] { return manager.calls == joined; }).Do([&] {
        manager.Send("QueryEndSession", {1u}), manager.Send("CancelEndSession"), settled.setRemainingTime(300);
    });
    Then([&] { return Box() || settled.hasExpired(); }).Do([&] {
        EXPECT_FALSE(Box()) << "a cancelled log-out warned";
        manager.Send("QueryEndSession", {1u});
    });
    Then([] { return Box() != nullptr; }).Do([&] { EXPECT_EQ(manager.calls, joined); }).DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes, kWarning);
    EXPECT_EQ(manager.calls, (std::vector<std::string>{joined[0], joined[1], "Uninhibit(7)", "EndSessionResponse(true, )"}));
}

}  // namespace
}  // namespace nagwick::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");  // the real widgets, without a display
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
