// The built exe as a user gets it: its resources and imports, and a whole start-up from a copy
// in a folder with an awkward name, with the stand-in netsh answering the listing.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/main_window_win32.h"
#include "fakes/temp_folder.h"
#include "win32/system_text.h"
#include "window_helpers.h"

namespace {

using namespace std::chrono_literals;

std::wstring ProgramPath() {
    const std::string built = NETSCHEME_EXE;  // a Unix path when cross-built: Wine's Z: drive
    std::wstring path(built.begin(), built.end());
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path.front() == L'\\' ? L"Z:" + path : path;
}

std::string Resource(HMODULE module, const wchar_t* type, int id) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    const void* data = ::LockResource(::LoadResource(module, found));
    return std::string(static_cast<const char*>(data), ::SizeofResource(module, found));
}

struct Import {
    std::string dll;
    std::string function;  // empty for an import by ordinal
};

// The import table, read from the file itself: PE32 (x86) or PE32+ (x64).
std::vector<Import> ImportsOf(const std::string& image) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
    const bool pe32plus = nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const auto* nt64 = reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt);
    const IMAGE_DATA_DIRECTORY& directory = pe32plus ? nt64->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
                                                     : nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        reinterpret_cast<const char*>(&nt->OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader);
    auto at = [&](DWORD rva) -> const char* {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i)
            if (rva >= sections[i].VirtualAddress && rva < sections[i].VirtualAddress + sections[i].Misc.VirtualSize)
                return image.data() + (rva - sections[i].VirtualAddress + sections[i].PointerToRawData);
        return nullptr;
    };
    std::vector<Import> imports;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(directory.VirtualAddress));
         entry && entry->Name; ++entry) {
        const std::string dll = at(entry->Name);
        const DWORD thunks = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
        for (size_t i = 0;; ++i) {
            const ULONGLONG thunk = pe32plus ? reinterpret_cast<const ULONGLONG*>(at(thunks))[i]
                                             : reinterpret_cast<const DWORD*>(at(thunks))[i];
            if (thunk == 0) break;
            const bool byOrdinal = pe32plus ? (thunk & IMAGE_ORDINAL_FLAG64) != 0 : (thunk & IMAGE_ORDINAL_FLAG32) != 0;
            imports.push_back({dll, byOrdinal ? std::string() : std::string(at(static_cast<DWORD>(thunk)) + 2)});
        }
    }
    return imports;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(Program, CarriesTheIconVersionBlockAndAManifestThatAsksForNoRaisedRights) {
    HMODULE module =
        ::LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << ::GetLastError();
    const std::string manifest = Resource(module, RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
    // One manifest for both exes, and Windows 7 to 11 named, so none of them runs it in an
    // older compatibility mode.
    EXPECT_NE(manifest.find("name=\"NetScheme\" version=\"1.0.0.0\" processorArchitecture=\"*\""), std::string::npos);
    for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(os), std::string::npos) << os;

    const std::string icons = Resource(module, RT_GROUP_ICON, 1);
    ASSERT_GE(icons.size(), 6u);
    const auto count = static_cast<unsigned char>(icons[4]);
    bool has32 = false;
    for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= icons.size(); ++i)
        has32 = has32 || (icons[6 + 14 * i] == 32 && icons[6 + 14 * i + 1] == 32);
    EXPECT_TRUE(has32);

    const std::string version = Resource(module, RT_VERSION, 1);
    const std::wstring wide(reinterpret_cast<const wchar_t*>(version.data()), version.size() / sizeof(wchar_t));
    EXPECT_NE(wide.find(L"080404b0"), std::wstring::npos);
    EXPECT_NE(wide.find(L"网络方案切换"), std::wstring::npos);
    ::FreeLibrary(module);
}

// Only known DLLs (always loaded from System32) and comctl32 (redirected by the manifest): any
// other import would be looked for in the user-writable program folder first. They are also
// all on Windows 7 SP1, unlike shcore, the api-ms-win-* sets and ucrtbase.
TEST(Program, ImportsOnlyDllsThatCannotBePlantedInItsFolder) {
    const auto imports = ImportsOf(ReadBytes(std::filesystem::path(ProgramPath())));
    EXPECT_FALSE(imports.empty());
    const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                              "msvcrt.dll",   "advapi32.dll", "comctl32.dll"};
    for (const Import& import : imports) {
        const std::wstring path = win32::SystemFolder() + L"\\" + std::wstring(import.dll.begin(), import.dll.end());
        EXPECT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << import.dll;
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), Lower(import.dll)), allowed.end()) << import.dll;
    }
}

