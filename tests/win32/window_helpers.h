// Helpers for tests that drive real windows under Wine: a watcher thread that answers the
// program's modal boxes, a message pump, the stand-in netsh, and scoped environment variables.
#pragma once
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "win32/message_pump.h"
#include "app/text_prompt_win32.h"
#include "netconfig/command_runner_win32.h"

namespace wintest {

inline std::wstring TextOf(HWND window) {
    if (!window) return {};
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    return name;
}

// Dispatches everything queued for this thread; a WM_QUIT left by a destroyed window is dropped.
inline void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

struct SeenDialog {
    std::wstring title;
    std::wstring text;  // the message, or the prompt's text
    bool icon = false;  // a visible icon beside the text
    std::vector<std::wstring> buttons;
    int focusId = 0;  // the control that has the keyboard focus when it shows
};

struct DialogAnswer {
    DialogAnswer(int button = IDOK, std::optional<std::wstring> typed = {}, std::wstring keys = {})
        : button(button), typed(std::move(typed)), keys(std::move(keys)) {}
    int button;                         // 0: the close box
    std::optional<std::wstring> typed;  // put into the prompt's edit first
    std::wstring keys;                  // then typed where the focus is ("\x1B": Escape)
};

struct TopLevelQuery {
    DWORD process;
    const wchar_t* className;
    bool visibleOnly;
    HWND found;
};

inline BOOL CALLBACK NoteTopLevel(HWND window, LPARAM param) {
    auto& q = *reinterpret_cast<TopLevelQuery*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != q.process || (q.visibleOnly && !::IsWindowVisible(window)) || ClassOf(window) != q.className)
        return TRUE;
    q.found = window;
    return FALSE;
}

