// The built exe as a user runs it: a whole start-up from a copy in a folder with an awkward name,
// with the stand-in netsh answering the listing. Its file is read in tests/exe.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/main_window_win32.h"
#include "fakes/temp_folder.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"
#include "win32/system_library.h"
#include "window_helpers.h"

namespace {

using namespace std::chrono_literals;

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

// Where a zip program opens the exe: the user's temporary folder, by any spelling of its name.
TEST(Program, KnowsWhenItRunsFromTheTemporaryFolder) {
    TempFolder folder;
    std::wstring upper = folder.path().wstring();
    std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
    EXPECT_TRUE(win32::IsInTemporaryFolder(folder.path().wstring()));
    EXPECT_TRUE(win32::IsInTemporaryFolder(upper));
    EXPECT_FALSE(win32::IsInTemporaryFolder(win32::SystemFolder()));
    const std::wstring temp = folder.path().parent_path().wstring();
    EXPECT_TRUE(win32::IsInTemporaryFolder(temp));
    EXPECT_FALSE(win32::IsInTemporaryFolder(temp + L"orary"));  // a sibling whose name starts the same
    // A TMP as broad as a drive: only an archive program's folder there, and another user's Temp.
    wintest::ScopedVariable broad(L"TMP", L"C:\\");
    EXPECT_FALSE(win32::IsInTemporaryFolder(L"C:\\tools"));
    EXPECT_TRUE(win32::IsInTemporaryFolder(L"C:\\Rar$EXa1234.5678\\x"));
    EXPECT_TRUE(win32::IsInTemporaryFolder(L"C:\\Users\\admin\\AppData\\Local\\Temp\\7zO1.tmp"));
}

// DLLs planted beside the exe under the names of system DLLs it uses are never loaded.
TEST(Program, LoadsNoDllPlantedInItsFolder) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();  // the exe starts its listing
    TempFolder folder;
    const std::wstring exe = folder / "netscheme.exe";
    ASSERT_TRUE(::CopyFileW(wintest::BuiltExe().c_str(), exe.c_str(), FALSE));
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
    NETSCHEME_NEEDS_SYSTEM_NETSH();
    TempFolder root;
    wintest::ScopedVariable log(L"NETSH_STANDIN_LOG", root / "netsh.log");
    for (const std::wstring name : {L"网络 工具 (1)&^", L"x%OS%y"}) {
        const std::filesystem::path folder = root.path() / name;
        SCOPED_TRACE(folder);
        std::filesystem::create_directories(folder);
        const std::wstring exe = (folder / "netscheme.exe").wstring();
        ASSERT_TRUE(::CopyFileW(wintest::BuiltExe().c_str(), exe.c_str(), FALSE));
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
        // Windows 10 1607 brought these two: looked up, so the program still loads on Windows 7.
        using ContextOf = DPI_AWARENESS_CONTEXT WINAPI(HWND);
        using AwarenessOf = DPI_AWARENESS WINAPI(DPI_AWARENESS_CONTEXT);
        const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        const auto contextOf = win32::FunctionOf<ContextOf>(user32, "GetWindowDpiAwarenessContext");
        const auto awarenessOf = win32::FunctionOf<AwarenessOf>(user32, "GetAwarenessFromDpiAwarenessContext");
        if (contextOf && awarenessOf) {
            EXPECT_EQ(awarenessOf(contextOf(main)), DPI_AWARENESS_PER_MONITOR_AWARE);
        }

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

// Windows' default, which Wine's prefix turns off, for as long as it lives.
class UacOn {
public:
    UacOn() {
        HKEY key = nullptr;
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", 0,
                          nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
        key_.reset(key);
        DWORD size = sizeof old_;
        had_ = ::RegQueryValueExW(key_.get(), L"EnableLUA", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        const DWORD on = 1;
        ::RegSetValueExW(key_.get(), L"EnableLUA", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    }
    ~UacOn() {
        if (had_)
            ::RegSetValueExW(key_.get(), L"EnableLUA", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else
            ::RegDeleteValueW(key_.get(), L"EnableLUA");
    }
    UacOn(const UacOn&) = delete;
    UacOn& operator=(const UacOn&) = delete;

private:
    win32::UniqueKey key_;
    DWORD old_ = 0;
    bool had_ = false;
};

// Started with the limited token an administrator's double-click gives (Wine runs every program
// with its full token), 修改为DHCP runs its lines in a second process of the same exe, and the
// window shows netsh's Chinese words as it would have itself, without blaming missing rights; no
// process is left behind.
TEST(Program, WithoutRightsAClickRunsTheLinesInAnElevatedCopyOfItself) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();
    HANDLE own = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &own));
    const win32::UniqueHandle ownToken(own);
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (!::GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size))
        GTEST_SKIP() << "this Wine gives no linked token";
    const win32::UniqueHandle linkedToken(linked.LinkedToken);
    HANDLE primary = nullptr;
    ASSERT_TRUE(::DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                                   &primary));
    const win32::UniqueHandle limited(primary);
    const UacOn uac;

