// Real form windows in this process: controls, fonts, focus order, the
// dialog manager's keys, check values, the events they report, and a window
// that its own event destroys.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/dpi.h"
#include "platform/win32/form_window.h"
#include "platform/win32/wide_text.h"
#include "ui/layouts.h"

namespace {

using nagwick::platform::FormSpec;
using nagwick::platform::WindowEvents;
using nagwick::platform::WindowState;
using nagwick::platform::win32::FormWindow;
using nagwick::platform::win32::Widen;
using nagwick::platform::win32::WindowHost;

struct RecordedEvents : WindowEvents {
    std::vector<std::string> clicks;
    int closeRequests = 0;
    std::function<void()> onClick;
    void OnClick(std::string_view control) override {
        clicks.emplace_back(control);
        if (onClick) onClick();
    }
    void OnCloseRequested() override { ++closeRequests; }
};

struct RecordedHost : WindowHost {
    int queries = 0;
    std::vector<bool> ends;
    std::wstring reason = L"Remove your flash drive!";
    bool QueryEndSession() override {
        ++queries;
        return true;
    }
    void EndSession(bool ending) override { ends.push_back(ending); }
    const std::wstring& SessionEndReason() const override { return reason; }
};

HWND ChildWithText(HWND parent, std::string_view text) {
    return FindWindowExW(parent, nullptr, nullptr, Widen(text).c_str());
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A key pressed in the focused control, as the message loop hands it on.
bool DialogKey(UINT key) {
    MSG message{GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
    return FormWindow::HandleDialogMessage(message);
}

class FormWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<FormWindow> Open(const FormSpec& spec, FormWindow* owner = nullptr) {
        auto window = std::make_unique<FormWindow>(spec, owner, events, host);
        window->Show(WindowState::Normal);
        Pump();
        return window;
    }
    RecordedEvents events;
    RecordedHost host;
};

TEST_F(FormWindowTest, ControlsCarryTheirTextsInMsSansSerif) {
    const FormSpec& spec = nagwick::ui::MainFormSpec();
    const auto window = Open(spec);
    for (const auto& control : spec.controls) {
        const HWND child = ChildWithText(window->Handle(), control.text);
        ASSERT_NE(child, nullptr) << control.name;
        LOGFONTW font{};
        ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof font, &font), 0);
        EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif") << control.name;
        EXPECT_EQ(font.lfHeight, -MulDiv(825, nagwick::platform::win32::WindowDpi(window->Handle()), 7200)) << control.name;
        EXPECT_EQ(font.lfWeight, control.bold ? FW_BOLD : FW_NORMAL) << control.name;
    }
}

TEST_F(FormWindowTest, NoTextIsCut) {
    for (const FormSpec* spec : {&nagwick::ui::MainFormSpec(), &nagwick::ui::OptionsFormSpec()}) {
        const auto window = Open(*spec);
        for (const auto& control : spec->controls) {
            const HWND child = ChildWithText(window->Handle(), control.text);
            const HDC dc = GetDC(child);
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
            const std::wstring text = Widen(control.text);
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            ReleaseDC(child, dc);
            RECT box{};
            GetClientRect(child, &box);
            EXPECT_GE(box.right, size.cx) << control.name;
            EXPECT_GE(box.bottom, size.cy) << control.name;
            RECT client{};
            GetClientRect(window->Handle(), &client);
            RECT onForm{};
            GetWindowRect(child, &onForm);
            MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&onForm), 2);
            EXPECT_LE(onForm.right, client.right) << control.name;
        }
    }
}

TEST_F(FormWindowTest, FocusOrderFollowsTheTabIndexes) {
    const auto window = Open(nagwick::ui::OptionsFormSpec());
    const HWND form = window->Handle();
    const HWND explorer = ChildWithText(form, "Open flash drive to view files when this program runs");
    const HWND start = ChildWithText(form, "Start this program minimized");
    const HWND cancel = ChildWithText(form, "Cancel");
    const HWND ok = ChildWithText(form, "OK");
    EXPECT_EQ(GetFocus(), explorer);
    EXPECT_EQ(GetNextDlgTabItem(form, explorer, FALSE), start);
    EXPECT_EQ(GetNextDlgTabItem(form, start, FALSE), cancel);
    EXPECT_EQ(GetNextDlgTabItem(form, cancel, FALSE), ok);
    EXPECT_EQ(GetNextDlgTabItem(form, ok, FALSE), explorer);
    EXPECT_EQ(GetNextDlgTabItem(form, explorer, TRUE), ok);
    // Tab through the dialog manager moves along the same order.
    ASSERT_TRUE(DialogKey(VK_TAB));
    EXPECT_EQ(GetFocus(), start);
    ASSERT_TRUE(DialogKey(VK_DOWN));
    EXPECT_EQ(GetFocus(), cancel);
}

TEST_F(FormWindowTest, EnterPressesOkOrTheFocusedButtonAndEscClosesTheDialog) {
    const auto window = Open(nagwick::ui::OptionsFormSpec());
    const HWND form = window->Handle();
    EXPECT_EQ(LOWORD(SendMessageW(form, DM_GETDEFID, 0, 0)), GetDlgCtrlID(ChildWithText(form, "OK")));
    EXPECT_EQ(HIWORD(SendMessageW(form, DM_GETDEFID, 0, 0)), DC_HASDEFID);

    ASSERT_TRUE(DialogKey(VK_RETURN));  // focus on the first check box
    SetFocus(ChildWithText(form, "Cancel"));
    ASSERT_TRUE(DialogKey(VK_RETURN));
    SetFocus(ChildWithText(form, "Start this program minimized"));
    ASSERT_TRUE(DialogKey(VK_RETURN));
    // Tab onto Cancel, then Enter: Cancel.
    ASSERT_TRUE(DialogKey(VK_TAB));
    ASSERT_EQ(GetFocus(), ChildWithText(form, "Cancel"));
    ASSERT_TRUE(DialogKey(VK_RETURN));
    // And onto OK.
    ASSERT_TRUE(DialogKey(VK_TAB));
    ASSERT_TRUE(DialogKey(VK_RETURN));
    EXPECT_EQ(events.clicks, (std::vector<std::string>{"btkOK", "btnCancel", "btkOK", "btnCancel", "btkOK"}));

    EXPECT_EQ(events.closeRequests, 0);
    ASSERT_TRUE(DialogKey(VK_ESCAPE));
    EXPECT_EQ(events.closeRequests, 1);
    EXPECT_TRUE(IsWindow(form)) << "the form decides when its window goes";
}

