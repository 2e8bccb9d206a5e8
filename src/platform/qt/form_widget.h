#pragma once
// A top-level window built from layout data: labels, buttons and check boxes
// at their twips positions, in their tab order, never clipping a text.
#include <QPointer>
#include <QWidget>

#include "platform/form_design.h"
#include "platform/window_system.h"

class QAbstractButton;

namespace nagwick::platform::qt {

class FormWidget : public QWidget {
public:
    FormWidget(const FormDesign& design, WindowEvents& events);

    // After this the window reports nothing more: its form has let it go.
    void Detach() { events_ = nullptr; }
    QAbstractButton* Button(std::string_view name) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* CreateControl(const ControlDesign& control);
    void Layout();
    void ApplyTabOrder();

    const FormDesign& design_;
    WindowEvents* events_;
};

}  // namespace nagwick::platform::qt
