// The options dialog as Qt shows it: modal over the main window, focus and
// keys as on any dialog, and what it writes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <QWindow>

#include "qt/qt_program_test.h"

namespace nagwick::test {
namespace {

class QtOptionsTest : public QtProgramTest {
protected:
    void SetUp() override { StartProgram(kBefore); }
    std::filesystem::path Ini() const { return folder / "nagwick.ini"; }
    static void Key(QWidget* window, Qt::Key key) {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window;
        QTest::keyClick(target, key);
    }
    // Opens the dialog from the main window; the steps after this run inside its modal loop.
    static void OpenDialog(QtDriver& driver) {
        driver.Then([] { return Main() != nullptr; })
            .Do([] { Click(Main(), "btnOptions"); });
        driver.Then([] { return Dialog() != nullptr; });
    }
    static void Exit(QtDriver& driver) {
        driver.Then([] { return Dialog() == nullptr; }).Do([] {
            Click(Main(), "btnExit");
        });
    }

    static constexpr const char* kBefore = "; kept\r\n[main]\r\nexplorer=true\r\nstart=normal\r\n";
};

TEST_F(QtOptionsTest, OpensModalCentredWithFocusOnTheFirstBox) {
    QtDriver driver;
    OpenDialog(driver);
    driver.Do([] {
        QWidget* dialog = Dialog();
        EXPECT_EQ(dialog->windowTitle(), "Nagwick options");
        EXPECT_TRUE(dialog->isModal());
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
        EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(dialog->windowHandle()->transientParent(), Main()->windowHandle())
            << "owned: kept out of the taskbar";
        EXPECT_EQ(dialog->focusWidget()->objectName(), "chkExplorer");
        EXPECT_LE((dialog->frameGeometry().center() - Main()->frameGeometry().center())
                      .manhattanLength(), 2);
        EXPECT_FALSE(Main()->isEnabled()) << "the main window takes no input";
        // A click on the blocked main window's Exit does nothing.
        QTest::mouseClick(Main()->findChild<QPushButton*>("btnExit"), Qt::LeftButton);
        EXPECT_NE(Main(), nullptr);
        // Tab order: chkExplorer, chkStartState, Cancel, OK.
        QStringList order;
        for (QWidget* w = dialog->focusWidget(); order.size() < 4; w = w->nextInFocusChain())
            if (w->focusPolicy() != Qt::NoFocus) order << w->objectName();
        EXPECT_EQ(order, (QStringList{"chkExplorer", "chkStartState", "btnCancel", "btkOK"}));
        Key(dialog, Qt::Key_Escape);
    });
    Exit(driver);
    EXPECT_EQ(program->Run(), 0);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(ReadFile(Ini()), kBefore);
}

TEST_F(QtOptionsTest, SpaceTogglesAndEnterPressesOk) {
    QtDriver driver;
    OpenDialog(driver);
    driver.Do([] {
        QWidget* dialog = Dialog();
        EXPECT_TRUE(dialog->findChild<QCheckBox*>("chkExplorer")->isChecked());
        Key(dialog, Qt::Key_Space);  // chkExplorer off
        Key(dialog, Qt::Key_Tab);
        Key(dialog, Qt::Key_Space);  // chkStartState on
        Key(dialog, Qt::Key_Return);
    });
    // Written for the next start; this run goes on as it started.
    driver.Then([] { return Dialog() == nullptr; }).Do([] {
        EXPECT_FALSE(Main()->isMinimized());
        EXPECT_TRUE(Main()->isVisible());
    });
    Exit(driver);
    EXPECT_EQ(program->Run(), 0);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(ReadFile(Ini()), "; kept\r\n[main]\r\nexplorer=false\r\nstart=minimized\r\n");
    EXPECT_EQ(program->module1.strExplorer, "false");
    EXPECT_EQ(program->module1.strStartState, "minimized");
}

TEST_F(QtOptionsTest, EscCloseBoxAndCancelWriteNothingAndReopeningShowsTheOldChoices) {
    QtDriver driver;
    for (auto leave : {+[] { Key(Dialog(), Qt::Key_Escape); }, +[] { Dialog()->close(); },
                       +[] { Click(Dialog(), "btnCancel"); }}) {
        OpenDialog(driver);
        driver.Do([leave] {
            EXPECT_TRUE(Dialog()->findChild<QCheckBox*>("chkExplorer")->isChecked())
                << "shows the stored choice";
            Key(Dialog(), Qt::Key_Space);
            leave();
        });
    }
    Exit(driver);
    EXPECT_EQ(program->Run(), 0);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(ReadFile(Ini()), kBefore);
    EXPECT_EQ(program->module1.strExplorer, "true");
}

TEST_F(QtOptionsTest, BothWindowsShowTheProgramIconAtEachSize) {
    QtDriver driver;
    std::vector<std::pair<QString, QList<QSize>>> icons;
    OpenDialog(driver);
    driver.Do([&] {
        for (QWidget* window : {Main(), Dialog()}) {
            QList<QSize> sizes = window->windowIcon().availableSizes();
            std::sort(sizes.begin(), sizes.end(),
                      [](QSize a, QSize b) { return a.width() < b.width(); });
            icons.emplace_back(window->objectName(), sizes);
            // Real pixels: the amber of the icon, not an empty image.
            const QImage image = window->windowIcon().pixmap(QSize(32, 32)).toImage();
            const QColor centre = image.pixelColor(16, 4);
            EXPECT_GT(centre.red(), 200) << window->objectName().toStdString();
        }
        Key(Dialog(), Qt::Key_Escape);
    });
    Exit(driver);
    EXPECT_EQ(program->Run(), 0);
    const QList<QSize> expected{{16, 16}, {32, 32}, {48, 48}};
    ASSERT_EQ(icons.size(), 2u);
    for (const auto& [name, sizes] : icons) EXPECT_EQ(sizes, expected) << name.toStdString();
}

TEST_F(QtOptionsTest, SignalWhileTheDialogIsOpenWarnsOnceAndWritesNothing) {
    QtDriver driver;
    system->WatchSignals();
    OpenDialog(driver);
    driver.Do([] { Key(Dialog(), Qt::Key_Space); })
        .Do([] { std::raise(SIGTERM); })
        .DismissMessage();
    EXPECT_EQ(program->Run(), 0);
    EXPECT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages.at(0).text, "Remove your flash drive!");
    EXPECT_EQ(ReadFile(Ini()), kBefore);
    EXPECT_FALSE(driver.timedOut);
}

}  // namespace
}  // namespace nagwick::test