TEST_F(FormWindowTest, MainWindowHasNoDefaultButtonAndIgnoresEsc) {
    const auto window = Open(nagwick::ui::MainFormSpec());
    const HWND form = window->Handle();
    EXPECT_EQ(HIWORD(SendMessageW(form, DM_GETDEFID, 0, 0)), 0);
    ASSERT_TRUE(DialogKey(VK_ESCAPE));
    EXPECT_EQ(events.closeRequests, 0);
    // Enter presses the focused button, Exit.
    ASSERT_TRUE(DialogKey(VK_RETURN));
    EXPECT_EQ(events.clicks, std::vector<std::string>{"btnExit"});
}

TEST_F(FormWindowTest, ReportsClicksAndCloseRequestsOnly) {
    const auto window = Open(nagwick::ui::MainFormSpec());
    const HWND form = window->Handle();
    SendMessageW(ChildWithText(form, "Hide"), BM_CLICK, 0, 0);
    SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(events.clicks, std::vector<std::string>{"btnHide"});
    EXPECT_EQ(events.closeRequests, 1);
    EXPECT_TRUE(IsWindow(form));
}

TEST_F(FormWindowTest, CheckValues) {
    const auto window = Open(nagwick::ui::OptionsFormSpec());
    EXPECT_EQ(window->CheckValue("chkExplorer"), 0);
    window->SetCheckValue("chkExplorer", 1);
    EXPECT_EQ(window->CheckValue("chkExplorer"), 1);
    EXPECT_EQ(window->CheckValue("chkStartState"), 0);
    window->SetCheckValue("chkStartState", 2);
    EXPECT_EQ(window->CheckValue("chkStartState"), 2);
    window->SetCheckValue("chkStartState", 0);
    EXPECT_EQ(window->CheckValue("chkStartState"), 0);
    // The user's click changes what the form reads.
    SendMessageW(ChildWithText(window->Handle(), "Start this program minimized"), BM_CLICK, 0, 0);
    EXPECT_EQ(window->CheckValue("chkStartState"), 1);
    EXPECT_THROW(window->CheckValue("btkOK"), std::invalid_argument);
    EXPECT_THROW(window->SetCheckValue("nothing", 1), std::invalid_argument);
}

TEST_F(FormWindowTest, SessionEndGoesToTheHost) {
    const auto window = Open(nagwick::ui::MainFormSpec());
    EXPECT_EQ(SendMessageW(window->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(window->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(host.queries, 1);
    EXPECT_EQ(host.ends, std::vector<bool>{true});
}

TEST_F(FormWindowTest, ClickMayDestroyTheWindowItCameFrom) {
    auto window = Open(nagwick::ui::MainFormSpec());
    const HWND form = window->Handle();
    events.onClick = [&] { window.reset(); };
    SendMessageW(ChildWithText(form, "Exit"), BM_CLICK, 0, 0);
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(IsWindow(form));
    Pump();
}

TEST_F(FormWindowTest, DialogIsOwnedAndGivesItsOwnerInputBackWhenItGoes) {
    const auto main = Open(nagwick::ui::MainFormSpec());
    auto dialog = Open(nagwick::ui::OptionsFormSpec(), main.get());
    EXPECT_EQ(GetWindow(dialog->Handle(), GW_OWNER), main->Handle());
    EXPECT_EQ(GetWindowLongPtrW(main->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(GetWindowLongPtrW(dialog->Handle(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    main->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(main->Handle()));
    dialog.reset();
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
}

TEST_F(FormWindowTest, MovingToAMonitorOfAnotherDpiLaysTheFormOutAgain) {
    const FormSpec& spec = nagwick::ui::OptionsFormSpec();
    const auto window = Open(spec);
    const HWND form = window->Handle();
    RECT suggested{100, 80, 600, 400};
    SendMessageW(form, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, 468);  // 4680 twips at 144 dots per inch
    EXPECT_EQ(client.bottom, 209);
    RECT frame{};
    GetWindowRect(form, &frame);
    EXPECT_EQ(frame.left, 100);
    EXPECT_EQ(frame.top, 80);
    const HWND ok = ChildWithText(form, "OK");
    RECT box{};
    GetWindowRect(ok, &box);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 180);
    EXPECT_EQ(box.top, 144);
    EXPECT_EQ(box.right - box.left, 122);  // 1215 twips: 121.5 pixels, and the edges rounded
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(ok, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -17);  // 8.25 points at 144 dots per inch
}

TEST_F(FormWindowTest, HideAndShowMinimised) {
    const auto window = Open(nagwick::ui::MainFormSpec());
    window->Hide();
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    window->Show(WindowState::Minimized);
    EXPECT_TRUE(IsWindowVisible(window->Handle()));
    EXPECT_TRUE(IsIconic(window->Handle()));
    window->Show(WindowState::Normal);
    EXPECT_FALSE(IsIconic(window->Handle()));
}

}  // namespace