// Functions of those DLLs that Windows 7 SP1 lacks, with the "Minimum supported client" of
// Microsoft's page for each. An import of one makes the loader refuse to start the exe there
// ("无法定位程序输入点"): such a function must be looked up at run time.
const char* const kNewerThanWindows7[] = {
    // Windows 8; on Windows 7 only with KB2533623
    "SetDefaultDllDirectories",
    "AddDllDirectory",
    "RemoveDllDirectory",
    // Windows 8
    "CreateFile2",
    "CopyFile2",
    "GetSystemTimePreciseAsFileTime",
    "GetOverlappedResultEx",
    "WaitOnAddress",
    "WakeByAddressSingle",
    "WakeByAddressAll",
    "InitializeSynchronizationBarrier",
    "EnterSynchronizationBarrier",
    "PrefetchVirtualMemory",
    "GetCurrentThreadStackLimits",
    "SetProcessMitigationPolicy",
    "GetProcessMitigationPolicy",
    "CreateFileMappingFromApp",
    "MapViewOfFileFromApp",
    "GetFirmwareType",
    "GetPointerType",
    "GetPointerInfo",
    "IsImmersiveProcess",
    "EnableMouseInPointer",
    "GetCurrentInputMessageSource",
    // Windows 8.1
    "LogicalToPhysicalPointForPerMonitorDPI",
    "PhysicalToLogicalPointForPerMonitorDPI",
    "GetDpiForMonitor",
    "SetProcessDpiAwareness",
    "GetProcessDpiAwareness",
    "GetScaleFactorForMonitor",
    // Windows 10, version 1607
    "GetDpiForWindow",
    "GetDpiForSystem",
    "AdjustWindowRectExForDpi",
    "SystemParametersInfoForDpi",
    "EnableNonClientDpiScaling",
    "GetSystemMetricsForDpi",
    "SetThreadDpiAwarenessContext",
    "GetThreadDpiAwarenessContext",
    "GetWindowDpiAwarenessContext",
    "GetAwarenessFromDpiAwarenessContext",
    "AreDpiAwarenessContextsEqual",
    "IsValidDpiAwarenessContext",
    "SetThreadDescription",
    "GetThreadDescription",
    // Windows 10, version 1703
    "SetProcessDpiAwarenessContext",
    // Windows 10, version 1803
    "GetDpiFromDpiAwarenessContext",
    "GetSystemDpiForProcess",
    "SetThreadDpiHostingBehavior",
};

TEST(Program, ImportsNoFunctionThatWindows7Lacks) {
    const auto imports = ImportsOf(ReadBytes(std::filesystem::path(ProgramPath())));
    ASSERT_GT(imports.size(), 50u);  // the table was read, not skipped
    for (const Import& import : imports)
        for (const char* newer : kNewerThanWindows7) EXPECT_NE(import.function, newer) << import.dll;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        if (::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 255)
            ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds bound = 10s) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        ::Sleep(20);
    }
    return true;
}

