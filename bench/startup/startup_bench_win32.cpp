// Start-up under Wine: process start to the welcome box, and its OK to the main window shown
// with the adapter list filled, for the tool and for a minimal program doing the same visible
// steps, alternating runs. Prints the medians and the ratios.
// Usage: startup_bench.exe <netscheme.exe> <minimal_startup.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Found {
    DWORD process;
    bool dialog;
    HWND window;
};

BOOL CALLBACK NoteWindowOf(HWND window, LPARAM param) {
    auto& f = *reinterpret_cast<Found*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    if (owner != f.process || !::IsWindowVisible(window) || (std::wstring(name) == L"#32770") != f.dialog) return TRUE;
    f.window = window;
    return FALSE;
}

HWND FindWindowOf(DWORD process, bool dialog) {
    Found found{process, dialog, nullptr};
    ::EnumWindows(NoteWindowOf, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

template <typename Condition>
HWND Poll(Condition condition) {
    const auto end = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < end) {
        if (HWND window = condition()) return window;
        ::Sleep(1);
    }
    return nullptr;
}

struct Run {
    double welcome = 0;  // ms from CreateProcess to the welcome box shown
    double window = 0;   // ms from OK to the main window shown
};

// Empty when both windows came and the program ended once closed; otherwise what went wrong.
// OK is pressed `okAfter` after the box shows: at once, or as a person who reads it.
std::string StartOnce(const std::wstring& exe, DWORD okAfter, Run& run) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + exe + L"\"";
    const auto start = Clock::now();
    if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return "could not be started (error " + std::to_string(::GetLastError()) + ")";
    HWND box = Poll([&] { return FindWindowOf(info.dwProcessId, true); });
    const auto appeared = Clock::now();
    if (box && okAfter) ::Sleep(okAfter);
    const auto shown = Clock::now();
    if (box) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main = box ? Poll([&] { return FindWindowOf(info.dwProcessId, false); }) : nullptr;
    const auto ready = Clock::now();
    if (main) ::PostMessageW(main, WM_CLOSE, 0, 0);
    const bool ended = ::WaitForSingleObject(info.hProcess, box && main ? 10000 : 0) == WAIT_OBJECT_0;
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    if (!ended) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    run.welcome = std::chrono::duration<double, std::milli>(appeared - start).count();
    run.window = std::chrono::duration<double, std::milli>(ready - shown).count();
    const std::string state = ended ? "it had ended with code " + std::to_string(code) : "it was still running";
    if (!box) return "showed no message box within 20 s; " + state;
    if (!main) return "showed no main window within 20 s of OK; " + state;
    if (!ended) return "did not end within 10 s of being closed";
    return {};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench <netscheme.exe> <minimal_startup.exe> [runs]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 15;
    // Copies in a fresh folder each, so neither finds a scheme file or listing of the other.
    const auto root = std::filesystem::temp_directory_path() / "startup-bench";
    std::vector<std::wstring> programs;
    for (int i = 1; i <= 2; ++i) {
        const auto folder = root / std::to_wstring(i);
        std::filesystem::create_directories(folder);
        const auto copy = folder / std::filesystem::path(argv[i]).filename();
        std::filesystem::copy_file(argv[i], copy, std::filesystem::copy_options::overwrite_existing);
        programs.push_back(copy.wstring());
    }
    constexpr DWORD kReading = 500;  // how long a person looks at the box before pressing OK
    std::vector<double> welcome[2], atOnce[2], afterReading[2];
    Run warm;
    StartOnce(programs[0], 0, warm);  // the first Wine start of anything pays for loading Wine itself
    StartOnce(programs[1], 0, warm);
    for (int r = 0; r < runs; ++r) {
        for (DWORD okAfter : {DWORD{0}, kReading}) {
            for (int p = 0; p < 2; ++p) {
                Run run;
                const std::string failed = StartOnce(programs[p], okAfter, run);
                if (!failed.empty()) {
                    std::fprintf(stderr, "run %d of program %d (OK after %lu ms) %s\n", r + 1, p + 1,
                                 static_cast<unsigned long>(okAfter), failed.c_str());
                    return 1;
                }
                welcome[p].push_back(run.welcome);
                (okAfter ? afterReading : atOnce)[p].push_back(run.window);
            }
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    std::printf("runs: %d each per way of pressing OK, medians in ms\n", runs);
    std::printf("%-36s %10s %10s %8s\n", "", "tool", "minimal", "ratio");
    auto row = [](const char* phase, const std::vector<double>* values) {
        const double tool = Median(values[0]), minimal = Median(values[1]);
        std::printf("%-36s %10.1f %10.1f %8.2f\n", phase, tool, minimal, tool / minimal);
    };
    row("start -> welcome box", welcome);
    row("OK after 0.5 s -> window, adapters", afterReading);
    row("OK at once -> window, adapters", atOnce);
    return 0;
}
