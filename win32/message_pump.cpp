#include "message_pump.h"

#include <algorithm>

namespace win32 {

namespace {
constexpr wchar_t kUsableWhileWaiting[] = L"NetScheme.UsableWhileWaiting";
}

void MarkUsableWhileWaiting(HWND window, bool usable) {
    if (usable)
        ::SetPropW(window, kUsableWhileWaiting, reinterpret_cast<HANDLE>(1));
    else
        ::RemovePropW(window, kUsableWhileWaiting);
}

void DispatchAllButInput(std::optional<WPARAM>& quit) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = msg.wParam;
            continue;
        }
        const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                           (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
        // Alt+F4 closes the program like the close box (DefWindowProc makes it SC_CLOSE).
        const bool altF4 = msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4;
        if (input && !altF4 && !(msg.hwnd && ::GetPropW(msg.hwnd, kUsableWhileWaiting))) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PostHeldQuit(const std::optional<WPARAM>& quit) {
    if (quit) ::PostQuitMessage(static_cast<int>(*quit));
}

bool WaitKeepingWindowsPainted(HANDLE object, DWORD milliseconds, DWORD slice, const std::function<bool()>& done) {
    std::optional<WPARAM> quit;
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    for (ULONGLONG now = ::GetTickCount64(); !done() && now < deadline && !quit; now = ::GetTickCount64()) {
        const DWORD left = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, slice));
        if (::MsgWaitForMultipleObjectsEx(object ? 1 : 0, object ? &object : nullptr, left, QS_ALLINPUT,
                                          MWMO_INPUTAVAILABLE) == (object ? WAIT_OBJECT_0 + 1 : WAIT_OBJECT_0))
            DispatchAllButInput(quit);
    }
    PostHeldQuit(quit);
    return !quit;
}

bool PauseKeepingWindowsPainted(DWORD milliseconds) {
    return WaitKeepingWindowsPainted(nullptr, milliseconds, milliseconds, [] { return false; });
}

}  // namespace win32
