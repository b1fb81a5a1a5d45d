// Put where the system's netsh.exe is when the test bundle is tried out: a test that starts the
// system's netsh (which must never happen on a real PC) leaves its command line in
// C:\netscheme-decoy-netsh.txt, and fails, for tools/test.sh to find.
#include <windows.h>

int wmain() {
    HANDLE file = ::CreateFileW(L"C:\\netscheme-decoy-netsh.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const wchar_t* line = ::GetCommandLineW();
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(::lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
    return 1;
}
