// Starts the program named by its arguments with the rest of them, waits for it, and ends with its
// exit code. Its error mode is inherited: where Windows cannot load the program (a function or a
// DLL this Windows lacks), the loader then returns an exit code instead of a box that stops the run.
#include <windows.h>

namespace {

// What follows the first argument (this program), as the command line of the one it starts.
const wchar_t* RestOfCommandLine(const wchar_t* line) {
    bool quoted = false;
    for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
        if (*line == L'"') quoted = !quoted;
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

}  // namespace

int wmain() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const wchar_t* rest = RestOfCommandLine(::GetCommandLineW());
    const int length = ::lstrlenW(rest);
    if (length == 0) return 2;
    wchar_t* line = static_cast<wchar_t*>(::HeapAlloc(::GetProcessHeap(), 0, (length + 1) * sizeof(wchar_t)));
    if (!line) return 2;
    ::lstrcpyW(line, rest);  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) return 3;
    ::WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 3;
    ::GetExitCodeProcess(started.hProcess, &code);
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return static_cast<int>(code);
}
