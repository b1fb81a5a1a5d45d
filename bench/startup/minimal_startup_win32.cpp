// The least a program can do for the same visible start-up: a message box, then the same
// listing child awaited, then a window. It carries the tool's manifest (common controls 6, the
// visual styles) and starts the same native cmd. The start-up benchmark measures the tool
// against it.
#include <windows.h>

#include <string>

#include "win32/system_text.h"

namespace {

LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(window, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder = self;
    folder.resize(folder.find_last_of(L'\\'));
    const std::wstring system = win32::SystemFolder();

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = L"cmd.exe /d /v:off /c netsh interface show interface  >\"" + folder + L"\\ls.txt\"";
    const std::wstring cmd = win32::NativeProgramFolder() + L"\\cmd.exe";
    const BOOL started = ::CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                          system.c_str(), &startup, &info);
    ::MessageBoxW(nullptr, L"欢迎", L"minimal", MB_OK);
    if (started) {
        ::WaitForSingleObject(info.hProcess, 10000);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
    ::DeleteFileW((folder + L"\\ls.txt").c_str());

    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"MinimalStartup";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"minimal", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100, 100,
                                    400, 400, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOW);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
