#include "platform/win32/form_window.h"

#include <algorithm>
#include <stdexcept>

#include "platform/win32/dpi.h"
#include "platform/win32/fatal_error.h"
#include "platform/win32/resource_ids.h"
#include "platform/win32/running_copy.h"
#include "platform/win32/wide_text.h"

namespace nagwick::platform::win32 {

namespace {

constexpr wchar_t kClassName[] = L"NagwickForm";
// Control identifiers start above IDOK and IDCANCEL, which the dialog
// manager sends for Enter and Esc on its own.
constexpr int kFirstControlId = 100;
// 8.25 points, in hundredths.
constexpr int kFontHundredthPoints = 825;
constexpr wchar_t kFontFace[] = L"MS Sans Serif";

HFONT MakeFont(int dpi, int weight) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kFontHundredthPoints, dpi, 72 * 100);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    std::copy(std::begin(kFontFace), std::end(kFontFace), font.lfFaceName);
    const HFONT handle = CreateFontIndirectW(&font);
    if (!handle) throw std::runtime_error("the font could not be created");
    return handle;
}

// An in-memory DLGTEMPLATEEX with no controls: the style, no menu, the
// class, the caption. No DS_SETFONT: each control gets its font at its DPI.
std::vector<WORD> DialogTemplate(DWORD style, DWORD exStyle, const std::wstring& caption) {
    std::vector<WORD> words{1, 0xFFFF, 0, 0};  // version, signature, help id
    for (const DWORD value : {exStyle, style}) words.insert(words.end(), {LOWORD(value), HIWORD(value)});
    words.insert(words.end(), {0, 0, 0, 0, 0, 0});  // no controls; x, y, cx, cy; no menu
    words.insert(words.end(), std::begin(kClassName), std::end(kClassName));
    words.insert(words.end(), caption.c_str(), caption.c_str() + caption.size() + 1);
    return words;
}

}  // namespace

void FormWindow::RegisterWindowClass() {
    static ATOM registered = 0;
    if (registered) return;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // A dialog class: the dialog manager's own window procedure, which hands
    // each message to DialogProc first.
    windowClass.lpfnWndProc = &DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    // The face colour of buttons and dialogs, as forms have always had.
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassExW(&windowClass);
    if (!registered) throw std::runtime_error("the window class could not be registered: " + ErrorText(GetLastError()));
}

FormWindow::FormWindow(const forms::FormDesign& design, FormWindow* owner, forms::WindowEvents& events, WindowHost& host)
    : design_(design), events_(events), host_(host) {
    RegisterWindowClass();
    if (design.kind == forms::FormKind::Main) {
        // Fixed single border: no sizing frame, and no maximise box.
        style_ = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
        exStyle_ = WS_EX_CONTROLPARENT;
    } else {
        // Fixed dialog border, close box only; owned, so not in the taskbar.
        style_ = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
        exStyle_ = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    }
    // The dialog manager makes the window, at the top left of its owner's
    // client area (or of the primary monitor), so that it starts at that
    // monitor's DPI; WM_INITDIALOG gives it its controls and size.
    const std::vector<WORD> dialogTemplate = DialogTemplate(style_, exStyle_, Widen(design.caption));
    window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                        reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                        owner ? owner->Handle() : nullptr, &FormWindow::DialogProc,
                                        reinterpret_cast<LPARAM>(this));
    if (!window_) throw std::runtime_error("the window could not be created: " + ErrorText(GetLastError()));
    if (design.kind == forms::FormKind::Main && !host.SessionEndReason().empty())
        blocksSessionEnd_ = ShutdownBlockReasonCreate(window_, host.SessionEndReason().c_str()) != FALSE;
}

FormWindow::~FormWindow() {
    if (!window_) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    if (blocksSessionEnd_) ShutdownBlockReasonDestroy(window_);
    // As a dialog's end does: the owner takes input again before this window
    // goes, so that Windows activates the owner and not another program.
    if (const HWND owner = GetWindow(window_, GW_OWNER); owner && !IsWindowEnabled(owner))
        EnableWindow(owner, TRUE);
    DestroyWindow(window_);
}

