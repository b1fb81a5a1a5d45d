// Start-up: lock down where DLLs come from, create the window hidden, run Form_Load, show it.
#include <windows.h>
#include <commctrl.h>

#include "clock_win32.h"
#include "main_window_win32.h"
#include "netconfig/adapter_reader_win32.h"
#include "netconfig/command_runner_win32.h"
#include "netconfig/copy_protocol.h"
#include "netconfig/elevated_copy_win32.h"
#include "netconfig/elevating_runner_win32.h"
#include "textfile/file_system_win32.h"
#include "win32/message_pump.h"
#include "win32/system_library.h"
#include "win32/system_text.h"

namespace {

// A DLL planted in the user-writable program folder must never be loaded. Windows 7 without
// KB2533623 has no SetDefaultDllDirectories: there the current folder at least goes.
void RestrictDllSearch() {
    if (auto restrict = win32::LoadedFunction<BOOL WINAPI(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories"))
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
        ::SetDllDirectoryW(L"");
    ::SetSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

// comctl32 is no known DLL: imported, the loader would look for it beside the exe first. Loaded by
// name once the search is restricted, the manifest's version 6 comes from WinSxS (Windows 7
// without KB2533623 takes no LOAD_LIBRARY_SEARCH_SYSTEM32, and the redirection comes first there too).
win32::UniqueLibrary InitialiseCommonControls() {
    win32::UniqueLibrary comctl32(::LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!comctl32) comctl32.reset(::LoadLibraryW(L"comctl32.dll"));
    using InitCommonControlsExCall = BOOL WINAPI(const INITCOMMONCONTROLSEX*);
    if (const auto init = win32::FunctionOf<InitCommonControlsExCall>(comctl32.get(), "InitCommonControlsEx")) {
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        init(&controls);
    }
    return comctl32;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictDllSearch();
    // The elevated copy that runs a click's changes for a window without the rights: no window.
    const std::vector<std::wstring> words = CommandLineWords(::GetCommandLineW());
    if (words.size() > 1 && words[1] == kElevatedMode)
        return RunElevatedCopy(std::vector<std::wstring>(words.begin() + 2, words.end()));
    const win32::UniqueLibrary comctl32 = InitialiseCommonControls();  // loaded as long as the window lives

    // Every wait below the window keeps it painting: a slow netsh, adapter read, file or lock.
    auto runner = MakeSystemCommandRunner(win32::WaitKeepingWindowsPainted);
    // Where the address commands run, decided once: here, in elevated copies, or nowhere (a policy).
    auto changes = MakeChangeRunner(*runner, win32::WaitKeepingWindowsPainted);
    auto reader = MakeSystemAdapterReader(win32::WaitKeepingWindowsPainted);
    Win32FileCalls fileCalls;
    fileCalls.wait = win32::WaitKeepingWindowsPainted;
    auto fs = MakeWin32FileSystem(fileCalls);
    SystemClock clock;
    const std::wstring folder = win32::ProgramFolder();
    MainWindow window(*runner, *changes, *reader, *fs, clock, {folder, win32::IsInTemporaryFolder(folder)});
    if (const Status made = window.Create(); !made.ok()) {
        const std::wstring title(kProgramTitle);
        ::MessageBoxW(nullptr, (L"无法创建主窗口。\r\n" + made.detail()).c_str(), title.c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }
    window.LoadAndShow();
    return RunMessageLoop(window);
}
