#pragma once
// What the end-to-end driver does to another program's windows, from the
// outside as the system and the user would: find them, read their texts and
// geometry, click their buttons, press keys in them.
#include "platform/win32/windows_api.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/wide_text.h"

namespace e2e {

using nagwick::platform::win32::Narrow;
using nagwick::platform::win32::Widen;

// A failed check: the scenario stops with this message.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
void Require(bool ok, const std::string& what);

// Polls `ready` until it holds (true) or `timeoutMs` pass (false).
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs);
// True when `condition` holds for the whole of `ms` (checked as it passes).
bool HoldsFor(const std::function<bool()>& condition, DWORD ms);

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
inline LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrW(window, GWL_STYLE); }

// The top-level windows with this class and title (either may be null for
// any) of process `pid` (0 for any), shown or not.
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className, const wchar_t* title);
HWND ChildWithText(HWND parent, std::wstring_view text);
// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child);
RECT ClientRect(HWND window);
RECT WindowRect(HWND window);
POINT Centre(const RECT& rect);
// The window with the keyboard focus in `top`'s thread.
HWND FocusOf(HWND top);

// Presses a button the way the system does for a click, without waiting
// for the program to handle it.
inline void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
// A key pressed and released in `target` (the focused control).
void PressKey(HWND target, UINT virtualKey);
inline void PostSysCommand(HWND window, WPARAM command) { PostMessageW(window, WM_SYSCOMMAND, command, 0); }

struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring text;
    bool exclamation = false;  // shows the warning icon
};
// The message box of process `pid` titled `title`, when one is up.
std::optional<MessageBoxSeen> FindMessageBox(DWORD pid, const wchar_t* title);
// Presses the box's OK button.
void DismissMessageBox(HWND box);

// A path the driver was given on the Unix side ("/tmp/x") as Windows sees it ("Z:\tmp\x").
std::wstring WindowsPath(std::string_view path);
std::string ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::wstring& path, std::string_view bytes);

}  // namespace e2e