    TempFolder root;
    const std::wstring exe = root / "netscheme.exe";
    ASSERT_TRUE(::CopyFileW(wintest::BuiltExe().c_str(), exe.c_str(), FALSE));
    wintest::ScopedVariable log(L"NETSH_STANDIN_LOG", root / "netsh.log");
    wintest::ScopedVariable said(L"NETSH_STANDIN_OUTPUT", L"请求的操作需要提升。");
    wintest::ScopedVariable failed(L"NETSH_STANDIN_EXIT", L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + exe + L"\"";
    ASSERT_TRUE(::CreateProcessAsUserW(limited.get(), exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                       root.path().wstring().c_str(), &startup, &info));
    const win32::UniqueHandle process(info.hProcess), thread(info.hThread);
    std::vector<wintest::SeenDialog> seen;
    {
        wintest::DialogWatcher watcher({}, info.dwProcessId);
        HWND main = nullptr;
        ASSERT_TRUE(
            WaitFor([&] { return (main = wintest::FindTopLevel(info.dwProcessId, kMainWindowClass)) != nullptr; }));
        ::PostMessageW(::GetDlgItem(main, static_cast<int>(ControlId::Command4)), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return watcher.Seen().size() == 2; }, 30s));
        seen = watcher.Seen();
        ::PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
    ASSERT_EQ(seen.size(), 2u);  // the welcome, then the change's
    EXPECT_NE(
        seen[1].text.find(L"Netsh interface ip set address Name=以太网 Source=dhcp\r\n退出代码 1。netsh 的输出：\r\n"
                          L"请求的操作需要提升。"),
        std::wstring::npos);
    // The lines ran with the rights: netsh's words are the cause, never "run as administrator".
    EXPECT_EQ(seen[1].text.find(L"以管理员身份运行"), std::wstring::npos);
    const auto entries = wintest::ReadLogLines(root / "netsh.log");
    std::vector<std::wstring> parents;
    for (const std::wstring& entry : entries)
        if (entry.starts_with(L"parent:")) parents.push_back(entry.substr(7));
    ASSERT_FALSE(parents.empty());
    // The change's lines came from another process than the window (its listings from the window).
    const std::wstring window = std::to_wstring(info.dwProcessId);
    EXPECT_NE(std::count(parents.begin(), parents.end(), window), static_cast<long>(parents.size()));
    for (const std::wstring& parent : parents) {
        const win32::UniqueHandle copy(::OpenProcess(SYNCHRONIZE, FALSE, std::stoul(parent)));
        const DWORD ended = copy ? ::WaitForSingleObject(copy.get(), 10000) : WAIT_OBJECT_0;  // gone already
        EXPECT_EQ(ended, WAIT_OBJECT_0) << "left behind: " << std::string(parent.begin(), parent.end());
    }
}

}  // namespace
