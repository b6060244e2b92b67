#include "tests/windows/support/window_tree.h"

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool IsClass(HWND window, const std::wstring& className) {
    const std::wstring name = ClassOf(window);
    const size_t bang = name.find(L'!');
    return _wcsicmp((bang == std::wstring::npos ? name : name.substr(bang + 1)).c_str(), className.c_str()) == 0;
}

bool HasFocus(HWND control) {
    const HWND focus = GetFocus();
    return control && focus && (focus == control || IsChild(control, focus));
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::vector<HWND> VisibleChildrenOf(HWND parent) {
    std::vector<HWND> children = ChildrenOf(parent);
    std::erase_if(children, [](HWND child) { return !IsWindowVisible(child); });
    return children;
}

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

HWND ChildWindow(HWND parent, const std::wstring& className, const std::wstring& text, int nth) {
    for (HWND child : ChildrenOf(parent)) {
        if (!IsClass(child, className)) continue;
        if (!text.empty() && TextOf(child) != text) continue;
        if (nth-- == 0) return child;
    }
    return nullptr;
}

HWND VisibleChild(HWND parent, const std::wstring& text) {
    for (HWND child : ChildrenOf(parent))
        if (IsWindowVisible(child) && TextOf(child) == text) return child;
    return nullptr;
}

namespace {
struct Search {
    const std::function<bool(HWND)>* matches;
    HWND found = nullptr;
};
BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    if (!(*search.matches)(window)) return TRUE;
    search.found = window;
    return FALSE;
}
}  // namespace

HWND ThreadWindow(const std::function<bool(HWND)>& matches) {
    Search search{&matches};
    EnumThreadWindows(GetCurrentThreadId(), &Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PostKey(WPARAM key, HWND window) {
    if (!window) window = GetFocus();
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(window, WM_KEYUP, key, 0xC0000001 | (scan << 16));
}

void PostChars(const std::wstring& text, HWND window) {
    for (wchar_t c : text) PostMessageW(window ? window : GetFocus(), WM_CHAR, c, 1);
}

void PostAccessKey(wchar_t key, HWND window) {
    PostMessageW(window ? window : GetFocus(), WM_SYSCHAR, key, 1 << 29);
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD key, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD key : keys) add(key, 0);
    for (auto it = keys.end(); it != keys.begin();) add(*--it, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Click(HWND window, POINT at) {
    const LPARAM point = MAKELPARAM(at.x, at.y);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(window, WM_LBUTTONUP, 0, point);
}
