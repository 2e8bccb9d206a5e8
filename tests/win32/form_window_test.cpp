// Real form windows in this process, for what the end-to-end scenarios can't
// reach cheaply from outside: the fonts the controls draw with and whether
// their texts fit, a window that its own click destroys, and a move to a
// monitor of another DPI.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <functional>
#include <memory>
#include <string>

#include "e2e/probe.h"
#include "platform/win32/form_window.h"
#include "platform/win32/wide_text.h"
#include "ui/layouts.h"

namespace {

using nagwick::platform::FormDesign;
using nagwick::platform::WindowEvents;
using nagwick::platform::WindowState;
using nagwick::platform::win32::FormWindow;
using nagwick::platform::win32::Widen;
using nagwick::platform::win32::WindowHost;

struct ClickHandler : WindowEvents {
    std::function<void()> onClick;
    void OnClick(std::string_view) override {
        if (onClick) onClick();
    }
    void OnCloseRequested() override {}
};

struct NoSession : WindowHost {
    std::wstring reason = L"Remove your flash drive!";
    bool QueryEndSession() override { return true; }
    void EndSession(bool) override {}
    const std::wstring& SessionEndReason() const override { return reason; }
};

HWND ChildWithText(HWND parent, std::string_view text) { return e2e::ChildWithText(parent, Widen(text)); }

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The width of the icon a form's frame shows.
int IconWidth(HWND form, WPARAM which) {
    ICONINFO info{};
    if (!GetIconInfo(reinterpret_cast<HICON>(SendMessageW(form, WM_GETICON, which, 0)), &info)) return 0;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class FormWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<FormWindow> Open(const FormDesign& design) {
        auto window = std::make_unique<FormWindow>(design, nullptr, events, host);
        window->Show(WindowState::Normal);
        Pump();
        return window;
    }
    ClickHandler events;
    NoSession host;
};

TEST_F(FormWindowTest, TextsInMsSansSerifFitTheirControls) {
    for (const FormDesign* design : {&nagwick::ui::MainFormDesign(), &nagwick::ui::OptionsFormDesign()}) {
        const auto window = Open(*design);
        RECT client{};
        GetClientRect(window->Handle(), &client);
        for (const auto& control : design->controls) {
            const HWND child = ChildWithText(window->Handle(), control.text);
            ASSERT_NE(child, nullptr) << control.name;
            const LOGFONTW font = FontOf(child);
            EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif") << control.name;
            EXPECT_EQ(font.lfWeight, control.bold ? FW_BOLD : FW_NORMAL) << control.name;

            const HDC dc = GetDC(child);
            const HGDIOBJ before =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
            const std::wstring text = Widen(control.text);
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            SelectObject(dc, before);
            ReleaseDC(child, dc);
            const RECT box = e2e::RectInParent(child);
            EXPECT_GE(box.right - box.left, size.cx) << control.name;
            EXPECT_GE(box.bottom - box.top, size.cy) << control.name;
            EXPECT_LE(box.right, client.right) << control.name;
        }
    }
}

TEST_F(FormWindowTest, ClickMayDestroyTheWindowItCameFrom) {
    auto window = Open(nagwick::ui::MainFormDesign());
    const HWND form = window->Handle();
    events.onClick = [&] { window.reset(); };
    SendMessageW(ChildWithText(form, "Exit"), BM_CLICK, 0, 0);
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(IsWindow(form));
    Pump();
}

TEST_F(FormWindowTest, MovingToAMonitorOfAnotherDpiLaysTheFormOutAgain) {
    const auto window = Open(nagwick::ui::OptionsFormDesign());
    const HWND form = window->Handle();
    RECT suggested{100, 80, 600, 400};
    SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, 468);  // 4680 x 2085 twips at 144 dots per inch
    EXPECT_EQ(client.bottom, 209);
    RECT frame{};
    GetWindowRect(form, &frame);
    EXPECT_EQ(frame.left, 100);
    EXPECT_EQ(frame.top, 80);
    const HWND ok = ChildWithText(form, "OK");
    const RECT box = e2e::RectInParent(ok);
    EXPECT_EQ(box.left, 180);
    EXPECT_EQ(box.top, 144);
    EXPECT_EQ(box.right - box.left, 122);  // 1215 twips: 121.5 pixels, and the edges rounded
    EXPECT_EQ(FontOf(ok).lfHeight, -17);    // 8.25 points at 144 dots per inch
    EXPECT_EQ(IconWidth(form, ICON_SMALL), 24);  // 16 pixels at 96 dots per inch
    EXPECT_EQ(IconWidth(form, ICON_BIG), 48);
}

}  // namespace