void FormWindow::CreateControls() {
    // The dialog manager moves the focus in the order the controls were
    // made: the focusable ones by tab index, then the labels, which take none.
    std::vector<const forms::ControlDesign*> order = forms::TabOrder(design_);
    for (const auto& control : design_.controls)
        if (control.kind == forms::ControlKind::Label) order.push_back(&control);

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    bool firstFocusable = true;
    bool firstLabel = true;
    for (const forms::ControlDesign* control : order) {
        DWORD style = WS_CHILD | WS_VISIBLE;
        const wchar_t* windowClass = L"BUTTON";
        // Two groups, so that the arrow keys move among the focusable
        // controls only.
        bool& first = control->kind == forms::ControlKind::Label ? firstLabel : firstFocusable;
        if (first) style |= WS_GROUP;
        first = false;
        switch (control->kind) {
        case forms::ControlKind::Label:
            windowClass = L"STATIC";
            style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
            break;
        case forms::ControlKind::Button:
            // BS_NOTIFY: BN_SETFOCUS, see HandleCommand.
            style |= WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
            break;
        case forms::ControlKind::CheckBox:
            style |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_NOTIFY;
            break;
        }
        const int id = kFirstControlId + static_cast<int>(control - design_.controls.data());
        const std::wstring text = Widen(control->text);
        const HWND window = CreateWindowExW(0, windowClass, text.c_str(), style, 0, 0, 0, 0, window_,
                                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (!window) throw std::runtime_error("a control could not be created: " + ErrorText(GetLastError()));
        controls_.push_back({control, window});
        // Enter presses it, unless the focus is on another button. (Said in a
        // message: the dialog manager reads BS_DEFPUSHBUTTON only from the
        // controls of a template, and this one has none.)
        if (control->kind == forms::ControlKind::Button && control->name == design_.defaultButton)
            SendMessageW(window_, DM_SETDEFID, id, 0);
    }
}

void FormWindow::LoadIcons(int dpi) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto load = [&](WPARAM which, Icon& icon, int widthMetric, int heightMetric) {
        Icon loaded(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                                  SystemMetric(widthMetric, dpi), SystemMetric(heightMetric, dpi),
                                                  LR_DEFAULTCOLOR)));
        if (!loaded) return;
        // A dialog frame shows an icon only when it is given one.
        SendMessageW(window_, WM_SETICON, which, reinterpret_cast<LPARAM>(loaded.get()));
        // The frame shows the new one now; the one it replaced can go.
        icon = std::move(loaded);
    };
    load(ICON_BIG, bigIcon_, SM_CXICON, SM_CYICON);
    load(ICON_SMALL, smallIcon_, SM_CXSMICON, SM_CYSMICON);
}

forms::Extent FormWindow::TextRoom(const forms::ControlDesign& control, HFONT font, bool standIn) const {
    const std::wstring text = Widen(control.text);
    SIZE size{0, 0};
    if (const HDC dc = GetDC(window_)) {
        const HGDIOBJ previous = SelectObject(dc, font);
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, previous);
        ReleaseDC(window_, dc);
    }
    forms::Extent room{size.cx, size.cy};
    // A stand-in for the missing face may draw its glyphs a little past the
    // widths it reports (Wine's renderer does, by up to 3 %): a margin, so
    // that no text is cut even then.
    if (standIn) room.width += room.width / 25 + MulDiv(2, dpi_, kDefaultDpi);
    if (control.kind == forms::ControlKind::CheckBox) {
        // The box, and the gap and focus rectangle beside the text.
        room.width += SystemMetric(SM_CXMENUCHECK, dpi_) + MulDiv(6, dpi_, kDefaultDpi);
        room.height = std::max(room.height, SystemMetric(SM_CYMENUCHECK, dpi_));
    }
    return room;
}

bool FormWindow::IsStandIn(HFONT font) const {
    wchar_t face[LF_FACESIZE] = L"";
    if (const HDC dc = GetDC(window_)) {
        const HGDIOBJ previous = SelectObject(dc, font);
        GetTextFaceW(dc, LF_FACESIZE, face);
        SelectObject(dc, previous);
        ReleaseDC(window_, dc);
    }
    return lstrcmpiW(face, kFontFace) != 0;
}

