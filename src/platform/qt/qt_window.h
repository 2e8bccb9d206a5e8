#pragma once
// A form's native window on Qt.
#include <QPointer>

#include "platform/qt/form_widget.h"
#include "forms/window_system.h"

namespace nagwick::platform::qt {

class QtWindow : public forms::NativeWindow {
public:
    QtWindow(const forms::FormDesign& design, QtWindow* owner, forms::WindowEvents& events);
    // The widget may be mid-event (its own close, a click): it is hidden now
    // and deleted once control is back in the event loop.
    ~QtWindow() override;

    void Show(forms::WindowState state) override;
    void Hide() override;
    // Nothing to do: a dialog is application-modal, and Qt itself keeps
    // input from the other windows meanwhile.
    void SetEnabled(bool) override {}
    void FocusFirst() override { widget_->FocusFirst(); }
    int CheckValue(std::string_view checkBox) const override;
    void SetCheckValue(std::string_view checkBox, int value) override;

private:
    QPointer<FormWidget> widget_;
};

}  // namespace nagwick::platform::qt
