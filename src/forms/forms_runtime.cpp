#include "forms/forms_runtime.h"

#include <algorithm>
#include <exception>
#include <string>

#include "forms/form.h"

namespace nagwick::forms {

std::string RunTimeErrorText(std::string_view error) { return "Run-time error: " + std::string(error); }

FormsRuntime::FormsRuntime(WindowSystem& system) : system_(system) { system_.Attach(*this); }

int FormsRuntime::Run(Form& startup) {
    startup.Show();
    if (ended_) return 1;
    if (loaded_.empty()) return 0;
    return system_.RunEventLoop();
}

void FormsRuntime::Guard(const std::function<void()>& handler) {
    if (ended_) return;
    std::string error;
    try {
        handler();
        return;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown error";
    }
    // Like the runtime's default error report: say what happened, then end.
    ended_ = true;
    MsgBox(RunTimeErrorText(error), MsgBoxIcon::Critical);
    system_.Quit(1);
}

void FormsRuntime::MsgBox(std::string_view prompt, MsgBoxIcon icon, std::string_view title) {
    ++messagesShown_;
    system_.ShowMessage(prompt, title, icon);
    --messagesShown_;
}

bool FormsRuntime::Shell(const std::string& folder, std::string& error) { return system_.OpenFolder(folder, error); }

void FormsRuntime::OnEndRequested() {
    // A copy: unloading changes the list. Forms already unloading are skipped
    // by Unload itself, so a second cause never gives a second warning.
    const std::vector<Form*> forms(loaded_.rbegin(), loaded_.rend());
    for (Form* form : forms) form->Unload();
}

void FormsRuntime::OnActivateRequested() {
    if (ended_ || loaded_.empty()) return;
    if (messagesShown_ > 0) return system_.RaiseMessage();
    Form& newest = *loaded_.back();
    // A form still loading shows itself when its Form_Load is done.
    if (newest.state_ != Form::State::Loaded) return;
    if (&newest != loaded_.front()) return newest.ShowWindow();
    newest.BringBack();
}

void FormsRuntime::FormLoaded(Form& form) { loaded_.push_back(&form); }

void FormsRuntime::FormUnloaded(Form& form) {
    std::erase(loaded_, &form);
    if (loaded_.empty()) system_.Quit(0);
}

NativeWindow* FormsRuntime::CurrentOwner() const {
    for (auto it = loaded_.rbegin(); it != loaded_.rend(); ++it)
        if ((*it)->window_) return (*it)->window_.get();
    return nullptr;
}

void FormsRuntime::RunModal(Form& dialog) {
    std::vector<Form*> blocked;
    for (Form* form : loaded_)
        if (form != &dialog && !form->blocked_) {
            form->SetBlocked(true);
            blocked.push_back(form);
        }
    dialog.ShowWindow();
    system_.RunModalLoop([this, &dialog] { return ended_ || !dialog.IsLoaded() || !dialog.visible_; });
    for (Form* form : blocked)
        if (form->IsLoaded()) form->SetBlocked(false);
}

}  // namespace nagwick::forms
