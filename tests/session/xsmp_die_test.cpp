// The X11 session manager's Die, as Qt delivers it (a Quit event to the
// application), on the real windows offscreen: every form is unloaded, the
// hidden main window included, with one warning, however often it comes.
#include <gtest/gtest.h>

#include <QPushButton>

#include "platform/qt/session_xsmp.h"
#include "qt/qt_program_test.h"

namespace nagwick::test {
namespace {

using platform::qt::XsmpSession;

class XsmpDieTest : public QtProgramTest {
protected:
    void SetUp() override {
        StartProgram();
        xsmp = std::make_unique<XsmpSession>(*system);
    }
    static void Die() { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); }

    std::unique_ptr<XsmpSession> xsmp;
};

TEST_F(XsmpDieTest, HiddenProgramWarnsOnceAndEnds) {
    QtDriver driver;
    driver.Then([] { return Main() != nullptr; })
        .Do([] { Click(Main(), "btnHide"); })
        .Then([] { return Main() == nullptr; })
        .Do(Die)
        .Then([] { return QtDriver::VisibleMessageBox() != nullptr; })
        .Do(Die)
        .DismissMessage();
    EXPECT_EQ(program->Run(), 0);
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].title, "Remove flash drive");
    EXPECT_FALSE(driver.timedOut);
}

TEST_F(XsmpDieTest, OptionsDialogIsUnloadedFirstThenTheMainWindowWarns) {
    QtDriver driver;
    bool dialogGoneBeforeBox = false;
    driver.Then([] { return Main() != nullptr; })
        .Do([] { Click(Main(), "btnOptions"); })
        .Then([] { return Dialog() != nullptr; })
        .Do(Die)
        .Then([] { return QtDriver::VisibleMessageBox() != nullptr; })
        .Do([&] { dialogGoneBeforeBox = Dialog() == nullptr; })
        .DismissMessage();
    EXPECT_EQ(program->Run(), 0);
    EXPECT_EQ(driver.messages.size(), 1u);
    EXPECT_TRUE(dialogGoneBeforeBox);
    EXPECT_FALSE(driver.timedOut);
}

}  // namespace
}  // namespace nagwick::test