// Runs a copy of the exe to its main window, answers the welcome box, and closes it again.
void RunToMainWindow(const std::wstring& exe, const std::wstring& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + exe + L"\"";
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                                 &startup, &info));
    {
        wintest::DialogWatcher watcher({}, info.dwProcessId);
        EXPECT_TRUE(WaitFor([&] { return wintest::FindTopLevel(info.dwProcessId, kMainWindowClass) != nullptr; }));
    }
    ::PostMessageW(wintest::FindTopLevel(info.dwProcessId, kMainWindowClass), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(::WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    ::TerminateProcess(info.hProcess, 1);  // only if it is still there
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
}

// DLLs planted beside the exe under the names of system DLLs it uses are never loaded.
TEST(Program, LoadsNoDllPlantedInItsFolder) {
    TempFolder folder;
    const std::wstring exe = folder / "netscheme.exe";
    ASSERT_TRUE(::CopyFileW(ProgramPath().c_str(), exe.c_str(), FALSE));
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring planted = std::filesystem::path(self).parent_path() / "planted_dll.dll";
    const std::vector<std::string> names = {"shcore.dll", "uxtheme.dll", "version.dll",
                                            "dwmapi.dll", "msimg32.dll", "imm32.dll"};
    for (const std::string& name : names) ASSERT_TRUE(::CopyFileW(planted.c_str(), (folder / name).c_str(), FALSE));

    // The planted DLL does leave its mark when it is loaded.
    const std::wstring probe = folder / "probe.dll";
    ASSERT_TRUE(::CopyFileW(planted.c_str(), probe.c_str(), FALSE));
    HMODULE loaded = ::LoadLibraryW(probe.c_str());
    ASSERT_NE(loaded, nullptr);
    ::FreeLibrary(loaded);
    ASSERT_TRUE(std::filesystem::exists(folder / "probe.dll.loaded"));

    RunToMainWindow(exe, folder.path().wstring());
    for (const std::string& name : names) EXPECT_FALSE(std::filesystem::exists(folder / (name + ".loaded"))) << name;
}

// From a copy of the exe: welcome box while the window is hidden, then the window with the
// schemes and the adapters listed, the listing file gone, and the close box ends it cleanly.
TEST(Program, StartsUpFromAFolderWithAnAwkwardName) {
    ASSERT_TRUE(wintest::InstallStandInNetsh());
    TempFolder root;
    wintest::ScopedVariable log(L"NETSH_STANDIN_LOG", root / "netsh.log");
    for (const std::wstring name : {L"网络 工具 (1)&^", L"x%OS%y"}) {
        const std::filesystem::path folder = root.path() / name;
        SCOPED_TRACE(folder);
        std::filesystem::create_directories(folder);
        const std::wstring exe = (folder / "netscheme.exe").wstring();
        ASSERT_TRUE(::CopyFileW(ProgramPath().c_str(), exe.c_str(), FALSE));
        WriteBytes(folder / "ui.kvo", "name:home\r\nIP:192.168.1.20\r\n");
        WriteBytes(folder / "ls.txt", "left over\r\n");

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::wstring line = L"\"" + exe + L"\"";
        ASSERT_TRUE(::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     root.path().wstring().c_str(), &startup, &info));
        bool hiddenDuringWelcome = false;
        std::vector<wintest::SeenDialog> seen;
        {
            wintest::DialogWatcher watcher({}, info.dwProcessId);
            EXPECT_TRUE(WaitFor([&] {
                HWND main = wintest::FindTopLevel(info.dwProcessId, kMainWindowClass, false);
                if (!watcher.Seen().empty() || !wintest::FindTopLevel(info.dwProcessId, L"#32770")) return false;
                hiddenDuringWelcome = main && !::IsWindowVisible(main);
                return true;
            }));
            EXPECT_TRUE(WaitFor([&] { return wintest::FindTopLevel(info.dwProcessId, kMainWindowClass) != nullptr; }));
            seen = watcher.Seen();
        }
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text.rfind(L"欢迎使用，欢迎指正，不定时更新。\r\n", 0), 0u);
        EXPECT_TRUE(hiddenDuringWelcome);

        HWND main = wintest::FindTopLevel(info.dwProcessId, kMainWindowClass);
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(ComboItems(::GetDlgItem(main, static_cast<int>(ControlId::Combo2))),
                  (std::vector<std::wstring>{L"以太网", L"WLAN2"}));
        EXPECT_EQ(ComboItems(::GetDlgItem(main, static_cast<int>(ControlId::Combo1))),
                  std::vector<std::wstring>{L"home"});
        EXPECT_FALSE(std::filesystem::exists(folder / "ls.txt"));
        EXPECT_EQ(ReadBytes(folder / "ui.kvo"), "name:home\r\nIP:192.168.1.20\r\n");

        // The manifest's awareness, seen on its window (Wine answers unaware for other processes).
        EXPECT_EQ(::GetAwarenessFromDpiAwarenessContext(::GetWindowDpiAwarenessContext(main)),
                  DPI_AWARENESS_PER_MONITOR_AWARE);

        ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(::WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
        DWORD code = 99;
        ::GetExitCodeProcess(info.hProcess, &code);
        EXPECT_EQ(code, 0u);
        ::TerminateProcess(info.hProcess, 1);  // only if it is still there
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
    const auto lines = wintest::ReadLogLines(root / "netsh.log");
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"line:netsh interface show interface  "), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"line:netsh.exe interface show interface"), lines.end());
}

}  // namespace
