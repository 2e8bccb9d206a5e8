#pragma once
// The program on the real Qt windows, offscreen, over files in memory, and a
// driver that plays the user: each step runs from the event loop (inside
// modal loops too) and is retried until it reports done.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>

#include "platform/qt/qt_system.h"
#include "support/memory_files.h"
#include "ui/program.h"

namespace nagwick::test {

class QtTest : public ::testing::Test {
public:
    using Step = std::function<bool()>;

    // The file manager is only recorded: a test opens no other program's windows.
    struct System : platform::qt::QtSystem {
        std::vector<std::string> opened;
        bool OpenFolder(const std::string& folder, std::string&) override {
            opened.push_back(folder);
            return true;
        }
    };

    void SetUp() override { files.files["/drive/nagwick.ini"] = "[main]\nexplorer=true\nstart=normal\n"; }
    std::string Ini() { return files.files["/drive/nagwick.ini"]; }

    QtTest& Then(Step step) {
        steps.push_back(std::move(step));
        return *this;
    }
    QtTest& Do(std::function<void()> action) {
        return Then([action] {
            action();
            return true;
        });
    }
    QtTest& DismissBox() {
        return Then([this] {
            QMessageBox* box = Box();
            if (box) boxes.push_back(box->text().toStdString());
            if (box) box->button(QMessageBox::Ok)->click();
            return box != nullptr;
        });
    }
    // Runs the program until it ends; its exit status.
    int Run() {
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (steps.empty() || queued) return;
            // Run as a queued call, not here: a step may open a modal loop,
            // in which this timer must go on ticking.
            queued = true;
            QMetaObject::invokeMethod(qApp, [this] {
                queued = false;
                Step step = steps.front();
                steps.pop_front();
                if (!step()) steps.push_front(step);
            }, Qt::QueuedConnection);
        });
        timer.start(5);
        QTimer::singleShot(10000, [this] {
            std::fprintf(stderr, "timed out with %zu steps left\n", steps.size());
            std::abort();
        });
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
    static QAbstractButton* Button(QWidget* window, const char* name) {
        return window->findChild<QAbstractButton*>(name);
    }

    MemoryFiles files;
    core::SettingsStore store{files, '/'};
    System system;
    ui::Program program{system, store, "/drive"};
    std::deque<Step> steps;
    bool queued = false;
    std::vector<std::string> boxes;
};

}  // namespace nagwick::test
