#include "doubles/headless_system.h"

#include <algorithm>
#include <stdexcept>

namespace nagwick::test {

HeadlessWindow::HeadlessWindow(const forms::FormDesign& formDesign, forms::WindowEvents& windowEvents)
    : design(formDesign), events(windowEvents) {
    for (const auto& control : design.controls)
        if (control.kind == forms::ControlKind::CheckBox) checks_.emplace(std::string(control.name), 0);
}

void HeadlessWindow::Show(forms::WindowState state) {
    visible_ = true;
    state_ = state;
}

void HeadlessWindow::Hide() { visible_ = false; }

int HeadlessWindow::CheckValue(std::string_view checkBox) const {
    const auto it = checks_.find(checkBox);
    if (it == checks_.end()) throw std::invalid_argument("no check box " + std::string(checkBox));
    return it->second;
}

void HeadlessWindow::SetCheckValue(std::string_view checkBox, int value) {
    const auto it = checks_.find(checkBox);
    if (it == checks_.end()) throw std::invalid_argument("no check box " + std::string(checkBox));
    it->second = value;
}

namespace {

// Removes itself from the system's list when the form destroys it.
class TrackedWindow : public HeadlessWindow {
public:
    TrackedWindow(const forms::FormDesign& design, forms::WindowEvents& events,
                  std::vector<HeadlessWindow*>& list)
        : HeadlessWindow(design, events), list_(list) {
        list_.push_back(this);
    }
    ~TrackedWindow() override { std::erase(list_, this); }

private:
    std::vector<HeadlessWindow*>& list_;
};

}  // namespace

HeadlessSystem::HeadlessSystem() = default;

HeadlessSystem::~HeadlessSystem() = default;

std::unique_ptr<forms::NativeWindow> HeadlessSystem::CreateNativeWindow(const forms::FormDesign& design,
                                                                 forms::NativeWindow* /*owner*/,
                                                                 forms::WindowEvents& events) {
    return std::make_unique<TrackedWindow>(design, events, windows_);
}

void HeadlessSystem::ShowMessage(std::string_view prompt, std::string_view title,
                                 forms::MsgBoxIcon icon) {
    messages_.push_back({std::string(prompt), std::string(title), icon});
    if (whileMessageShown) whileMessageShown(messages_.back());
}

bool HeadlessSystem::OpenFolder(const std::string& folder, std::string& error) {
    if (openFolderFailure) {
        error = *openFolderFailure;
        return false;
    }
    openedFolders_.push_back(folder);
    return true;
}

bool HeadlessSystem::RunPosted(const std::function<bool()>& done) {
    while (!done()) {
        if (posted_.empty()) return false;
        auto action = std::move(posted_.front());
        posted_.pop_front();
        action();
    }
    return true;
}

int HeadlessSystem::RunEventLoop() {
    RunPosted([this] { return quitStatus_.has_value(); });
    // A test that left the program running gets -1: there is no user to wait for.
    return quitStatus_.value_or(-1);
}

void HeadlessSystem::RunModalLoop(const std::function<bool()>& done) {
    if (!RunPosted([&] { return done() || quitStatus_.has_value(); }))
        throw std::logic_error("modal loop has no more posted actions");
}

HeadlessWindow* HeadlessSystem::Find(std::string_view formName) const {
    for (auto* window : windows_)
        if (window->design.name == formName) return window;
    return nullptr;
}

HeadlessWindow* HeadlessSystem::Enabled(std::string_view formName) const {
    HeadlessWindow* window = Find(formName);
    return window && window->enabled() ? window : nullptr;
}

void HeadlessSystem::Click(std::string_view formName, std::string_view control) {
    if (HeadlessWindow* window = Enabled(formName)) window->events.OnClick(control);
}

void HeadlessSystem::Close(std::string_view formName) {
    if (HeadlessWindow* window = Enabled(formName)) window->events.OnCloseRequested();
}

void HeadlessSystem::RequestEnd() {
    if (systemEvents_) systemEvents_->OnEndRequested();
}

}  // namespace nagwick::test
