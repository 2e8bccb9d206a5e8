#pragma once
// Plays the user against the real Qt windows: steps run one after another
// from the event loop (modal loops included), each retried until it reports
// done, with a deadline so a stuck test fails instead of hanging.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>

#include "platform/qt/qt_system.h"

namespace nagwick::test {

class QtDriver {
public:
    using Step = std::function<bool()>;

    explicit QtDriver(int deadlineMs = 10000) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(5);
        deadline_.setSingleShot(true);
        QObject::connect(&deadline_, &QTimer::timeout, [this] {
            timedOut = true;
            for (QWidget* widget : QApplication::topLevelWidgets()) widget->hide();
            QApplication::exit(99);
        });
        deadline_.start(deadlineMs);
    }

    QtDriver& Then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    QtDriver& Do(std::function<void()> action) {
        return Then([action] {
            action();
            return true;
        });
    }
    // Waits for a message box, records it, and presses its OK button.
    QtDriver& DismissMessage() {
        return Then([this] {
            auto* box = VisibleMessageBox();
            if (!box) return false;
            messages.push_back({box->windowTitle().toStdString(), box->text().toStdString(),
                                box->icon()});
            box->button(QMessageBox::Ok)->click();
            return true;
        });
    }

    static QMessageBox* VisibleMessageBox() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) return box;
        return nullptr;
    }
    static QWidget* TopLevel(const char* name) {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == name && !widget->isHidden()) return widget;
        return nullptr;
    }

    struct Message {
        std::string title;
        std::string text;
        QMessageBox::Icon icon;
    };
    std::vector<Message> messages;
    bool timedOut = false;
    bool finished() const { return steps_.empty(); }

private:
    void Tick() {
        if (steps_.empty() || running_) return;
        // Taken off first and run as a queued call, not inside the timer's
        // own callback: a step may open a modal loop (a box, a dialog) in
        // which this timer must go on ticking to run the next steps.
        Step step = steps_.front();
        steps_.pop_front();
        running_ = true;
        QMetaObject::invokeMethod(
            qApp,
            [this, step] {
                running_ = false;
                if (!step()) steps_.push_front(step);
            },
            Qt::QueuedConnection);
    }

    QTimer timer_;
    QTimer deadline_;
    std::deque<Step> steps_;
    bool running_ = false;  // a step is queued but has not started yet
};

// The Qt window system with the program's folder and the file manager
// replaced, so a test neither touches the build folder nor opens windows of
// another program.
class TestQtSystem : public platform::qt::QtSystem {
public:
    explicit TestQtSystem(std::string appPath) : appPath_(std::move(appPath)) {}
    std::string AppPath() override { return appPath_; }
    bool OpenFolder(const std::string& folder, std::string&) override {
        openedFolders.push_back(folder);
        return true;
    }
    std::vector<std::string> openedFolders;

private:
    std::string appPath_;
};

}  // namespace nagwick::test
