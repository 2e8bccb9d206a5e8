#include "e2e/probe.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {

void Require(bool ok, const std::string& what) {
    if (!ok) throw Failure(what);
}

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
    for (const ULONGLONG end = GetTickCount64() + timeoutMs; !ready(); Sleep(20))
        if (GetTickCount64() >= end) return false;
    return true;
}

bool HoldsFor(const std::function<bool()>& condition, DWORD ms) {
    for (const ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; Sleep(20))
        if (!condition()) return false;
    return condition();
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
    return std::wstring(name, static_cast<std::size_t>(std::max(GetClassNameW(window, name, 256), 0)));
}

namespace {

// Gathers what EnumWindows or EnumChildWindows hands out.
BOOL CALLBACK Collect(HWND window, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className, const wchar_t* title) {
    std::vector<HWND> all, found;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((!pid || owner == pid) && (!className || ClassOf(window) == className) &&
            (!title || TextOf(window) == title))
            found.push_back(window);
    }
    return found;
}

HWND ChildWithText(HWND parent, std::wstring_view text) {
    for (HWND child : Children(parent))
        if (TextOf(child) == text) return child;
    return nullptr;
}

RECT RectInParent(HWND child) {
    RECT rect = WindowRect(child);
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
    return GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) ? info.hwndFocus : nullptr;
}

void PressKey(HWND target, UINT virtualKey) {
    const LPARAM scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) << 16;
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | scan);
    PostMessageW(target, WM_KEYUP, virtualKey, 1 | scan | (3u << 30));
}

namespace {

// 32-bit pixels of `width` x `height`, drawn by `paint` into a memory DC.
std::vector<DWORD> Pixels(int width, int height, const std::function<void(HDC)>& paint) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
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

// Which of the system's message box icons an icon control shows, by its
// pixels on screen (the nearest drawing): the icon handle of another
// process says nothing here.
const wchar_t* ShownIcon(HWND iconControl) {
    const RECT rect = WindowRect(iconControl);
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
        long long distance = 0;
        for (std::size_t i = 0; i < shown.size(); ++i)
            for (int shift : {0, 8, 16})
                distance += std::abs(int((shown[i] >> shift) & 0xFF) - int((drawn[i] >> shift) & 0xFF));
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}

}  // namespace

std::optional<MessageBoxSeen> FindMessageBox(DWORD pid, const wchar_t* title) {
    const auto boxes = TopWindows(pid, L"#32770", title);
    if (boxes.empty() || !IsWindowVisible(boxes.front())) return std::nullopt;
    MessageBoxSeen seen{boxes.front(), {}, false};
    for (HWND child : Children(seen.window)) {
        if (ClassOf(child) != L"Static") continue;
        if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) seen.exclamation = ShownIcon(child) == IDI_EXCLAMATION;
        else if (std::wstring text = TextOf(child); !text.empty()) seen.text = std::move(text);
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
    std::replace(windows.begin(), windows.end(), L'/', L'\\');
    return windows;
}

std::string ReadWholeFile(const std::wstring& path) {
    std::ostringstream bytes;
    if (std::ifstream file{std::filesystem::path(path), std::ios::binary}) bytes << file.rdbuf();
    return bytes.str();
}

void WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(static_cast<bool>(file), "could not write " + Narrow(path));
}

}  // namespace e2e
