// Both windows as Qt shows them: layout from twips with real fonts, icons,
// focus, keys, modality; and the warning for a signal or the X11 session
// manager's Die.
#include <QCheckBox>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <csignal>

#include "platform/qt/session_xsmp.h"
#include "qt/qt_test.h"
#include "ui/layouts.h"

namespace nagwick::test {
namespace {

void Key(QWidget* window, Qt::Key key) { QTest::keyClick(window->focusWidget(), key); }

QStringList FocusChain(QWidget* window, int count) {
    QStringList names;
    for (QWidget* w = window->focusWidget(); names.size() < count; w = w->nextInFocusChain())
        if (w->focusPolicy() != Qt::NoFocus) names << w->objectName();
    return names;
}

// The window as its layout data has it, and no text cut off.
void ExpectAsDesigned(QWidget* window, const forms::FormDesign& design) {
    const int dpi = qRound(window->screen()->logicalDotsPerInch());
    const auto px = [dpi](int twips) { return forms::TwipsToPixels(twips, dpi); };
    EXPECT_EQ(window->windowTitle().toStdString(), design.caption);
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed size";
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(bool(window->windowFlags() & Qt::WindowMinimizeButtonHint), design.kind == forms::FormKind::Main);
    QList<QSize> icons = window->windowIcon().availableSizes();
    std::sort(icons.begin(), icons.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
    EXPECT_EQ(icons, (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
    EXPECT_GT(window->windowIcon().pixmap(32).toImage().pixelColor(16, 4).red(), 200) << "the amber square";
    for (const auto& control : design.controls) {
        auto* widget = window->findChild<QWidget*>(QString::fromUtf8(control.name.data(), control.name.size()));
        ASSERT_NE(widget, nullptr) << control.name;
        const QString text = widget->property("text").toString();
        EXPECT_EQ(text.toStdString(), control.text);
        EXPECT_EQ(widget->pos(), QPoint(px(control.left), px(control.top))) << control.name;
        if (control.kind != forms::ControlKind::Button) {
            EXPECT_GE(widget->width(), widget->sizeHint().width()) << control.name;
        }
        EXPECT_LE(widget->geometry().right(), window->width()) << control.name;
        EXPECT_EQ(widget->font().bold(), control.bold) << control.name;
        EXPECT_NEAR(widget->font().pointSizeF(), 8.25, 0.01) << control.name;
    }
}

TEST_F(QtTest, TheMainWindowIgnoresEscAndEnterPressesTheFocusedButton) {
    Then([] { return Main() != nullptr; }).Do([] {
        ExpectAsDesigned(Main(), ui::MainFormDesign());
        EXPECT_EQ(FocusChain(Main(), 4), (QStringList{"btnExit", "btnHide", "btnOptions", "btnExit"}));
        Key(Main(), Qt::Key_Escape);
    });
    Then([] { return Main() != nullptr && Box() == nullptr; }).Do([] { Key(Main(), Qt::Key_Return); });
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(system.opened, std::vector<std::string>{"/drive"});
}

TEST_F(QtTest, TheOptionsDialogIsModalOverTheMainWindowWithTheKeysOfAnyDialog) {
    const auto open = [this] {
        Then([] { return Main() != nullptr && Dialog() == nullptr; }).Do([] { Button(Main(), "btnOptions")->click(); });
        Then([] { return Dialog() != nullptr; });
    };
    open();
    Do([] {
        QWidget* dialog = Dialog();
        ExpectAsDesigned(dialog, ui::OptionsFormDesign());
        EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(dialog->windowHandle()->transientParent(), Main()->windowHandle()) << "kept out of the taskbar";
        EXPECT_LE((dialog->frameGeometry().center() - Main()->frameGeometry().center()).manhattanLength(), 2);
        EXPECT_EQ(FocusChain(dialog, 4), (QStringList{"chkExplorer", "chkStartState", "btnCancel", "btkOK"}));
        EXPECT_TRUE(dialog->findChild<QCheckBox*>("chkExplorer")->isChecked());
        Key(dialog, Qt::Key_Space);
        Key(dialog, Qt::Key_Escape);  // closes, saves nothing
    });
    open();
    Do([] { Dialog()->close(); });
    open();
    Do([] {
        Key(Dialog(), Qt::Key_Space);
        Key(Dialog(), Qt::Key_Tab);
        Key(Dialog(), Qt::Key_Tab);
        Key(Dialog(), Qt::Key_Return);  // on Cancel: Cancel
    });
    Then([this] { return Ini() == "[main]\nexplorer=true\nstart=normal\n"; });
    open();
    Do([] {
        Key(Dialog(), Qt::Key_Space);   // explorer off
        Key(Dialog(), Qt::Key_Tab);
        Key(Dialog(), Qt::Key_Space);   // start minimised
        Key(Dialog(), Qt::Key_Return);  // on a check box: OK
    });
    Then([] { return Dialog() == nullptr; }).Do([] { Button(Main(), "btnExit")->click(); });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Ini(), "[main]\nexplorer=false\nstart=minimized\n");
}

TEST_F(QtTest, SignalsToAHiddenProgramWarnOnceThenEndIt) {
    system.WatchSignals();
    Then([] { return Main() != nullptr; }).Do([] { Button(Main(), "btnHide")->click(); });
    Then([] { return Main() == nullptr; }).Do([] { std::raise(SIGTERM); });
    Then([] { return Box() != nullptr; }).Do([] {
        std::raise(SIGHUP);
        std::raise(SIGINT);
    });
    DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Remove your flash drive!"});
}

// The X11 session manager's Die reaches Qt as a Quit event: the dialog goes
// first, then the main window with its one warning, however often it comes.
TEST_F(QtTest, TheSessionManagersDieUnloadsEveryFormWithOneWarning) {
    platform::qt::XsmpSession xsmp(system);
    const auto die = [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); };
    Then([] { return Main() != nullptr; }).Do([] { Button(Main(), "btnOptions")->click(); });
    Then([] { return Dialog() != nullptr; }).Do(die);
    Then([] { return Box() != nullptr; }).Do([&] {
        EXPECT_EQ(Dialog(), nullptr);
        die();
    });
    DismissBox();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(boxes, std::vector<std::string>{"Remove your flash drive!"});
}

}  // namespace
}  // namespace nagwick::test
