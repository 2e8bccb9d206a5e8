#include "e2e/probe.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {

void Require(bool ok, const std::string& what) {
    if (!ok) throw Failure(what);
}

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
}

bool HoldsFor(const std::function<bool()>& condition, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        if (!condition()) return false;
        Sleep(20);
    }
    return condition();
}

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT waits for the program; a hung one must not hang the driver.
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                             &copied))
        return {};
    return std::wstring(text, copied);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = L"";
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrW(window, GWL_STYLE); }
LONG_PTR ExStyleOf(HWND window) { return GetWindowLongPtrW(window, GWL_EXSTYLE); }

namespace {

struct TopSearch {
    DWORD pid;
    const wchar_t* className;
    const wchar_t* title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<TopSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (search.pid && pid != search.pid) return TRUE;
    if (search.className && ClassOf(window) != search.className) return TRUE;
    if (search.title && TextOf(window) != search.title) return TRUE;
    search.found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
    auto& children = *reinterpret_cast<std::vector<HWND>*>(data);
    children.push_back(window);
    return TRUE;
}

}  // namespace

HWND FindTopWindow(DWORD pid, const wchar_t* className, const wchar_t* title) {
    TopSearch search{pid, className, title, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found.empty() ? nullptr : search.found.front();
}

std::vector<HWND> TopWindowsOfClass(const wchar_t* className) {
    TopSearch search{0, className, nullptr, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND ChildWithText(HWND parent, std::wstring_view text) {
    for (HWND child : Children(parent))
        if (TextOf(child) == text) return child;
    return nullptr;
}

RECT RectInParent(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT ClientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

POINT Centre(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

HWND FocusOf(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

HWND ActiveOf(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
    return info.hwndActive;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void PressKey(HWND target, UINT virtualKey) {
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

void PostSysCommand(HWND window, WPARAM command) { PostMessageW(window, WM_SYSCOMMAND, command, 0); }

namespace {

// 32-bit pixels of `width` x `height`, drawn by `paint` into a memory DC.
std::vector<DWORD> Pixels(int width, int height, const std::function<void(HDC)>& paint) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    paint(dc);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + width * height);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

long long Distance(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    long long distance = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift : {0, 8, 16}) distance += std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
    return distance;
}

// Which of the system's message box icons an icon control shows, by its
// pixels on screen: the icon handle of another process says nothing here.
const wchar_t* ShownIcon(HWND iconControl) {
    RECT rect{};
    GetWindowRect(iconControl, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return nullptr;
    const auto shown = Pixels(width, height, [&](HDC dc) {
        const HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
    const wchar_t* best = nullptr;
    long long bestDistance = -1;
    for (const wchar_t* candidate : {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK}) {
        const auto drawn = Pixels(width, height, [&](HDC dc) {
            const HBRUSH background = CreateSolidBrush(shown[0] & 0xFFFFFF);
            const RECT all{0, 0, width, height};
            FillRect(dc, &all, background);
            DeleteObject(background);
            DrawIconEx(dc, 0, 0, LoadIconW(nullptr, candidate), 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
        });
        const long long distance = Distance(shown, drawn);
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}

}  // namespace

std::optional<MessageBoxSeen> FindMessageBox(DWORD pid, const wchar_t* title) {
    const HWND box = FindTopWindow(pid, L"#32770", title);
    if (!box || !IsWindowVisible(box)) return std::nullopt;
    MessageBoxSeen seen{box, {}, false};
    for (HWND child : Children(box)) {
        if (ClassOf(child) != L"Static") continue;
        if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) {
            seen.exclamation = ShownIcon(child) == IDI_EXCLAMATION;
        } else if (const std::wstring text = TextOf(child); !text.empty()) {
            seen.text = text;
        }
    }
    return seen;
}

void DismissMessageBox(HWND box) {
    if (const HWND ok = GetDlgItem(box, IDOK)) Click(ok);
    else PostMessageW(box, WM_COMMAND, IDOK, 0);
}

std::wstring WindowsPath(std::string_view path) {
    std::wstring windows = Widen(path);
    if (!windows.empty() && windows.front() == L'/') windows = L"Z:" + windows;
    for (wchar_t& c : windows)
        if (c == L'/') c = L'\\';
    return windows;
}

std::string ReadWholeFile(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) return {};
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(static_cast<bool>(file), "could not write " + Narrow(path));
}

}  // namespace e2e
