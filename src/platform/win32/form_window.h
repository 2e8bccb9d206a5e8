#pragma once
// A form's native window on Win32: a top-level window with a label, button or
// check box control for each row of its layout data, placed from twips at the
// window's DPI, in the form's tab order, and never clipping a text. Windows'
// dialog manager makes it from a template naming its class, and gives it the
// first focus, Tab, the arrow keys, Enter, Esc, the default button and the
// focus kept across activations and restores.
#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "forms/form_layout.h"
#include "forms/window_system.h"

namespace nagwick::platform::win32 {

// What a form window hands on to the window system.
class WindowHost {
public:
    // WM_QUERYENDSESSION: the answer to give.
    virtual bool QueryEndSession() = 0;
    // WM_ENDSESSION.
    virtual void EndSession(bool ending) = 0;
    // Shown by Windows while the session's end waits for the main window.
    virtual const std::wstring& SessionEndReason() const = 0;
    // Another start of the program from its folder asks for its windows;
    // false when the program is ending and has none to give.
    virtual bool BringBack() = 0;

protected:
    ~WindowHost() = default;
};

class FormWindow final : public forms::NativeWindow {
public:
    FormWindow(const forms::FormDesign& design, FormWindow* owner, forms::WindowEvents& events, WindowHost& host);
    // Safe while the window is inside its own window procedure (a click that
    // unloads its form): the window reports nothing more from here on.
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    void Show(forms::WindowState state) override;
    void Hide() override;
    void SetEnabled(bool enabled) override;
    void FocusFirst() override;
    int CheckValue(std::string_view checkBox) const override;
    void SetCheckValue(std::string_view checkBox, int value) override;

    HWND Handle() const { return window_; }

private:
    struct Control {
        const forms::ControlDesign* design;
        HWND window;
    };
    struct GdiDeleter {
        void operator()(HFONT font) const { DeleteObject(font); }
        void operator()(HICON icon) const { DestroyIcon(icon); }
    };
    using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiDeleter>;
    using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, GdiDeleter>;

    static void RegisterWindowClass();
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Handles one message as a dialog procedure does: FALSE leaves it to
    // DefDlgProc. Returns at once after reporting an event: the report may
    // have destroyed this object.
    INT_PTR Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void HandleCommand(WPARAM wParam, LPARAM lParam);

    void CreateControls();
    void LoadIcons(int dpi);
    // Fonts, icons, control boxes and window size for `dpi`.
    void ApplyDpi(int dpi);
    // The room a label's or check box's text needs in `font`; `standIn` when
    // the font is not the face asked for.
    forms::Extent TextRoom(const forms::ControlDesign& control, HFONT font, bool standIn) const;
    bool IsStandIn(HFONT font) const;
    void PlaceOnFirstShow();
    const Control& FindCheckBox(std::string_view name) const;

    const forms::FormDesign& design_;
    forms::WindowEvents& events_;
    WindowHost& host_;
    HWND window_ = nullptr;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    int dpi_ = 96;
    std::vector<Control> controls_;  // in tab order
    Font regularFont_;
    Font boldFont_;
    Icon bigIcon_;
    Icon smallIcon_;
    bool placed_ = false;
    bool blocksSessionEnd_ = false;
};

}  // namespace nagwick::platform::win32
