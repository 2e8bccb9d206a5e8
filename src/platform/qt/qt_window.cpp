#include "platform/qt/qt_window.h"

#include <QCheckBox>
#include <stdexcept>
#include <string>

namespace nagwick::platform::qt {

namespace {

QCheckBox* FindCheckBox(const FormWidget* widget, std::string_view name) {
    auto* box = widget ? widget->findChild<QCheckBox*>(QString::fromUtf8(name))
                       : nullptr;
    if (!box) throw std::invalid_argument("no check box " + std::string(name));
    return box;
}

}  // namespace

QtWindow::QtWindow(const forms::FormDesign& design, QtWindow* owner, forms::WindowEvents& events)
    : widget_(new FormWidget(design, owner ? owner->widget_.data() : nullptr, events)) {
    if (design.kind == forms::FormKind::Dialog) widget_->setWindowModality(Qt::ApplicationModal);
}

QtWindow::~QtWindow() {
    if (!widget_) return;
    widget_->Detach();
    widget_->hide();
    widget_->deleteLater();
}

void QtWindow::Show(forms::WindowState state) {
    if (state == forms::WindowState::Minimized) {
        widget_->showMinimized();
        return;
    }
    widget_->showNormal();
    widget_->raise();
    widget_->activateWindow();
}

void QtWindow::Hide() { widget_->hide(); }

int QtWindow::CheckValue(std::string_view checkBox) const {
    return FindCheckBox(widget_, checkBox)->isChecked() ? 1 : 0;
}

void QtWindow::SetCheckValue(std::string_view checkBox, int value) {
    FindCheckBox(widget_, checkBox)->setChecked(value == 1);
}

}  // namespace nagwick::platform::qt
