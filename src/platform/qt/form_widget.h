#pragma once
// A form's window on Qt: a QDialog, so that Qt gives both windows what a
// dialog has (Enter presses the focused or default button, Esc closes a
// dialog, a dialog opens centred over its owner, the main window in the
// middle of the screen), with labels, buttons and check boxes built from
// the layout data, in their tab order, never clipping a text.
#include <QDialog>

#include "forms/window_system.h"

namespace nagwick::platform::qt {

class FormWidget : public QDialog {
public:
    // A dialog is transient for `owner`, which keeps it out of the taskbar.
    FormWidget(const forms::FormDesign& design, QWidget* owner, forms::WindowEvents& events);

    void FocusFirst();
    // After this the window reports nothing more: its form has let it go.
    void Detach() { events_ = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc: a dialog closes as by its close box; the main window ignores it.
    void reject() override;

private:
    void CreateControl(const forms::ControlDesign& control);
    QWidget* Control(std::string_view name) const;
    void LayOut();
    void ApplyTabOrder();

    const forms::FormDesign& design_;
    forms::WindowEvents* events_;
};

}  // namespace nagwick::platform::qt
