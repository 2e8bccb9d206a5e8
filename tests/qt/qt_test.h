#pragma once
// The program on the real Qt windows, offscreen, over files in memory, and a
// user: each step runs from the event loop (inside modal loops too) and is
// tried again until it reports done.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>

#include "platform/qt/qt_system.h"
#include "platform/memory/memory_files.h"
#include "ui/program.h"

namespace nagwick::test {

class QtTest : public ::testing::Test {
public:
    // The real widgets, without a display: one application for every test.
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "nagwick_qt_tests", *argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!qApp) new QApplication(argc, argv);  // kept to the end: Qt may not go before its last widget
    }
    // The file manager is only recorded.
    struct System : platform::qt::QtSystem {
        bool OpenFolder(const std::string&, std::string&) override { return true; }
    };

    void SetUp() override { files.files["/drive/nagwick.ini"] = "[main]\nexplorer=true\n"; }
    QtTest& Then(std::function<bool()> step) {
        steps.push_back(std::move(step));
        return *this;
    }
    QtTest& Do(std::function<void()> action) { return Then([action] { return action(), true; }); }
    QtTest& DismissBox() {
        return Then([this] {
            QMessageBox* box = Box();
            if (box) boxes.push_back(box->text().toStdString()), box->button(QMessageBox::Ok)->click();
            return box != nullptr;
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

    static QMessageBox* Box() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) return box;
        return nullptr;
    }
    static QWidget* Window(const char* name) {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == name && widget->isVisible()) return widget;
        return nullptr;
    }
    static QWidget* Main() { return Window("frmMain"); }
    static QWidget* Dialog() { return Window("frmOptions"); }
    static void Click(QWidget* window, const char* button) { window->findChild<QAbstractButton*>(button)->click(); }

    platform::memory::MemoryFiles files;
    core::SettingsStore store{files, '/'};
    System system;
    ui::Program program{system, store, "/drive"};
    std::deque<std::function<bool()>> steps;
    bool queued = false;
    std::vector<std::string> boxes;
};

}  // namespace nagwick::test
