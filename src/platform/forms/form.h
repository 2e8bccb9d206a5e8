#pragma once
// A form's default instance: it lives for the whole run, its window exists
// while it is loaded, and any use of an unloaded form loads it again.
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/form_design.h"
#include "platform/window_system.h"

namespace nagwick::platform {

class FormsRuntime;

class Form : public WindowEvents {
public:
    Form(FormsRuntime& runtime, const FormDesign& design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    void Show();
    // Returns once the form is hidden or unloaded; meanwhile every other
    // window of the program takes no input.
    void ShowModal();
    void Hide();
    // Runs Form_Unload, then destroys the window. An unload already under way
    // (its warning still on screen, say) is not started again.
    void Unload(UnloadCause cause = UnloadCause::Code);

    void SetWindowState(WindowState state);
    int CheckValue(std::string_view checkBox);
    void SetCheckValue(std::string_view checkBox, int value);

    bool IsLoaded() const { return state_ == State::Loaded || state_ == State::Loading; }
    bool IsVisible() const { return IsLoaded() && visible_; }
    NativeWindow* Window() const { return window_.get(); }

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload(std::int16_t& Cancel) { (void)Cancel; }
    // Runs the control's Click handler.
    virtual void Click(std::string_view control) = 0;


private:
    friend class FormsRuntime;
    enum class State { Unloaded, Loading, Loaded, Unloading };

    void Load();
    void ShowWindow();
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

}  // namespace nagwick::platform
