#pragma once
// A window system without a display, for tests: windows are records, message
// boxes and opened folders are logged, and the test plays the user and the
// system (clicks, closes, signals, the session's end, another start).
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/window_system.h"

namespace nagwick::test {

class HeadlessWindow : public forms::NativeWindow {
public:
    HeadlessWindow(const forms::FormDesign& formDesign, forms::WindowEvents& windowEvents,
                   std::vector<HeadlessWindow*>& list)
        : design(formDesign), events(windowEvents), list_(list) {
        list_.push_back(this);
        for (const auto& control : design.controls)
            if (control.kind == forms::ControlKind::CheckBox) checks_[std::string(control.name)] = 0;
    }
    ~HeadlessWindow() override { std::erase(list_, this); }

    void Show(forms::WindowState shownAs) override { visible = true, state = shownAs; }
    void Hide() override { visible = false; }
    void SetEnabled(bool on) override { enabled = on; }
    void FocusFirst() override { ++firstFocused; }
    int CheckValue(std::string_view checkBox) const override { return checks_.at(std::string(checkBox)); }
    void SetCheckValue(std::string_view checkBox, int value) override { checks_.at(std::string(checkBox)) = value; }

    const forms::FormDesign& design;
    forms::WindowEvents& events;
    bool visible = false, enabled = true;
    forms::WindowState state = forms::WindowState::Normal;
    int firstFocused = 0;  // times the focus was put on the first control

private:
    std::map<std::string, int> checks_;
    std::vector<HeadlessWindow*>& list_;
};

struct ShownMessage {
    std::string prompt, title;
    forms::MsgBoxIcon icon;
};

class HeadlessSystem : public forms::WindowSystem {
public:
    // --- the window system ---
    void Attach(forms::SystemEvents& events) override { events_ = &events; }
    std::unique_ptr<forms::NativeWindow> CreateNativeWindow(const forms::FormDesign& design, forms::NativeWindow*,
                                                            forms::WindowEvents& events) override {
        return std::make_unique<HeadlessWindow>(design, events, windows_);
    }
    void ShowMessage(std::string_view prompt, std::string_view title, forms::MsgBoxIcon icon) override {
        if (messages.push_back({std::string(prompt), std::string(title), icon}); whileMessageShown)
            whileMessageShown(messages.back());
    }
    void RaiseMessage() override { ++messagesRaised; }
    bool OpenFolder(const std::string& folder, std::string& error) override {
        if (openFolderFailure) return error = *openFolderFailure, false;
        return openedFolders.push_back(folder), true;
    }
    // -1: the test left the program running, with nothing more to do.
    int RunEventLoop() override { return RunPosted([this] { return quit_.has_value(); }), quit_.value_or(-1); }
    void RunModalLoop(const std::function<bool()>& done) override {
        if (!RunPosted([&] { return done() || quit_.has_value(); }))
            throw std::logic_error("modal loop has no more posted actions");
    }
    void Quit(int status) override { quit_ = status; }

    // --- the test's side ---
    // The live window of a form, or null.
    HeadlessWindow* Find(std::string_view formName) const {
        for (auto* window : windows_)
            if (window->design.name == formName) return window;
        return nullptr;
    }
    // The user acts on a window; ignored (like a real click) when it is disabled.
    void Click(std::string_view form, std::string_view control) { User(form, [&](auto& w) { w.events.OnClick(control); }); }
    void Close(std::string_view form) { User(form, [](auto& w) { w.events.OnCloseRequested(); }); }
    // A signal, or the end of the user's session: the two reach the program alike.
    void RequestEnd() { events_->OnEndRequested(); }
    // The program started again from the same folder.
    void RequestActivation() { events_->OnActivateRequested(); }
    // Queued actions run by the next event or modal loop, in order; PostNext
    // runs first, inside a modal loop that the current action is about to open.
    void Post(std::function<void()> action) { posted_.push_back(std::move(action)); }
    void PostNext(std::function<void()> action) { posted_.push_front(std::move(action)); }
    // Runs while a message box is on screen, before it is dismissed.
    std::function<void(const ShownMessage&)> whileMessageShown;

    std::vector<ShownMessage> messages;
    std::vector<std::string> openedFolders;
    std::optional<std::string> openFolderFailure;  // makes OpenFolder fail with this reason
    int messagesRaised = 0;

private:
    void User(std::string_view form, auto act) {
        if (auto* window = Find(form); window && window->enabled) act(*window);
    }
    bool RunPosted(const std::function<bool()>& done) {
        while (!done()) {
            if (posted_.empty()) return false;
            auto action = std::move(posted_.front());
            posted_.pop_front();
            action();
        }
        return true;
    }

    forms::SystemEvents* events_ = nullptr;
    std::vector<HeadlessWindow*> windows_;
    std::deque<std::function<void()>> posted_;
    std::optional<int> quit_;
};

}  // namespace nagwick::test
