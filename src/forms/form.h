#pragma once
// A form's default instance: it lives for the whole run, its window exists
// while it is loaded, and showing an unloaded form loads it again.
#include <memory>
#include <string_view>

#include "forms/form_design.h"
#include "forms/window_system.h"

namespace nagwick::forms {

class FormsRuntime;

class Form : public WindowEvents {
public:
    Form(FormsRuntime& runtime, const FormDesign& design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Shows the form; a form already shown comes to the front.
    void Show();
    // Returns once the form is hidden or unloaded; meanwhile every other
    // window of the program takes no input.
    void ShowModal();
    void Hide();
    // Runs Form_Unload, then destroys the window; nothing can refuse it. An
    // unload already under way (its warning still on screen, say) is not
    // started again.
    void Unload();

    // For a loaded form (from Form_Load on).
    void SetWindowState(WindowState state);
    int CheckValue(std::string_view checkBox) const;
    void SetCheckValue(std::string_view checkBox, int value);

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // Runs the control's Click handler.
    virtual void Click(std::string_view control) = 0;

private:
    friend class FormsRuntime;
    enum class State { Unloaded, Loading, Loaded, Unloading };

    bool IsLoaded() const { return state_ == State::Loaded || state_ == State::Loading; }
    void Load();
    void ShowWindow();
    // Shown normal, from hidden or minimised, in front, with the focus on
    // the first control in tab order.
    void BringBack();
    void SetBlocked(bool blocked);

    // WindowEvents
    void OnClick(std::string_view control) override;
    void OnCloseRequested() override;

    FormsRuntime& runtime_;
    const FormDesign& design_;
    State state_ = State::Unloaded;
    WindowState windowState_ = WindowState::Normal;
    bool visible_ = false;
    bool blocked_ = false;  // another form is open modally
    std::unique_ptr<NativeWindow> window_;
};

}  // namespace nagwick::forms
