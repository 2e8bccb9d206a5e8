// The main window as Qt shows it: layout from twips, fonts, focus, clicks,
// and the warning on every end but Exit.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <csignal>

#include "qt/qt_program_test.h"
#include "ui/layouts.h"

namespace nagwick::test {
namespace {

using platform::ControlKind;

class QtMainWindowTest : public QtProgramTest {
protected:
    void SetUp() override { StartProgram(); }
};

TEST_F(QtMainWindowTest, LayoutFollowsTheTwipsTablesAndClipsNoText) {
    QtDriver driver;
    std::vector<std::string> problems;
    driver.Then([] { return Main() != nullptr; }).Do([&] {
        QWidget* window = Main();
        EXPECT_EQ(window->windowTitle(), "Nagwick");
        EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed size";
        EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
        const int dpi = qRound(window->screen()->logicalDotsPerInch());
        const auto px = [dpi](int twips) { return platform::TwipsToPixels(twips, dpi); };
        EXPECT_GE(window->width(), px(5775));
        EXPECT_GE(window->height(), px(3330));
        for (const auto& design : ui::MainFormDesign().controls) {
            const QString name = QString::fromUtf8(design.name.data(), design.name.size());
            auto* widget = window->findChild<QWidget*>(name);
            ASSERT_NE(widget, nullptr) << design.name;
            const QString text = design.kind == ControlKind::Label
                                     ? qobject_cast<QLabel*>(widget)->text()
                                     : qobject_cast<QPushButton*>(widget)->text();
            EXPECT_EQ(text.toStdString(), design.text);
            EXPECT_EQ(widget->x(), px(design.left)) << design.name;
            EXPECT_EQ(widget->y(), px(design.top)) << design.name;
            EXPECT_GE(widget->width(), px(design.width)) << design.name;
            EXPECT_EQ(widget->font().bold(), design.bold) << design.name;
            EXPECT_NEAR(widget->font().pointSizeF(), 8.25, 0.01) << design.name;
            // Nothing cut: the text fits its box, and the box fits the window.
            const QFontMetrics metrics(widget->font());
            if (design.kind == ControlKind::Label &&
                metrics.horizontalAdvance(text) > widget->width())
                problems.push_back(std::string(design.name) + " clipped");
            if (widget->geometry().right() >= window->width())
                problems.push_back(std::string(design.name) + " outside the window");
        }
        Click(Main(), "btnExit");
    });
    EXPECT_EQ(program->Run(), 0);
    EXPECT_TRUE(driver.finished());
    EXPECT_TRUE(problems.empty()) << problems.front();
}

TEST_F(QtMainWindowTest, FocusStartsOnExitAndTabGoesExitHideOptions) {
    QtDriver driver;
    std::vector<QString> order;
    driver.Then([] { return Main() != nullptr; }).Do([&] {
        QWidget* focus = Main()->focusWidget();
        for (int i = 0; i < 4 && focus; ++i, focus = focus->nextInFocusChain()) {
            while (focus->focusPolicy() == Qt::NoFocus) focus = focus->nextInFocusChain();
            order.push_back(focus->objectName());
        }
        Click(Main(), "btnExit");
    });
    EXPECT_EQ(program->Run(), 0);
    EXPECT_EQ(order, (std::vector<QString>{"btnExit", "btnHide", "btnOptions", "btnExit"}));
}

TEST_F(QtMainWindowTest, CloseBoxWarnsWhileTheWindowIsStillThereThenEnds) {
    QtDriver driver;
    bool windowDuringWarning = false;
    driver.Then([] { return Main() != nullptr; })
        .Do([] { Main()->close(); })
        .Then([&] {
            if (!QtDriver::VisibleMessageBox()) return false;
            windowDuringWarning = Main() != nullptr;
            return true;
        })
        .DismissMessage();
    EXPECT_EQ(program->Run(), 0);
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].title, "Remove flash drive");
    EXPECT_EQ(driver.messages[0].text, "Remove your flash drive!");
    EXPECT_EQ(driver.messages[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(windowDuringWarning);
}

TEST_F(QtMainWindowTest, HiddenProgramWarnsOnceOnSignalsEvenWhenTheyRepeat) {
    QtDriver driver;
    system->WatchSignals();
    driver.Then([] { return Main() != nullptr; })
        .Do([] { Click(Main(), "btnHide"); })
        .Do([] { EXPECT_EQ(Main(), nullptr) << "hidden"; })
        .Do([] { std::raise(SIGTERM); })
        .Then([] { return QtDriver::VisibleMessageBox() != nullptr; })
        .Do([] { std::raise(SIGHUP); })
        .Do([] { std::raise(SIGINT); })
        .DismissMessage();
    EXPECT_EQ(program->Run(), 0);
    EXPECT_EQ(driver.messages.size(), 1u);
    EXPECT_FALSE(driver.timedOut);
}

}  // namespace
}  // namespace nagwick::test
