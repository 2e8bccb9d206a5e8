#include "forms/form.h"

#include "forms/forms_runtime.h"

namespace nagwick::forms {

Form::Form(FormsRuntime& runtime, const FormDesign& design) : runtime_(runtime), design_(design) {}

Form::~Form() = default;

void Form::Load() {
    if (state_ != State::Unloaded || runtime_.Ended()) return;
    state_ = State::Loading;
    windowState_ = WindowState::Normal;
    visible_ = false;
    blocked_ = false;
    window_ = runtime_.System().CreateNativeWindow(design_, runtime_.CurrentOwner(), *this);
    runtime_.FormLoaded(*this);
    runtime_.Guard([this] { Form_Load(); });
    if (state_ == State::Loading) state_ = State::Loaded;
}

void Form::Show() {
    Load();
    if (IsLoaded() && !runtime_.Ended()) ShowWindow();
}

void Form::ShowWindow() {
    visible_ = true;
    window_->Show(windowState_);
}

void Form::BringBack() {
    windowState_ = WindowState::Normal;
    ShowWindow();
    window_->FocusFirst();
}

void Form::ShowModal() {
    Load();
    if (IsLoaded() && !runtime_.Ended()) runtime_.RunModal(*this);
}

void Form::Hide() {
    visible_ = false;
    window_->Hide();
}

void Form::Unload() {
    // While loading too: Form_Load may wait in a message box, and a signal or
    // the session's end meanwhile must still warn now, not be lost. (Load
    // then leaves the form unloaded.)
    if (!IsLoaded() || runtime_.Ended()) return;
    state_ = State::Unloading;
    runtime_.Guard([this] { Form_Unload(); });
    if (runtime_.Ended()) return;
    window_.reset();
    visible_ = false;
    state_ = State::Unloaded;
    runtime_.FormUnloaded(*this);
}

void Form::SetWindowState(WindowState state) {
    windowState_ = state;
    if (visible_) window_->Show(state);
}

int Form::CheckValue(std::string_view checkBox) const { return window_->CheckValue(checkBox); }

void Form::SetCheckValue(std::string_view checkBox, int value) { window_->SetCheckValue(checkBox, value); }

void Form::SetBlocked(bool blocked) {
    blocked_ = blocked;
    window_->SetEnabled(!blocked);
}

void Form::OnClick(std::string_view control) {
    if (state_ != State::Loaded || blocked_ || runtime_.Ended()) return;
    runtime_.Guard([this, control] { Click(control); });
}

void Form::OnCloseRequested() {
    if (!blocked_) Unload();
}

}  // namespace nagwick::forms
