#pragma once
// A window system without a display, for tests: windows are records, message
// boxes and opened folders are logged, and the test plays the user and the
// system (clicks, closes, signals, the session's end).
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/window_system.h"

namespace nagwick::test {

class HeadlessWindow : public forms::NativeWindow {
public:
    HeadlessWindow(const forms::FormDesign& design, forms::WindowEvents& events);

    void Show(forms::WindowState state) override;
    void Hide() override;
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    int CheckValue(std::string_view checkBox) const override;
    void SetCheckValue(std::string_view checkBox, int value) override;

    const forms::FormDesign& design;
    forms::WindowEvents& events;
    bool visible() const { return visible_; }
    bool enabled() const { return enabled_; }
    forms::WindowState state() const { return state_; }

private:
    bool visible_ = false;
    bool enabled_ = true;
    forms::WindowState state_ = forms::WindowState::Normal;
    std::map<std::string, int, std::less<>> checks_;
};

struct ShownMessage {
    std::string prompt;
    std::string title;
    forms::MsgBoxIcon icon;
};

class HeadlessSystem : public forms::WindowSystem {
public:
    HeadlessSystem();
    ~HeadlessSystem() override;

    // --- the window system ---
    void Attach(forms::SystemEvents& events) override { systemEvents_ = &events; }
    std::unique_ptr<forms::NativeWindow> CreateNativeWindow(const forms::FormDesign& design, forms::NativeWindow* owner,
                                                     forms::WindowEvents& events) override;
    void ShowMessage(std::string_view prompt, std::string_view title, forms::MsgBoxIcon icon) override;
    bool OpenFolder(const std::string& folder, std::string& error) override;
    int RunEventLoop() override;
    void RunModalLoop(const std::function<bool()>& done) override;
    void Quit(int status) override { quitStatus_ = status; }

    // --- the test's side ---
    // The live window of a form, or null when it has none.
    HeadlessWindow* Find(std::string_view formName) const;
    // The user acts on a window; ignored (like a real click) when it is disabled.
    void Click(std::string_view formName, std::string_view control);
    void Close(std::string_view formName);
    // A signal, or the end of the user's session: the two reach the program alike.
    void RequestEnd();
    // Queued actions run by the next event or modal loop, in order.
    void Post(std::function<void()> action) { posted_.push_back(std::move(action)); }
    // Runs before anything else queued: for what must happen inside a modal
    // loop that the current action is about to open.
    void PostNext(std::function<void()> action) { posted_.push_front(std::move(action)); }
    // Runs while a message box is on screen, before it is dismissed.
    std::function<void(const ShownMessage&)> whileMessageShown;

    const std::vector<ShownMessage>& messages() const { return messages_; }
    const std::vector<std::string>& openedFolders() const { return openedFolders_; }
    // Makes OpenFolder fail with this reason.
    std::optional<std::string> openFolderFailure;

private:
    HeadlessWindow* Enabled(std::string_view formName) const;
    bool RunPosted(const std::function<bool()>& done);

    forms::SystemEvents* systemEvents_ = nullptr;
    std::vector<HeadlessWindow*> windows_;
    std::deque<std::function<void()>> posted_;
    std::vector<ShownMessage> messages_;
    std::vector<std::string> openedFolders_;
    std::optional<int> quitStatus_;
};

}  // namespace nagwick::test
