// Both windows as Qt shows them (layout from twips with real fonts, icons,
// focus, keys, modality), and the warning for a signal or the X11 session
// manager's Die.
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <csignal>

#include "platform/qt/session_xsmp.h"
#include "qt/qt_test.h"
#include "ui/layouts.h"

namespace nagwick::test {
namespace {

void Keys(QWidget* window, std::initializer_list<Qt::Key> keys) {
    for (Qt::Key key : keys) QTest::keyClick(window->focusWidget(), key);
}

// Each control where the twips say, no text cut; the frame, the icon, the focus order.
void ExpectAsDesigned(QWidget* window, const forms::FormDesign& design, const QStringList& focusOrder) {
    const int dpi = qRound(window->screen()->logicalDotsPerInch());
    EXPECT_TRUE(window->minimumSize() == window->maximumSize() && !(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(bool(window->windowFlags() & Qt::WindowMinimizeButtonHint), design.kind == forms::FormKind::Main);
    EXPECT_EQ(window->windowIcon().availableSizes().size(), 3) << "16, 32 and 48 pixels";
    EXPECT_GT(window->windowIcon().pixmap(32).toImage().pixelColor(16, 4).red(), 200) << "the amber square";
    for (const auto& control : design.controls) {
        const auto* widget = window->findChild<QWidget*>(QString::fromUtf8(control.name.data(), control.name.size()));
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

TEST_F(QtTest, TheMainWindowIgnoresEscAndEnterPressesTheFocusedButton) {
    Then([] { return Main() != nullptr; }).Do([] {
        ExpectAsDesigned(Main(), ui::MainFormDesign(), {"btnExit", "btnHide", "btnOptions", "btnExit"});
        Keys(Main(), {Qt::Key_Escape});
    });
    Then([] { return Main() && !Box(); }).Do([] { Keys(Main(), {Qt::Key_Return}); });  // Exit
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(QtTest, TheOptionsDialogIsModalOverTheMainWindowWithTheKeysOfAnyDialog) {
    const auto openThen = [this](std::function<void(QWidget*)> inDialog) {
        Then([] { return Main() && !Dialog(); }).Do([] { Click(Main(), "btnOptions"); });
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
    Then([this] { return files.files["/drive/nagwick.ini"] == "[main]\nexplorer=true\n"; });
    openThen([](QWidget* dialog) { Keys(dialog, {Qt::Key_Space, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Return}); });  // on a box: OK
    Then([] { return Main() && !Dialog(); }).Do([] { Click(Main(), "btnExit"); });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(files.files["/drive/nagwick.ini"], "[main]\nexplorer=false\nstart=minimized\n");
}

TEST_F(QtTest, SignalsToAHiddenProgramWarnOnce) {
    system.WatchSignals();
    Then([] { return Main() != nullptr; }).Do([] { Click(Main(), "btnHide"); });
    Then([] { return Main() == nullptr; }).Do([] { std::raise(SIGTERM); });
    Then([] { return Box() != nullptr; }).Do([] { std::raise(SIGHUP), std::raise(SIGINT); }).DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Remove your flash drive!"});
}

// The X11 session manager's Die reaches Qt as a Quit event: the dialog goes
// first, then the main window with its one warning, however often it comes.
TEST_F(QtTest, TheSessionManagersDieUnloadsEveryFormWithOneWarning) {
    platform::qt::XsmpSession xsmp(system);
    const auto die = [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); };
    Then([] { return Main() != nullptr; }).Do([] { Click(Main(), "btnOptions"); });
    Then([] { return Dialog() != nullptr; }).Do(die);
    Then([] { return Box() && !Dialog(); }).Do(die).DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Remove your flash drive!"});
}

}  // namespace
}  // namespace nagwick::test