void FormWindow::ApplyDpi(int dpi) {
    dpi_ = dpi;
    LoadIcons(dpi);
    Font regular(MakeFont(dpi, FW_NORMAL));
    Font bold(MakeFont(dpi, FW_BOLD));
    const bool standIn = IsStandIn(regular.get());
    const auto fontOf = [&](const forms::ControlDesign& design) { return design.bold ? bold.get() : regular.get(); };
    const forms::FormLayout layout = forms::LayOutForm(design_, dpi, [&](const forms::ControlDesign& design) {
        return TextRoom(design, fontOf(design), standIn);
    });
    for (const Control& control : controls_) {
        SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(*control.design)), FALSE);
        const forms::Box& box = layout.boxes[static_cast<std::size_t>(control.design - design_.controls.data())];
        MoveWindow(control.window, box.left, box.top, box.Width(), box.Height(), FALSE);
    }
    // The controls use the new fonts now; the old ones can go.
    regularFont_ = std::move(regular);
    boldFont_ = std::move(bold);
    const SIZE outer = WindowSizeForClient(layout.clientWidth, layout.clientHeight, style_, exStyle_, dpi);
    SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame may not be what the metrics said (its DPI not changed yet,
    // say): the client area is what counts.
    RECT client{};
    GetClientRect(window_, &client);
    if (client.right != layout.clientWidth || client.bottom != layout.clientHeight) {
        SetWindowPos(window_, nullptr, 0, 0, outer.cx + layout.clientWidth - client.right,
                     outer.cy + layout.clientHeight - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void FormWindow::PlaceOnFirstShow() {
    if (placed_) return;
    placed_ = true;
    // A dialog goes over its owner while the owner is on screen; anything
    // else in the middle of the primary monitor's work area. By hand, not
    // DS_CENTER: the dialog manager centres the template's size before
    // WM_INITDIALOG, and the size is only known once the form is laid out
    // there at the window's DPI.
    const HWND owner = GetWindow(window_, GW_OWNER);
    const bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
    const HMONITOR monitor = overOwner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                       : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return;
    RECT area = info.rcWork;
    if (overOwner) GetWindowRect(owner, &area);
    RECT frame;
    GetWindowRect(window_, &frame);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    // Whole on the monitor, the title bar first.
    x = std::max(info.rcWork.left, std::min(x, info.rcWork.right - width));
    y = std::max(info.rcWork.top, std::min(y, info.rcWork.bottom - height));
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::Show(forms::WindowState state) {
    PlaceOnFirstShow();
    if (state == forms::WindowState::Minimized) {
        ShowWindow(window_, SW_SHOWMINIMIZED);
        return;
    }
    // Activated, the dialog manager focuses the first control in tab order,
    // or the one that had the focus before.
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
}

void FormWindow::Hide() { ShowWindow(window_, SW_HIDE); }

void FormWindow::SetEnabled(bool enabled) { EnableWindow(window_, enabled ? TRUE : FALSE); }

void FormWindow::FocusFirst() {
    // Through the dialog manager, so that the default look follows the focus.
    if (const HWND first = GetNextDlgTabItem(window_, nullptr, FALSE))
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
}

const FormWindow::Control& FormWindow::FindCheckBox(std::string_view name) const {
    for (const Control& control : controls_)
        if (control.design->kind == forms::ControlKind::CheckBox && control.design->name == name) return control;
    throw std::invalid_argument("no check box " + std::string(name));
}

int FormWindow::CheckValue(std::string_view checkBox) const {
    return SendMessageW(FindCheckBox(checkBox).window, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void FormWindow::SetCheckValue(std::string_view checkBox, int value) {
    SendMessageW(FindCheckBox(checkBox).window, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

INT_PTR CALLBACK FormWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
    // Nothing may be thrown into the system: an error that gets this far
    // ends the program with a report.
    if (auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
        try {
            return self->Handle(window, message, wParam, lParam);
        } catch (const std::exception& e) {
            ReportFatalError(e.what());
        } catch (...) {
            ReportFatalError("unknown error");
        }
    }
    return FALSE;
}

INT_PTR FormWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BringBackMessage()) {
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, host_.BringBack() ? kBroughtBack : 0);
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        window_ = window;
        CreateControls();
        ApplyDpi(WindowDpi(window_));
        // The dialog manager puts the focus on the first control in tab order.
        return TRUE;
    case WM_COMMAND:
        HandleCommand(wParam, lParam);
        return TRUE;
    case WM_CLOSE:
        // The form decides: its unload runs, and then its window goes.
        // (DefDlgProc would turn it into IDCANCEL.)
        events_.OnCloseRequested();
        return TRUE;
    case WM_QUERYENDSESSION:
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, host_.QueryEndSession() ? TRUE : FALSE);
        return TRUE;
    case WM_ENDSESSION:
        host_.EndSession(wParam != FALSE);
        return TRUE;
    case WM_DPICHANGED: {
        const RECT suggested = *reinterpret_cast<const RECT*>(lParam);
        ApplyDpi(HIWORD(wParam));
        SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void FormWindow::HandleCommand(WPARAM wParam, LPARAM lParam) {
    const auto from = reinterpret_cast<HWND>(lParam);
    if (!from) {
        // From the dialog manager: Esc gives IDCANCEL, which closes a dialog
        // like its close box (and never presses a Cancel button); Enter with
        // no default button gives IDOK, which does nothing.
        if (LOWORD(wParam) == IDCANCEL && design_.kind == forms::FormKind::Dialog) events_.OnCloseRequested();
        return;
    }
    const auto control = std::ranges::find(controls_, from, &Control::window);
    if (control == controls_.end()) return;
    if (HIWORD(wParam) == BN_SETFOCUS) {
        // Enter depends on this. The dialog manager moves the default look
        // (Enter presses the button that has it) only with its own focus
        // moves; a click, its first focus and its focus restore are a plain
        // SetFocus. Handing it every focus change lets it move the look: onto
        // a focused button, else back to the default one. (The control has
        // the focus already: nothing comes back here.)
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(from), TRUE);
    } else if (HIWORD(wParam) == BN_CLICKED && control->design->kind == forms::ControlKind::Button) {
        events_.OnClick(control->design->name);
    }
}

}  // namespace nagwick::platform::win32