// Finds a visible top-level window of the process with the given class.
inline HWND FindTopLevel(DWORD process, const wchar_t* className, bool visibleOnly = true) {
    TopLevelQuery query{process, className, visibleOnly, nullptr};
    ::EnumWindows(NoteTopLevel, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// Watches for dialogs of a process (this one unless told), notes what they show and answers
// each in turn (IDOK once the queued answers are used up).
class DialogWatcher {
public:
    explicit DialogWatcher(std::deque<DialogAnswer> answers = {}, DWORD process = ::GetCurrentProcessId())
        : answers_(std::move(answers)), process_(process), thread_([this] { Run(); }) {}
    ~DialogWatcher() {
        stop_ = true;
        thread_.join();
    }
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    [[nodiscard]] std::vector<SeenDialog> Seen() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    void Run() {
        HWND answered = nullptr;
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (answered && ::IsWindow(answered)) continue;  // wait until the last one has gone
            answered = nullptr;
            HWND dialog = FindTopLevel(process_, L"#32770");
            if (!dialog) continue;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));  // let it finish its init
            Answer(dialog);
            answered = dialog;
        }
    }

    void Answer(HWND dialog) {
        SeenDialog seen;
        seen.title = TextOf(dialog);
        HWND text = ::GetDlgItem(dialog, 0xFFFF);  // a message box's text
        if (!text) text = ::GetDlgItem(dialog, kPromptTextId);
        seen.text = TextOf(text);
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            const LONG style = ::GetWindowLongW(child, GWL_STYLE);
            if (ClassOf(child) == L"Static" || ClassOf(child) == L"STATIC") {
                if ((style & SS_TYPEMASK) == SS_ICON && ::IsWindowVisible(child) &&
                    ::SendMessageW(child, STM_GETICON, 0, 0) != 0)
                    seen.icon = true;
            } else if ((ClassOf(child) == L"Button" || ClassOf(child) == L"BUTTON") && ::IsWindowVisible(child)) {
                seen.buttons.push_back(TextOf(child));
            }
        }
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        if (::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &gui) && gui.hwndFocus)
            seen.focusId = ::GetDlgCtrlID(gui.hwndFocus);
        DialogAnswer answer;
        {
            std::lock_guard lock(mutex_);
            seen_.push_back(seen);
            if (!answers_.empty()) {
                answer = answers_.front();
                answers_.pop_front();
            }
        }
        if (answer.typed)
            ::SendMessageW(::GetDlgItem(dialog, kPromptEditId), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(answer.typed->c_str()));
        for (wchar_t c : answer.keys) {  // Escape as a key press, so the dialog's loop sees it
            if (c == L'\x1B')
                ::PostMessageW(gui.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 1);
            else
                ::PostMessageW(gui.hwndFocus, WM_CHAR, c, 1);
        }
        if (answer.button == 0)
            ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(dialog, answer.button)));
    }

    mutable std::mutex mutex_;
    std::deque<DialogAnswer> answers_;
    std::vector<SeenDialog> seen_;
    DWORD process_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedVariable() { ::SetEnvironmentVariableW(name_, nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* name_;
};

inline std::wstring SystemFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = L"";
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

// True for a 32-bit test program on 64-bit Windows (WOW64).
inline bool RunsUnderWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

// The stand-in built beside the test program.
inline std::wstring StandInNetsh() {
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring standIn = self;
    standIn.resize(standIn.find_last_of(L'\\') + 1);
    return standIn + L"stand_in_netsh.exe";
}

// The folder beside the test program whose netsh.exe is the stand-in (the build puts it there,
// and so does the test bundle). A runner given it never starts the system's netsh; one that does
// not find the stand-in there fails.
inline Win32RunnerCalls StandInCalls() {
    Win32RunnerCalls calls;
    calls.wait = win32::WaitKeepingWindowsPainted;
    const std::wstring standIn = StandInNetsh();
    calls.programFolder = standIn.substr(0, standIn.find_last_of(L'\\')) + L"\\stand-in";
    return calls;
}

// Why the stand-in may not go into the system folder here: only a Wine prefix may be changed so,
// and not during a run of the test bundle, which behaves as on a real PC.
inline std::optional<std::string> WhyNoSystemStandIn() {
    if (::GetEnvironmentVariableW(L"NETSCHEME_TEST_BUNDLE", nullptr, 0) != 0)
        return "the test bundle runs as on a real PC, where the system's netsh and cmd are never started";
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        return "not in a Wine prefix: on a real PC the system's netsh and cmd are never started";
    return std::nullopt;
}

// The exe the build made, as Windows names it (a Unix path when cross-built: Wine's Z: drive).
inline std::wstring BuiltExe() {
    const std::string built = NETSCHEME_EXE;
    std::wstring path(built.begin(), built.end());
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path.front() == L'\\' ? L"Z:" + path : path;
}

// Chinese words from another program come through only where the OEM code page holds them.
inline bool OemIs936() { return ::GetOEMCP() == 936; }

// For a test that needs the stand-in as the system's netsh (cmd finds it there, the exe starts
// it): skipped with the reason where that may not be, else the stand-in is put there.
#define NETSCHEME_NEEDS_SYSTEM_NETSH()                                            \
    do {                                                                          \
        if (const auto why = wintest::WhyNoSystemStandIn()) GTEST_SKIP() << *why; \
        ASSERT_TRUE(wintest::InstallStandInNetsh());                              \
    } while (0)

// Puts the stand-in where the native netsh.exe is: System32 as a 64-bit program sees it. Under
// WOW64 the copy goes there with the redirection to SysWOW64 turned off, whose netsh.exe stays
// Wine's stub, so a command that reaches the stand-in proves it started the native netsh.
inline bool InstallStandInNetsh() {
    PVOID redirection = nullptr;
    const bool wow64 = RunsUnderWow64() && ::Wow64DisableWow64FsRedirection(&redirection);
    const bool copied = ::CopyFileW(StandInNetsh().c_str(), SystemFile(L"netsh.exe").c_str(), FALSE) != 0;
    if (wow64) ::Wow64RevertWow64FsRedirection(redirection);
    return copied;
}

// Reads a UTF-8 file into lines (the stand-in's log).
inline std::vector<std::wstring> ReadLogLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string bytes(1 << 16, '\0');
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    size_t start = 0;
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = bytes.substr(start, end - start);
        std::wstring wide(line.size(), L'\0');
        wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                                              wide.data(), static_cast<int>(wide.size()))));
        lines.push_back(wide);
    }
    return lines;
}

}  // namespace wintest
