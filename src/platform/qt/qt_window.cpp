#include "platform/qt/qt_window.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <stdexcept>
#include <string>

namespace nagwick::platform::qt {

namespace {

QCheckBox* FindCheckBox(const FormWidget* widget, std::string_view name) {
    auto* box = widget ? widget->findChild<QCheckBox*>(
                             QString::fromUtf8(name))
                       : nullptr;
    if (!box) throw std::invalid_argument("no check box " + std::string(name));
    return box;
}

}  // namespace

QtWindow::QtWindow(const FormDesign& design, QtWindow* owner, WindowEvents& events)
    : widget_(new FormWidget(design, events)), owner_(owner ? owner->widget() : nullptr) {
    if (design.kind != FormKind::Dialog) return;
    widget_->setWindowModality(Qt::ApplicationModal);
    // Transient for its owner, which keeps it out of the taskbar; not a
    // child widget, or disabling the owner would disable the dialog too.
    if (owner_) {
        widget_->winId();
        widget_->windowHandle()->setTransientParent(owner_->windowHandle());
    }
}

QtWindow::~QtWindow() {
    if (!widget_) return;
    widget_->Detach();
    widget_->hide();
    widget_->deleteLater();
}

void QtWindow::PlaceOnFirstShow() {
    if (placed_) return;
    placed_ = true;
    // A dialog goes over its owner while the owner is on screen; anything
    // else in the middle of the screen.
    QRect area;
    if (owner_ && owner_->isVisible() && !owner_->isMinimized()) area = owner_->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen()) area = screen->availableGeometry();
    if (area.isValid()) {
        QRect frame = widget_->frameGeometry();
        frame.moveCenter(area.center());
        widget_->move(frame.topLeft());
    }
}

void QtWindow::Show(WindowState state) {
    PlaceOnFirstShow();
    if (state == WindowState::Minimized) {
        widget_->showMinimized();
        return;
    }
    widget_->showNormal();
    widget_->raise();
    widget_->activateWindow();
}

void QtWindow::Hide() { widget_->hide(); }

void QtWindow::SetEnabled(bool enabled) { widget_->setEnabled(enabled); }

int QtWindow::CheckValue(std::string_view checkBox) const {
    return FindCheckBox(widget_, checkBox)->isChecked() ? 1 : 0;
}

void QtWindow::SetCheckValue(std::string_view checkBox, int value) {
    FindCheckBox(widget_, checkBox)->setChecked(value == 1);
}

}  // namespace nagwick::platform::qt
